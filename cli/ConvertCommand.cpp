#include <cstdio>
#include <filesystem>
#include <sstream>

#include "Command.h"
#include "ConvertOptions.h"
#include "app/SaveParameters.h"
#include "formats/DjvuBookWriter.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

const ConvertOption* FindOption(const std::vector<ConvertOptionGroup>& groups,
                                const std::string& name) {
  for (const ConvertOptionGroup& group : groups) {
    for (const ConvertOption& option : group.options) {
      if (name == option.name) return &option;
    }
  }
  return nullptr;
}

ConvertJob ParseConvert(const Context& context, Args& args) {
  const std::vector<ConvertOptionGroup> groups = ConvertOptionGroups();
  ConvertJob job;
  job.settings = context.settings;
  job.read.gamma = context.settings.displayGamma;  // DjVu and IW44 pages render for the display
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item.size() > 1 && item[0] == '-') {
      const ConvertOption* option = FindOption(groups, item);
      if (!option) throw UsageError("convert: unknown option " + item);
      const std::string value = option->valueName ? args.valueFor(item) : std::string();
      option->apply(job, item, value);
    } else {
      positional.push_back(item);
    }
  }
  if (job.label && job.labels == 0) {
    throw UsageError("convert: the --label-... options give labels their look; add --label TEXT");
  }
  if (positional.size() < 2) throw UsageError("convert needs an input and an output file");
  job.output = positional.back();
  positional.pop_back();
  job.inputs = std::move(positional);
  if (job.outputType == kFileUnknown) job.outputType = FileTypeFromName(job.output);
  if (job.outputType == kFileUnknown || job.outputType == kFileTiff) {
    throw UsageError("convert: cannot tell the output type from '" + job.output +
                     "'; use an extension such as .djvu, .bmp, .ppm or .jpg, or --type");
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

// Reads one page of an input and applies the job's edits (and its thumbnail
// choice); false with the reason in the message buffer.
bool LoadPage(const ConvertJob& job, const std::string& path, int page, DibImage& image) {
  const FileTypeCode type = FileTypeForReading(path);
  if (type == kFileUnknown) {
    SetMessage("cannot tell the type of %s from its name", path.c_str());
    return false;
  }
  ReadOptions read = job.read;
  read.jpegDctMethod = job.settings.jpegDecodeDct;
  read.page = page;
  ClearMessage();
  if (!ReadImageFile(image, path, type, read)) {
    if (!*LastMessage()) SetMessage("Failed to open the image!");
    return false;
  }
  for (const Edit& edit : job.edits) {
    ClearMessage();
    if (!edit.apply(image, path)) {
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

void PrintProgress(const char* text, int percent) {
  std::printf("%3d%% %s\n", percent, text);
  std::fflush(stdout);
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
      std::fprintf(stderr, "leafsmith-cli: cannot tell the type of %s from its name\n",
                   path.c_str());
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

unsigned long long FileBytes(const std::string& path) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  return error ? 0ULL : static_cast<unsigned long long>(bytes);
}

int ConvertToDocument(const ConvertJob& job) {
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
    options.progress = [](int done, int total) {
      std::printf("page %d of %d encoded\n", done, total);
      std::fflush(stdout);
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
  if (!SaveDjvuBook(path, count, source, SaveParametersFor(job.settings).djvu, options)) {
    return ReportFailure("Failed to save the document!");
  }
  unsigned long long bytes = FileBytes(path);
  if (indirect) {
    for (int page = 0; page < count; ++page) {
      bytes += FileBytes(
          (std::filesystem::path(path).parent_path() / DjvuPageName(path, page, count, true))
              .string());
    }
    std::printf("wrote %s: indirect djvu document, %d page%s in %d files, %llu bytes\n",
                path.c_str(), count, count == 1 ? "" : "s", count + 1, bytes);
  } else {
    std::printf("wrote %s: djvu document, %d page%s, %llu bytes\n", path.c_str(), count,
                count == 1 ? "" : "s", bytes);
  }
  return kExitOk;
}

void PrintWritten(const std::string& path, FileTypeCode type, const DibRaster& raster) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  std::printf("wrote %s: %s, %d x %d, %d bits, %llu bytes\n", path.c_str(), FileTypeName(type),
              raster.width, raster.height, raster.bitsPerPixel,
              error ? 0ULL : static_cast<unsigned long long>(bytes));
}

}  // namespace

std::string ConvertUsage() {
  std::ostringstream text;
  text << "usage: leafsmith-cli convert IN... OUT [options]\n\n"
          "Reads IN, applies the editing options in the order given and writes OUT.\n"
          "Several inputs, or --all-pages, make one DjVu document of all their pages,\n"
          "encoded in parallel and written in order.\n"
          "Settings not given as options come from the settings file.\n";
  for (const ConvertOptionGroup& group : ConvertOptionGroups()) {
    text << "\n" << group.title << " options:\n";
    for (const ConvertOption& option : group.options) {
      std::string head = std::string("  ") + option.name;
      if (option.valueName) head += std::string(" ") + option.valueName;
      text << head;
      if (head.size() < 30) {
        text << std::string(30 - head.size(), ' ');
      } else {
        text << "\n" << std::string(30, ' ');
      }
      text << option.help << "\n";
    }
  }
  return text.str();
}

int RunConvert(Context& context, Args& args) {
  const ConvertJob job = ParseConvert(context, args);
  if (job.writesDocument()) return ConvertToDocument(job);
  DibImage image;
  if (!LoadPage(job, job.inputs.front(), job.read.page, image)) {
    return ReportFailure("Failed to open the image!");
  }
  if (job.showProgress) image.SetProgressCallback(PrintProgress);
  ClearMessage();
  if (!SaveImageFile(job.output, job.outputType, image, SaveParametersFor(job.settings))) {
    return ReportFailure("Failed to save the image!");
  }
  PrintWritten(job.output, job.outputType, image.raster);
  return kExitOk;
}

}  // namespace leaf::cli
