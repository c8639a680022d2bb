#include "ConversionParameters.h"

#include "SaveParameters.h"

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

ConversionSettings BatchConversionSettings(const AppSettings& settings) {
  ConversionSettings conversion =
      ConversionSettingsFor(settings, static_cast<FileTypeCode>(settings.lcSaveType));
  conversion.addThumbnails = settings.run.batchAddThumbnails != 0;
  conversion.replaceExisting = settings.run.batchReplaceExisting != 0;
  return conversion;
}

ConversionSettings SweepConversionSettings(const AppSettings& settings) {
  ConversionSettings conversion =
      ConversionSettingsFor(settings, static_cast<FileTypeCode>(settings.sweepSaveType));
  conversion.addThumbnails = settings.run.sweepAddThumbnails != 0;
  return conversion;
}

}  // namespace leaf
