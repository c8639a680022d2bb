#include <cstdio>
#include <filesystem>
#include <sstream>

#include "Command.h"
#include "ConvertOptions.h"
#include "SettingOptions.h"
#include "app/SaveParameters.h"
#include "formats/AtomicFile.h"
#include "formats/DjvuBookWriter.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

ConvertJob ParseConvert(const Context& context, Args& args) {
  const std::vector<ConvertOptionGroup> groups = ConvertOptionGroups();
  ConvertJob job;
  job.settings = context.settings;
  job.read.gamma = context.settings.displayGamma;  // DjVu and IW44 pages render for the display
  std::vector<std::string> positional = ParseOptions(groups, "convert", job, args);
  if (positional.size() < 2) throw UsageError("convert needs an input and an output file");
  job.output = positional.back();
  positional.pop_back();
  job.inputs = std::move(positional);
  if (job.outputType == kFileUnknown) job.outputType = FileTypeFromName(job.output);
  if (job.outputType == kFileUnknown || job.outputType == kFileTiff) {
    throw UsageError("convert: cannot tell the output type from '" + job.output +
                     "'; give it a name ending in " + WritableExtensions() + ", or use --type");
  }
  if (job.writesDocument() && job.outputType != kFileDjvu) {
    throw UsageError("convert: several pages make one DjVu document; '" + job.output +
                     "' must be a .djvu file");
  }
  if (job.allPages && job.pageGiven) {
    throw UsageError("convert: --page and --all-pages exclude each other");
  }
  return job;
}

// Reads one page of an input (warnings on stderr as they come; with --strict
// a warning is a failure) and applies the job's edits (and its thumbnail
// choice); false with the reason in the message buffer.
bool LoadPage(const ConvertJob& job, const std::string& path, int page, DibImage& image) {
  ReadOptions read = job.read;
  read.jpegDctMethod = job.settings.jpegDecodeDct;
  read.page = page;
  if (!ReadInput(path, image, read, job.strict)) return false;
  return ApplyEdits(job, image, path);
}

// A page of the document to write: which input, which of its pages.
struct PageRef {
  std::string path;
  int page;
};

// Every page the job takes, in order; empty (with the reason printed) when
// an input cannot be opened.
std::vector<PageRef> ListPages(const ConvertJob& job, bool& ok) {
  std::vector<PageRef> pages;
  ok = true;
  for (const std::string& path : job.inputs) {
    const FileTypeCode type = FileTypeForReading(path);
    if (type == kFileUnknown) {
      std::fprintf(stderr,
                   "leafsmith-cli: cannot tell the type of %s from its name; the names of the "
                   "files read end in %s\n",
                   path.c_str(), ReadableExtensions().c_str());
      ok = false;
      return {};
    }
    DibImage reporter;
    ClearMessage();
    const int count = job.allPages ? CountPages(reporter, path, type) : 1;
    if (count < 0) {
      std::fprintf(stderr, "leafsmith-cli: %s: %s\n", path.c_str(), LastMessage());
      ok = false;
      return {};
    }
    for (int page = 0; page < count; ++page) {
      pages.push_back({path, job.allPages ? page : job.read.page});
    }
  }
  return pages;
}

int ConvertToDocument(const Context& context, const ConvertJob& job) {
  if (!context.force && IsWriteProtected(job.output)) return ReportWriteProtected(job.output);
  bool listed;
  const std::vector<PageRef> pages = ListPages(job, listed);
  if (!listed) return kExitFailure;
  const int count = static_cast<int>(pages.size());
  const bool indirect = !job.indirectFolder.empty();
  const std::string path = indirect ? (std::filesystem::path(job.indirectFolder) /
                                       std::filesystem::path(job.output).filename())
                                          .string()
                                    : job.output;
  DjvuBookOptions options;
  options.indirect = indirect;
  options.threads = job.jobs;
  if (job.showProgress) {
    options.progress = [report = ReportStream(job.output)](int done, int total) {
      std::fprintf(report, "page %d of %d encoded\n", done, total);
      std::fflush(report);
    };
  }
  const DjvuPageSource source = [&](int index, DibImage& image) {
    const PageRef& ref = pages[static_cast<size_t>(index)];
    if (LoadPage(job, ref.path, ref.page, image)) return true;
    const std::string reason = LastMessage();
    SetMessage("%s: %s", ref.path.c_str(), reason.c_str());
    return false;
  };
  ClearMessage();
  if (!SaveDjvuBook(path, count, source, job.saveParameters().djvu, options)) {
    return ReportFailure("Failed to save the document!");
  }
  if (indirect) {
    unsigned long long bytes = FileBytes(path);
    for (int page = 0; page < count; ++page) {
      bytes += FileBytes(
          (std::filesystem::path(path).parent_path() / DjvuPageName(path, page, count, true))
              .string());
    }
    std::printf("wrote %s: indirect djvu document, %d page%s in %d files, %llu bytes\n",
                path.c_str(), count, count == 1 ? "" : "s", count + 1, bytes);
  } else {
    PrintDocumentWritten(path, count);
  }
  return kExitOk;
}

}  // namespace

bool ApplyEdits(const ConvertJob& job, DibImage& image, const std::string& input) {
  for (const Edit& edit : job.edits) {
    ClearMessage();
    if (!edit.apply(image, input)) {
      const std::string reason = LastMessage();
      SetMessage("Failed to %s!%s%s%s", edit.description.c_str(), reason.empty() ? "" : " (",
                 reason.c_str(), reason.empty() ? "" : ")");
      return false;
    }
  }
  if (job.writeThumbnail) {
    DibRaster thumbnail = std::move(image.thumbnail);
    image.Release(true);
    image.raster = std::move(thumbnail);
  }
  return true;
}

std::vector<std::string> ParseOptions(const std::vector<ConvertOptionGroup>& groups,
                                      const std::string& command, ConvertJob& job, Args& args) {
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item.size() > 1 && item[0] == '-') {
      std::string name = item, value;
      const bool inlineValue = SplitOptionValue(item, name, value);
      const ConvertOption* option = FindConvertOption(groups, name);
      if (!option) throw UsageError(command + ": unknown option " + name);
      if (inlineValue && !option->valueName && !option->setting) {
        throw UsageError(name + " takes no value");
      }
      if (!inlineValue && option->valueName) value = args.valueFor(name);
      option->apply(job, name, value);
    } else {
      positional.push_back(item);
    }
  }
  if (job.label && job.labels == 0) {
    throw UsageError(command +
                     ": the --label-... options give labels their look; add --label TEXT");
  }
  return positional;
}

const ConvertOption* FindConvertOption(const std::vector<ConvertOptionGroup>& groups,
                                       const std::string& name) {
  for (const ConvertOptionGroup& group : groups) {
    for (const ConvertOption& option : group.options) {
      if (name == option.name) return &option;
    }
  }
  return nullptr;
}

std::string OptionHelp(const std::vector<ConvertOptionGroup>& groups) {
  std::ostringstream text;
  for (const ConvertOptionGroup& group : groups) {
    text << "\n" << group.title << " options:\n";
    for (const ConvertOption& option : group.options) {
      text << HelpLine(option.name, option.valueName,
                       option.setting ? SettingOptionHelp(*option.setting) : option.help);
    }
  }
  return text.str();
}

std::string ConvertUsage() {
  std::ostringstream text;
  text << "usage: leafsmith-cli convert IN... OUT [options]\n\n"
          "Reads IN, applies the editing options in the order given and writes OUT.\n"
          "Several inputs, or --all-pages, make one DjVu document of all their pages,\n"
          "encoded in parallel and written in order.\n"
          "Settings not given as options come from the settings file; a switch is\n"
          "turned on by its option alone and set with --option=0 or --option=1.\n";
  text << OptionHelp(ConvertOptionGroups());
  return text.str();
}

int RunConvert(Context& context, Args& args) {
  const ConvertJob job = ParseConvert(context, args);
  if (const int status = CheckOcrJob(job, context.settings); status != kExitOk) return status;
  context.settings.maxMegapixels = job.settings.maxMegapixels;
  context.force = job.force;
  UsePixelLimit(context);
  if (job.writesDocument()) return ConvertToDocument(context, job);
  DibImage image;
  if (!LoadPage(job, job.inputs.front(), job.read.page, image)) {
    return ReportFailure("Failed to open the image!");
  }
  if (job.showProgress) {
    image.SetProgressCallback([report = ReportStream(job.output)](const char* text, int percent) {
      std::fprintf(report, "%3d%% %s\n", percent, text);
      std::fflush(report);
    });
  }
  const int status = SaveOutput(context, job.output, job.outputType, image, job.saveParameters());
  if (status != kExitOk) return status;
  PrintWritten(job.output, job.outputType, image.raster);
  return kExitOk;
}

}  // namespace leaf::cli
