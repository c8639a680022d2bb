#include "Args.h"
#include "ConvertOptions.h"
#include "image/PixelLimit.h"

namespace leaf::cli {

namespace {

void ApplyType(ConvertJob& job, const std::string& option, const std::string& value) {
  job.outputType = FileTypeFromTypeName(value);
  if (job.outputType == kFileUnknown || job.outputType == kFileTiff) {
    throw UsageError(option + ": unknown output type '" + value + "'");
  }
}

void ApplyPage(ConvertJob& job, const std::string& option, const std::string& value) {
  job.read.page = ParseInt(option, value, 1, 65535) - 1;
}

void ApplyProgress(ConvertJob& job, const std::string&, const std::string&) {
  job.showProgress = true;
}

void ApplyMaxMegapixels(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.maxMegapixels = ParseInt(option, value, 1, kLargestMegapixelLimit);
}

void ApplyStrict(ConvertJob& job, const std::string&, const std::string&) { job.strict = true; }

void ApplyForce(ConvertJob& job, const std::string&, const std::string&) { job.force = true; }

const ConvertOption kOptions[] = {
    {"--type", "TYPE", "output type (djvu, iw44, bmp, pnm, jpeg); default: from OUT's extension",
     ApplyType},
    {"--page", "N", "page of a multipage input file to convert (1 = first)", ApplyPage},
    {"--progress", nullptr, "print what the writer is doing, with percentages", ApplyProgress},
    {"--max-megapixels", "N",
     "refuse pictures larger than N megapixels (default: MaxMegapixels of the settings, 700)",
     ApplyMaxMegapixels},
    {"--strict", nullptr, "treat a warning about a damaged input file as a failure", ApplyStrict},
    {"--force", nullptr, "replace OUT even when it is write-protected", ApplyForce},
};

}  // namespace

std::span<const ConvertOption> GeneralConvertOptions() { return kOptions; }

}  // namespace leaf::cli
