// Reading and writing image files of every supported type by FileTypeCode.
#pragma once

#include <string>

#include "FileType.h"
#include "image/DibImage.h"

namespace leaf {

struct ReadOptions {
  int page = 0;  // zero-based page of a multipage file
};

// The type of a file to open: from its name.
FileTypeCode FileTypeForReading(const std::string& path);

// Reads the file into the image with the reader of its type.
bool ReadImageFile(DibImage& image, const std::string& path, FileTypeCode type,
                   const ReadOptions& options = {});

// Writes the image's main raster in the given type.
bool WriteImageFile(const DibImage& image, const std::string& path, FileTypeCode type);

}  // namespace leaf
