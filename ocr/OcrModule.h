// The text recognition module, loaded the first time text is recognised or
// languages are checked; programs that never do so never bind libtesseract.
#pragma once

#include <string>

#include "OcrCalls.h"
#include "loader/LoadableModule.h"

namespace leaf {

using OcrModuleCalls = ModuleCalls<OcrCalls>;

// The installed module, loaded once for the run. Its error reads "Text
// recognition is not available: <why>".
const OcrModuleCalls& OcrModule();

// The module file at path, for checking a particular file.
OcrModuleCalls LoadOcrModule(const std::string& path);

}  // namespace leaf
