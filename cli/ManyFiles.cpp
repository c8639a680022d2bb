#include "ManyFiles.h"

#include "Command.h"
#include "app/ConversionParameters.h"

namespace leaf::cli {

std::vector<ConvertOptionGroup> ManyFilesOptionGroups(const char* title,
                                                      std::span<const ConvertOption> own) {
  return {
      {title, own},
      {"JPEG", JpegConvertOptions()},
      {"DjVu and IW44", DjvuConvertOptions()},
      {"Editing (applied to every page, in the order given)", EditConvertOptions()},
      {"Text labels", LabelConvertOptions()},
  };
}

ConvertJob ManyFilesJobFor(const Context& context) {
  ConvertJob job;
  job.settings = context.settings;
  job.read.gamma = context.settings.displayGamma;
  return job;
}

ConversionSettings JobConversionSettings(const ConvertJob& job) {
  ConversionSettings settings = ConversionSettingsFor(job.settings, job.outputType);
  settings.save = job.saveParameters();
  settings.replaceExisting = job.many.replaceExisting;
  settings.addThumbnails = job.many.thumbnails;
  settings.thumbnailsOnly = job.many.thumbnailsOnly;
  const int dctMethod = settings.read.jpegDctMethod;
  settings.read = job.read;
  settings.read.jpegDctMethod = dctMethod;
  if (!job.edits.empty() || job.writeThumbnail) {
    settings.prepare = [job](DibImage& image, const std::string& input) {
      return ApplyEdits(job, image, input);
    };
  }
  return settings;
}

std::string ManyFilesUsage(const char* usage, const std::vector<ConvertOptionGroup>& groups) {
  return std::string(usage) + OptionHelp(groups);
}

}  // namespace leaf::cli
