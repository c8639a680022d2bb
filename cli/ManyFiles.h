// What batch and sweep share: the option groups and the conversion settings
// made from the parsed options.
#pragma once

#include <string>
#include <vector>

#include "Command.h"
#include "ConvertOptions.h"
#include "multi/FileConversion.h"

namespace leaf::cli {

// The command's own options first, then the conversion options of convert.
std::vector<ConvertOptionGroup> ManyFilesOptionGroups(const char* title,
                                                      std::span<const ConvertOption> own);

// A job with the settings file's values in it, before the options are read.
ConvertJob ManyFilesJobFor(const Context& context);

// The settings of every file's conversion: output type, reading, the
// writers' settings, thumbnails and the editing steps.
ConversionSettings JobConversionSettings(const ConvertJob& job);

// Prints the help of a command: the usage text, then the option groups.
std::string ManyFilesUsage(const char* usage, const std::vector<ConvertOptionGroup>& groups);

}  // namespace leaf::cli
