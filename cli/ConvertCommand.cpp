#include <cstdio>
#include <sstream>

#include "Command.h"
#include "ConvertOptions.h"
#include "ConvertSteps.h"
#include "app/SaveParameters.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

ConvertJob ParseConvert(const Context& context, Args& args) {
  const std::vector<ConvertOptionGroup> groups = ConvertOptionGroups();
  ConvertJob job;
  job.settings = context.settings;
  job.read.gamma = context.settings.displayGamma;  // DjVu and IW44 pages render for the display
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item.size() > 1 && item[0] == '-') {
      const ConvertOption* option = FindConvertOption(groups, item);
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
                     "'; use an extension such as .djvu, .bmp, .ppm or .jpg, or --type");
  }
  return job;
}

}  // namespace

std::string ConvertUsage() {
  std::ostringstream text;
  text << "usage: leafsmith-cli convert IN OUT [options]\n\n"
          "Reads IN, applies the editing options in the order given and writes OUT.\n"
          "Settings not given as options come from the settings file.\n";
  text << OptionGroupsHelp(ConvertOptionGroups());
  return text.str();
}

int RunConvert(Context& context, Args& args) {
  const ConvertJob job = ParseConvert(context, args);
  ReadOptions read = job.read;
  read.jpegDctMethod = job.settings.jpegDecodeDct;
  DibImage image;
  if (!OpenInput(job.input, image, read)) return kExitFailure;
  if (!ApplyEdits(job, image)) return ReportFailure("Failed to edit the image!");
  if (job.showProgress) image.SetProgressCallback(PrintProgress);
  ClearMessage();
  if (!SaveImageFile(job.output, job.outputType, image, SaveParametersFor(job.settings))) {
    return ReportFailure("Failed to save the image!");
  }
  PrintWritten(job.output, job.outputType, image.raster);
  return kExitOk;
}

}  // namespace leaf::cli
