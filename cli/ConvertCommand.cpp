#include <cstdio>
#include <filesystem>
#include <sstream>

#include "Command.h"
#include "ConvertOptions.h"
#include "app/SaveParameters.h"
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
  if (positional.size() != 2) throw UsageError("convert needs an input and an output file");
  job.input = positional[0];
  job.output = positional[1];
  if (job.outputType == kFileUnknown) job.outputType = FileTypeFromName(job.output);
  if (job.outputType == kFileUnknown || job.outputType == kFileTiff) {
    throw UsageError("convert: cannot tell the output type from '" + job.output +
                     "'; give it a name ending in " + WritableExtensions() + ", or use --type");
  }
  return job;
}

// "Failed to rotate!" and the like, with the operation's own reason.
int ReportEditFailure(const std::string& description) {
  const char* reason = LastMessage();
  std::fprintf(stderr, "leafsmith-cli: Failed to %s!%s%s%s\n", description.c_str(),
               *reason ? " (" : "", reason, *reason ? ")" : "");
  return kExitFailure;
}

}  // namespace

std::string ConvertUsage() {
  std::ostringstream text;
  text << "usage: leafsmith-cli convert IN OUT [options]\n\n"
          "Reads IN, applies the editing options in the order given and writes OUT.\n"
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
  context.settings.maxMegapixels = job.settings.maxMegapixels;
  context.force = job.force;
  UsePixelLimit(context);
  ReadOptions read = job.read;
  read.jpegDctMethod = job.settings.jpegDecodeDct;
  DibImage image;
  if (!OpenInput(job.input, image, read, job.strict)) return kExitFailure;
  for (const Edit& edit : job.edits) {
    ClearMessage();
    if (!edit.apply(image)) return ReportEditFailure(edit.description);
  }
  DibImage thumbnailImage;
  DibImage* result = &image;
  if (job.writeThumbnail) {
    thumbnailImage.raster = std::move(image.thumbnail);
    result = &thumbnailImage;
  }
  if (job.showProgress) {
    std::FILE* report = ReportStream(job.output);
    result->SetProgressCallback([report](const char* text, int percent) {
      std::fprintf(report, "%3d%% %s\n", percent, text);
      std::fflush(report);
    });
  }
  const int status =
      SaveOutput(context, job.output, job.outputType, *result, SaveParametersFor(job.settings));
  if (status != kExitOk) return status;
  PrintWritten(job.output, job.outputType, result->raster);
  return kExitOk;
}

}  // namespace leaf::cli
