// The settings of a many-files conversion as the settings record gives them
// (batch conversion and the sweeper, in the window and on the command line).
#pragma once

#include "AppSettings.h"
#include "multi/FileConversion.h"

namespace leaf {

// Output type, reading (display gamma, DCT method), the writers' settings
// and the thumbnail options; the run's switches are left to the caller.
ConversionSettings ConversionSettingsFor(const AppSettings& settings, FileTypeCode outputType);

// The batch run: "LCSaveType" with the batch switches (thumbnails, replace).
ConversionSettings BatchConversionSettings(const AppSettings& settings);

// The sweeper: "SweepSaveType" with its thumbnail switch.
ConversionSettings SweepConversionSettings(const AppSettings& settings);

}  // namespace leaf
