// The options of "convert", in groups that each live in their own file.
#pragma once

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/SaveParameters.h"
#include "app/SettingsTable.h"
#include "formats/ImageFiles.h"
#include "image/DibImage.h"

namespace leaf::cli {

// One editing step, applied to the image after reading, in command-line order.
struct Edit {
  std::string description;  // for the failure message, e.g. "rotate left"
  std::function<bool(DibImage&)> apply;
};

struct ConvertJob {
  std::vector<std::string> inputs;  // one, or the pages of a DjVu document in order
  std::string output;
  FileTypeCode outputType = kFileUnknown;
  ReadOptions read;
  AppSettings settings;  // the profile's values, overridden by options
  std::vector<Edit> edits;
  bool writeThumbnail = false;
  bool showProgress = false;   // print the savers' progress texts
  bool pageGiven = false;      // --page
  bool allPages = false;       // every page of every input
  std::string indirectFolder;  // write an indirect DjVu document there
  int jobs = 0;                // pages encoded at once; 0: the number of cores
  bool noUpsample = false;     // --upsample 1: not even a low-resolution page is enlarged

  // The savers' parameters: the settings' with the options no setting holds.
  SaveParameters saveParameters() const;

  // True when the job writes one DjVu document from several pages.
  bool writesDocument() const { return inputs.size() > 1 || allPages || !indirectFolder.empty(); }
};

struct ConvertOption {
  const char* name;       // "--page"
  const char* valueName;  // "N"; nullptr for a flag
  const char* help;
  // Applies the option; throws UsageError for a bad value.
  void (*apply)(ConvertJob& job, const std::string& option, const std::string& value);
  // The setting an option of the settings table sets (its help is made from it).
  const SettingDescription* setting = nullptr;
};

struct ConvertOptionGroup {
  const char* title;
  std::span<const ConvertOption> options;
};

// Every group, in the order the help lists them.
std::vector<ConvertOptionGroup> ConvertOptionGroups();

// The options of the settings that a conversion uses, of these sections.
std::vector<ConvertOption> SettingConvertOptions(std::initializer_list<std::string_view> sections);

// The option groups, one per file.
std::span<const ConvertOption> GeneralConvertOptions();
std::span<const ConvertOption> JpegConvertOptions();
std::span<const ConvertOption> EditConvertOptions();
std::span<const ConvertOption> DjvuConvertOptions();

}  // namespace leaf::cli
