#include "OcrModule.h"

namespace leaf {

namespace {

constexpr const char* kUnavailable = "Text recognition is not available";

}  // namespace

const OcrModuleCalls& OcrModule() {
  static const OcrModuleCalls module = TypedModuleCalls<OcrCalls>(
      LoadModule(kOcrModuleFile, kOcrModuleEntry, kOcrModuleVersion), kUnavailable);
  return module;
}

OcrModuleCalls LoadOcrModule(const std::string& path) {
  return TypedModuleCalls<OcrCalls>(LoadModuleFile(path, kOcrModuleEntry, kOcrModuleVersion),
                                    kUnavailable);
}

}  // namespace leaf
