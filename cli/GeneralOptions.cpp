#include <iterator>
#include <vector>

#include "Args.h"
#include "ConvertOptions.h"

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
  job.pageGiven = true;
}

void ApplyAllPages(ConvertJob& job, const std::string&, const std::string&) { job.allPages = true; }

void ApplyIndirect(ConvertJob& job, const std::string& option, const std::string& value) {
  if (value.empty()) throw UsageError(option + " needs a folder");
  job.indirectFolder = value;
}

void ApplyJobs(ConvertJob& job, const std::string& option, const std::string& value) {
  job.jobs = ParseInt(option, value, 1, 256);
}

void ApplyProgress(ConvertJob& job, const std::string&, const std::string&) {
  job.showProgress = true;
}

void ApplyStrict(ConvertJob& job, const std::string&, const std::string&) { job.strict = true; }

void ApplyForce(ConvertJob& job, const std::string&, const std::string&) { job.force = true; }

const ConvertOption kOptions[] = {
    {"--type", "TYPE",
     "output type (djvu, iw44, bmp, pnm, jpeg, png); default: from OUT's extension", ApplyType},
    {"--page", "N", "page of a multipage input file to convert (1 = first)", ApplyPage},
    {"--all-pages", nullptr,
     "every page of every input into one DjVu document (OUT must be .djvu); several inputs "
     "make one document too",
     ApplyAllPages},
    {"--indirect", "DIR",
     "write an indirect DjVu document: its index named as OUT and one file per page, in DIR",
     ApplyIndirect},
    {"--jobs", "N", "pages of a document encoded at once (default: the number of cores)",
     ApplyJobs},
    {"--progress", nullptr, "print what the writer is doing, with percentages", ApplyProgress},
    {"--strict", nullptr, "treat a warning about a damaged input file as a failure", ApplyStrict},
    {"--force", nullptr, "replace OUT even when it is write-protected", ApplyForce},
};

}  // namespace

std::span<const ConvertOption> GeneralConvertOptions() {
  // The general settings a conversion takes (the pixel limit) come from the
  // settings table.
  static const std::vector<ConvertOption> options = [] {
    std::vector<ConvertOption> all(std::begin(kOptions), std::end(kOptions));
    for (ConvertOption& option : SettingConvertOptions({"General"})) all.push_back(option);
    return all;
  }();
  return options;
}

}  // namespace leaf::cli
