#include "ConversionParameters.h"

#include <filesystem>

#include "SaveParameters.h"
#include "TextLabelDrawing.h"

namespace leaf {

ConversionSettings ConversionSettingsFor(const AppSettings& settings, FileTypeCode outputType) {
  ConversionSettings conversion;
  conversion.outputType = outputType;
  const RunOptions& run = settings.run;
  conversion.thumbnail = {run.thumbnailSizeMode, run.thumbnailWidth, run.thumbnailHeight,
                          run.thumbnailScaling};
  conversion.read.gamma = settings.displayGamma;
  conversion.read.jpegDctMethod = settings.jpegDecodeDct;
  conversion.save = SaveParametersFor(settings);
  return conversion;
}

namespace {

// Stamps the settings' text label on every page converted.
void AddTextLabel(ConversionSettings& conversion, const TextSettings& text) {
  conversion.prepare = [text](DibImage& image, const std::string& input) {
    return StampSettingsLabel(text, std::filesystem::path(input).filename().string(), image);
  };
}

}  // namespace

ConversionSettings BatchConversionSettings(const AppSettings& settings) {
  ConversionSettings conversion =
      ConversionSettingsFor(settings, static_cast<FileTypeCode>(settings.lcSaveType));
  conversion.addThumbnails = settings.run.batchAddThumbnails != 0;
  conversion.replaceExisting = settings.run.batchReplaceExisting != 0;
  if (settings.run.batchAddText != 0) AddTextLabel(conversion, settings.text);
  return conversion;
}

ConversionSettings SweepConversionSettings(const AppSettings& settings) {
  ConversionSettings conversion =
      ConversionSettingsFor(settings, static_cast<FileTypeCode>(settings.sweepSaveType));
  conversion.addThumbnails = settings.run.sweepAddThumbnails != 0;
  if (settings.run.sweepAddText != 0) AddTextLabel(conversion, settings.text);
  return conversion;
}

}  // namespace leaf
