// The options of "convert", in groups that each live in their own file.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "formats/ImageFiles.h"
#include "image/DibImage.h"

namespace leaf::cli {

// One editing step, applied to the image after reading, in command-line order.
struct Edit {
  std::string description;  // for the failure message, e.g. "rotate left"
  // The image and the path of the file it was read from.
  std::function<bool(DibImage&, const std::string& input)> apply;
};

struct ConvertJob {
  std::vector<std::string> inputs;  // one, or the pages of a DjVu document in order
  std::string output;
  FileTypeCode outputType = kFileUnknown;
  ReadOptions read;
  AppSettings settings;  // the profile's values, overridden by options
  std::vector<Edit> edits;
  // The look of the text labels that --label stamps (from the settings'
  // "Text" section and the --label-... options); shared by every label.
  std::shared_ptr<TextSettings> label;
  int labels = 0;  // --label options given
  bool writeThumbnail = false;
  bool showProgress = false;   // print the savers' progress texts
  bool pageGiven = false;      // --page
  bool allPages = false;       // every page of every input
  std::string indirectFolder;  // write an indirect DjVu document there
  int jobs = 0;                // pages encoded at once; 0: the number of cores

  // True when the job writes one DjVu document from several pages.
  bool writesDocument() const { return inputs.size() > 1 || allPages || !indirectFolder.empty(); }
};

struct ConvertOption {
  const char* name;       // "--page"
  const char* valueName;  // "N"; nullptr for a flag
  const char* help;
  // Applies the option; throws UsageError for a bad value.
  void (*apply)(ConvertJob& job, const std::string& option, const std::string& value);
};

struct ConvertOptionGroup {
  const char* title;
  std::span<const ConvertOption> options;
};

// Every group, in the order the help lists them.
std::vector<ConvertOptionGroup> ConvertOptionGroups();

// The option groups, one per file.
std::span<const ConvertOption> GeneralConvertOptions();
std::span<const ConvertOption> JpegConvertOptions();
std::span<const ConvertOption> EditConvertOptions();
std::span<const ConvertOption> DjvuConvertOptions();
std::span<const ConvertOption> LabelConvertOptions();

}  // namespace leaf::cli
