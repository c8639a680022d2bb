// The writers' parameters as the settings give them (command line, desktop
// program, batch conversion).
#pragma once

#include "AppSettings.h"
#include "formats/SaveImageFile.h"

namespace leaf {

SaveParameters SaveParametersFor(const AppSettings& settings);

}  // namespace leaf
