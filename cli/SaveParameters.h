// The writers' parameters as the settings give them.
#pragma once

#include "app/AppSettings.h"
#include "formats/SaveImageFile.h"

namespace leaf::cli {

SaveParameters SaveParametersFor(const AppSettings& settings);

}  // namespace leaf::cli
