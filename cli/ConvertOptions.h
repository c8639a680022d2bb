// The options of "convert", in groups that each live in their own file.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Args.h"
#include "app/AppSettings.h"
#include "app/SaveParameters.h"
#include "app/SettingsTable.h"
#include "formats/ImageFiles.h"
#include "image/DibImage.h"

namespace leaf::cli {

// One editing step, applied to the image after reading, in command-line order.
struct Edit {
  std::string description;  // for the failure message, e.g. "rotate left"
  // The image and the path of the file it was read from.
  std::function<bool(DibImage&, const std::string& input)> apply;
};

// What batch and sweep add to a conversion.
struct ManyFilesJob {
  std::string outputFolder;
  std::string inputFolder;    // sweep
  std::string archiveFolder;  // sweep
  bool thumbnails = false;
  bool thumbnailsOnly = false;
  bool replaceExisting = false;
  bool once = false;      // sweep: one cycle, then exit
  int settleSeconds = 2;  // sweep: files younger than this wait
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
  bool strict = false;         // a warning while reading is a failure
  bool force = false;          // replace a write-protected output
  bool pageGiven = false;      // --page
  bool allPages = false;       // every page of every input
  std::string indirectFolder;  // write an indirect DjVu document there
  int jobs = 0;                // pages encoded at once; 0: the number of cores
  ManyFilesJob many;
  bool noUpsample = false;  // --upsample 1: not even a low-resolution page is enlarged

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

// Applies the job's editing steps (and its thumbnail choice) to an image
// read from input; false with the reason in the message buffer.
bool ApplyEdits(const ConvertJob& job, DibImage& image, const std::string& input);

const ConvertOption* FindConvertOption(const std::vector<ConvertOptionGroup>& groups,
                                       const std::string& name);

// Reads the options of the groups into the job and returns the other
// arguments in order; UsageError for an unknown option or a bad value.
std::vector<std::string> ParseOptions(const std::vector<ConvertOptionGroup>& groups,
                                      const std::string& command, ConvertJob& job, Args& args);

// The help lines of the option groups.
std::string OptionHelp(const std::vector<ConvertOptionGroup>& groups);

// Every group, in the order the help lists them.
std::vector<ConvertOptionGroup> ConvertOptionGroups();

// The options of the settings that a conversion uses, of these sections.
std::vector<ConvertOption> SettingConvertOptions(std::initializer_list<std::string_view> sections);

// The option groups, one per file.
std::span<const ConvertOption> GeneralConvertOptions();
std::span<const ConvertOption> JpegConvertOptions();
std::span<const ConvertOption> EditConvertOptions();
std::span<const ConvertOption> DjvuConvertOptions();
std::span<const ConvertOption> LabelConvertOptions();
std::span<const ConvertOption> BatchOptions();
std::span<const ConvertOption> SweepOptions();

// Before a job that recognises text starts: a usage error when --ocr was
// given for an output that is not DjVu or the languages are malformed;
// kExitFailure (the reason on stderr) when a language is not installed.
// profile: the settings before the command line changed them.
int CheckOcrJob(const ConvertJob& job, const AppSettings& profile);

}  // namespace leaf::cli
