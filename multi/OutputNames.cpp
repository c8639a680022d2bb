#include "OutputNames.h"

namespace leaf {

namespace {

// Position of the extension's dot, or npos when the file name has none.
size_t ExtensionDot(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return dot;
  if (slash != std::string::npos && dot < slash) return std::string::npos;
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return dot == nameStart ? std::string::npos : dot;  // ".profile" has no extension
}

}  // namespace

std::string OutputExtension(FileTypeCode type, DibImage& image) {
  switch (type) {
    case kFileDjvu: return ".djvu";
    case kFileIw44: return ".iw44";
    case kFileBmp: return ".bmp";
    case kFileJpeg: return ".jpg";
    case kFilePnm:
      if (image.raster.bitsPerPixel == 1) return ".pbm";
      return image.raster.bitsPerPixel == 8 && image.IsGrayRamp() ? ".pgm" : ".ppm";
    default: return "";
  }
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const size_t dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

std::string NumberedName(const std::string& path, int number) {
  const size_t dot = ExtensionDot(path);
  const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : path.substr(dot);
  return stem + "-" + std::to_string(number) + extension;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace leaf
