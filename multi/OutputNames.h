// Names of the files a conversion writes.
#pragma once

#include <string>

#include "formats/FileType.h"
#include "image/DibImage.h"

namespace leaf {

// Numbered names run from 1 to this; beyond it a name counts as taken.
inline constexpr int kMaxNameNumber = 998;

// The extension of a file of the type: ".djvu", ".iw44", ".bmp", ".jpg", and
// for PNM the one the image's depth calls for (".pbm" 1 bit, ".pgm" 8-bit
// gray, ".ppm" otherwise). Empty for a type that is not written.
std::string OutputExtension(FileTypeCode type, DibImage& image);

// The path with its extension (from the last dot of the file name) replaced.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// "stem-number.ext" for "stem.ext" (the "%s-%d%s" rule).
std::string NumberedName(const std::string& path, int number);

// The last path component.
std::string FileNameOf(const std::string& path);

}  // namespace leaf
