// The steps "convert" and "scan" share: finding an option among the groups,
// their help text, the edits applied to a page and the report of a file
// written.
#pragma once

#include <string>
#include <vector>

#include "ConvertOptions.h"

namespace leaf::cli {

// The option of that name among the groups; null when there is none.
const ConvertOption* FindConvertOption(const std::vector<ConvertOptionGroup>& groups,
                                       const std::string& name);

// One line of a command's help: "  --name VALUE" and the text beside it.
std::string OptionHelpLine(const char* name, const char* valueName, const char* help);
// A titled block of help lines per group.
std::string OptionGroupsHelp(const std::vector<ConvertOptionGroup>& groups);

// Applies the job's edits in order, then its thumbnail choice. False with
// "Failed to rotate left! (reason)" and the like in the message buffer.
bool ApplyEdits(const ConvertJob& job, DibImage& image);

// "wrote PATH: type, W x H, bits, bytes" on stdout.
void PrintWritten(const std::string& path, FileTypeCode type, const DibRaster& raster);

// "wrote PATH: djvu document, N pages, bytes" on stdout.
void PrintDocumentWritten(const std::string& path, int pages);

// Prints the savers' progress texts with percentages.
void PrintProgress(const char* text, int percent);

}  // namespace leaf::cli
