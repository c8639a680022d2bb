// Converting one file of a batch or of the sweeper: reading it into a
// private image, preparing it (text label, edits), writing the output and
// the thumbnail.
#pragma once

#include <functional>
#include <string>

#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "image/DibImage.h"

namespace leaf {

struct ThumbnailOptions {
  int mode = 0;  // 0 fixed width, 1 fixed height, 2 fits the rectangle
  int width = 100;
  int height = 70;
  int method = 1;  // scaling: 0 single sample, 1 favour grid centre, 2 grid average
};

struct ConversionSettings {
  FileTypeCode outputType = kFileDjvu;
  bool replaceExisting = false;  // else a taken name gets the next free "stem-N.ext"
  bool addThumbnails = false;
  bool thumbnailsOnly = false;  // write the thumbnail and nothing else
  ThumbnailOptions thumbnail;
  // Only the page, the display gamma and the DCT method count: pages are
  // read at full size, in colour, at 24 bits.
  ReadOptions read;
  SaveParameters save;
  // Applied to every image read (text label, editing steps); false fails the
  // file with its reason in the message buffer.
  std::function<bool(DibImage& image, const std::string& inputPath)> prepare;
};

// Status bits of a conversion (0 is success).
enum ConversionStatus : int {
  kConversionLoadFailed = 2,
  kConversionSaveFailed = 4,
  kConversionThumbnailFailed = 16,
  kConversionPrepareFailed = 32,  // the text label (or an editing step) failed
};

// "ok", or the failures joined: "load failed", "save failed", ...
std::string ConversionStatusText(int status);

struct ConversionResult {
  int status = 0;
  bool unreadableType = false;  // the name tells no type that can be read
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::string outputPath;  // empty when nothing was written
  std::string thumbnailPath;
  long long outputSize = 0;
  std::string message;  // the first failure's reason
};

// Reads the file and prepares the image; false with the status and message
// set.
bool LoadForConversion(const std::string& path, const ConversionSettings& settings, DibImage& image,
                       ConversionResult& result);

// Writes the image in the output type to path (through a temporary file of
// its own); false with the status and message set.
bool WriteOutput(DibImage& image, const std::string& path, const ConversionSettings& settings,
                 ConversionResult& result);

// Makes the thumbnail and writes it as JPEG to path; false with the status
// and message set.
bool WriteThumbnail(DibImage& image, const std::string& path, const ConversionSettings& settings,
                    ConversionResult& result);

// The batch conversion of one file: outputStem is the output folder and the
// input's name (its extension is replaced). The output and the thumbnail
// are written beside their final names and put in place at the end, under
// the first free numbered name unless existing files are replaced
// (thumbnails always take a free name).
ConversionResult ConvertFile(const std::string& input, const std::string& outputStem,
                             const ConversionSettings& settings);

// A hidden name in the folder of path for writing it before it is put in
// place ("dir/.name.<tag>").
std::string HiddenTemporaryFor(const std::string& path, const std::string& tag);

// Bytes of the file, 0 when it cannot be read.
long long FileSize(const std::string& path);

}  // namespace leaf
