// "scan": a page (or every page of the feeder) from a scanner straight into
// a file of any type the program writes, with every conversion option.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <span>

#include "Command.h"
#include "ConvertOptions.h"
#include "SettingOptions.h"
#include "app/SaveParameters.h"
#include "image/Messages.h"
#include "scanner/ScanChoices.h"
#include "scanner/ScanDevices.h"
#include "scanner/ScanOutput.h"
#include "scanner/Scanner.h"

namespace leaf::cli {

namespace {

struct ScanJob {
  ConvertJob convert;  // output, type, settings, edits, progress
  scan::ScanRequest request;
  bool list = false;
  bool deviceGiven = false, modeGiven = false, resolutionGiven = false, sourceGiven = false;
};

struct ScanOption {
  const char* name;
  const char* valueName;
  const char* help;
  void (*apply)(ScanJob& job, const std::string& option, const std::string& value);
};

double ParseMillimetres(const std::string& option, const std::string& text) {
  return ParseDouble(option, text, 0, 10000);
}

void ApplyArea(ScanJob& job, const std::string& option, const std::string& value) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = value.find(',', start)) != std::string::npos; start = comma + 1) {
    parts.push_back(value.substr(start, comma - start));
  }
  parts.push_back(value.substr(start));
  if (parts.size() != 4) throw UsageError(option + " takes LEFT,TOP,WIDTH,HEIGHT in mm");
  scan::ScanArea area{ParseMillimetres(option, parts[0]), ParseMillimetres(option, parts[1]),
                      ParseMillimetres(option, parts[2]), ParseMillimetres(option, parts[3])};
  if (area.width <= 0 || area.height <= 0) {
    throw UsageError(option + ": the area's width and height must be above 0");
  }
  job.request.area = area;
}

const ScanOption kScanOptions[] = {
    {"--list", nullptr, "list the scanners and end",
     [](ScanJob& job, auto&, auto&) { job.list = true; }},
    {"--device", "NAME", "the scanner (a name --list shows); default: the settings' or the first",
     [](ScanJob& job, auto&, const std::string& value) {
       job.request.device = value;
       job.deviceGiven = true;
     }},
    {"--mode", "M", "color, gray or lineart (black and white), or a mode the scanner names",
     [](ScanJob& job, const std::string& option, const std::string& value) {
       if (value.empty()) throw UsageError(option + " needs a mode");
       job.request.mode = scan::CanonicalModeWord(value);
       job.modeGiven = true;
     }},
    {"--resolution", "DPI", "dots per inch",
     [](ScanJob& job, const std::string& option, const std::string& value) {
       job.request.resolution = ParseInt(option, value, 1, 19200);
       job.resolutionGiven = true;
     }},
    {"--source", "S",
     "flatbed, or adf for the document feeder (every page it holds), or a source the scanner "
     "names",
     [](ScanJob& job, const std::string& option, const std::string& value) {
       if (value.empty()) throw UsageError(option + " needs a source");
       job.request.source = value;
       job.sourceGiven = true;
     }},
    {"--area", "L,T,W,H", "scan area in millimetres from the top left corner of the bed",
     ApplyArea},
    {"--option", "NAME=VALUE", "set any other option of the scanner (repeatable)",
     [](ScanJob& job, const std::string& option, const std::string& value) {
       const size_t equals = value.find('=');
       if (equals == 0 || equals == std::string::npos) {
         throw UsageError(option + " takes NAME=VALUE, not '" + value + "'");
       }
       job.request.deviceOptions.emplace_back(value.substr(0, equals), value.substr(equals + 1));
     }},
};

// Conversion options that concern reading a file, not a scan.
bool TakenByScan(const ConvertOption& option) {
  const std::string name = option.name;
  return name != "--page" && name != "--all-pages" && name != "--display-depth";
}

std::vector<ConvertOptionGroup> ScanConvertGroups(std::vector<std::vector<ConvertOption>>& kept) {
  std::vector<ConvertOptionGroup> groups;
  const std::vector<ConvertOptionGroup> all = ConvertOptionGroups();
  kept.resize(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    std::copy_if(all[i].options.begin(), all[i].options.end(), std::back_inserter(kept[i]),
                 TakenByScan);
    groups.push_back({all[i].title, kept[i]});
  }
  return groups;
}

const ScanOption* FindScanOption(const std::string& name) {
  for (const ScanOption& option : kScanOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

ScanJob ParseScan(const Context& context, Args& args) {
  std::vector<std::vector<ConvertOption>> kept;
  const std::vector<ConvertOptionGroup> groups = ScanConvertGroups(kept);
  ScanJob job;
  job.convert.settings = context.settings;
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item.size() < 2 || item[0] != '-') {
      positional.push_back(item);
    } else if (const ScanOption* option = FindScanOption(item)) {
      option->apply(job, item, option->valueName ? args.valueFor(item) : std::string());
    } else if (const ConvertOption* convert = FindConvertOption(groups, item)) {
      convert->apply(job.convert, item, convert->valueName ? args.valueFor(item) : std::string());
    } else {
      throw UsageError("scan: unknown option " + item);
    }
  }
  if (job.list) return job;
  if (positional.size() != 1) throw UsageError("scan needs one output file");
  ConvertJob& convert = job.convert;
  convert.output = positional[0];
  if (convert.outputType == kFileUnknown) convert.outputType = FileTypeFromName(convert.output);
  if (convert.outputType == kFileUnknown || convert.outputType == kFileTiff) {
    throw UsageError("scan: cannot tell the output type from '" + convert.output +
                     "'; use an extension such as .djvu, .bmp, .ppm or .jpg, or --type");
  }
  // What the command line leaves open, the settings say.
  const AppSettings& s = context.settings;
  if (!job.deviceGiven) job.request.device = s.scanDevice;
  if (!job.modeGiven) job.request.mode = s.scanMode;
  if (!job.resolutionGiven) job.request.resolution = s.scanResolution;
  if (!job.sourceGiven) job.request.source = s.scanSource;
  return job;
}

int ListDevices() {
  std::vector<scan::ScanDevice> devices;
  std::string error;
  if (!scan::ListScanDevices(devices, error)) {
    std::fprintf(stderr, "leafsmith-cli: %s\n", error.c_str());
    return kExitFailure;
  }
  if (devices.empty()) std::printf("No scanner was found.\n");
  for (const scan::ScanDevice& device : devices) {
    std::printf("%-24s %s %s (%s)\n", device.name.c_str(), device.vendor.c_str(),
                device.model.c_str(), device.type.c_str());
  }
  return kExitOk;
}

// Ctrl+C ends the scan properly: the scanner is told to stop and released.
std::atomic<scan::ScanCancel*> gCancel{nullptr};

extern "C" void OnInterrupt(int) {
  if (scan::ScanCancel* cancel = gCancel.load()) cancel->CancelFromSignal();
}

class InterruptCancels {
 public:
  explicit InterruptCancels(scan::ScanCancel& cancel) {
    gCancel = &cancel;
    previousInt_ = std::signal(SIGINT, OnInterrupt);
    previousTerm_ = std::signal(SIGTERM, OnInterrupt);
  }
  ~InterruptCancels() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
    gCancel = nullptr;
  }

 private:
  void (*previousInt_)(int);
  void (*previousTerm_)(int);
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "leafsmith-cli: %s\n", message.c_str());
  return kExitFailure;
}

}  // namespace

std::string ScanUsage() {
  std::string text =
      "usage: leafsmith-cli scan OUT [options]\n"
      "       leafsmith-cli scan --list\n\n"
      "Scans a page into OUT, in the type its extension (or --type) names, with the\n"
      "editing options applied in the order given. From the document feeder every\n"
      "page it holds is scanned: into one DjVu document when OUT is a .djvu file,\n"
      "else each into a numbered file beside OUT (scan-0001.jpg, scan-0002.jpg, ...).\n"
      "Options not given come from the settings file (the\n"
      "scanner chosen in the desktop program and its last mode, resolution and\n"
      "source). Ctrl+C cancels the scan and releases the scanner.\n"
      "\nScanner options:\n";
  for (const ScanOption& option : kScanOptions) {
    text += HelpLine(option.name, option.valueName, option.help);
  }
  std::vector<std::vector<ConvertOption>> kept;
  return text + OptionHelp(ScanConvertGroups(kept));
}

int RunScan(Context& context, Args& args) {
  ScanJob job = ParseScan(context, args);
  if (job.list) return ListDevices();
  const ConvertJob& convert = job.convert;
  if (const int status = CheckOcrJob(convert, context.settings); status != kExitOk) return status;

  std::string error;
  const std::unique_ptr<scan::Scanner> scanner = scan::Scanner::Open(job.request.device, error);
  if (!scanner) return Fail(error);
  if (!scanner->Apply(job.request, error)) return Fail(error);
  const bool batch = scanner->FeederSelected();
  scan::ScanOutput output(convert.output, convert.outputType, SaveParametersFor(convert.settings),
                          batch);

  std::string pageError;
  const scan::PageHandler onPage = [&](DibImage&& page, int) {
    ClearMessage();
    if (!ApplyEdits(convert, page, convert.output)) {
      pageError = LastMessage();
      return false;
    }
    if (convert.showProgress) page.SetProgressCallback(PrintProgress);
    if (!output.Write(page, pageError)) return false;
    if (output.makesDocument()) {
      std::printf("page %d scanned: %d x %d, %d bits\n", output.pages(), page.raster.width,
                  page.raster.height, page.raster.bitsPerPixel);
      std::fflush(stdout);
    } else {
      PrintWritten(output.written().back(), convert.outputType, page.raster);
    }
    return true;
  };
  scan::ScanProgress progress;
  if (convert.showProgress) {
    progress = [](const std::string& text, int percent) {
      PrintProgress(text.c_str(), std::max(percent, 0));
    };
  }
  scan::ScanCancel cancel;
  scan::ScanOutcome outcome;
  {
    const InterruptCancels interrupts(cancel);
    outcome = scanner->Scan(batch, onPage, progress, cancel);
  }
  if (!pageError.empty()) return Fail(pageError);
  if (outcome.status == scan::ScanStatus::Failed && output.makesDocument() && output.pages() > 0) {
    // The pages the feeder gave before it failed are kept as the document.
    if (!output.Finish(error)) return Fail(outcome.message + " " + error);
    PrintDocumentWritten(convert.output, output.pages());
    return Fail(outcome.message + " The " + std::to_string(output.pages()) +
                " pages scanned before were written to " + convert.output + ".");
  }
  if (!outcome.ok()) {
    const size_t written = output.written().size();
    if (written == 0) return Fail(outcome.message);
    return Fail(outcome.message + " " + std::to_string(written) + " page" +
                (written == 1 ? " was" : "s were") + " written before.");
  }
  if (!output.Finish(error)) return Fail(error);
  if (output.makesDocument()) PrintDocumentWritten(convert.output, output.pages());
  return kExitOk;
}

}  // namespace leaf::cli
