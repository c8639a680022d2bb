#include "FileType.h"

#include <algorithm>
#include <cctype>

namespace leaf {

namespace {

struct ExtensionEntry {
  const char* extension;
  FileTypeCode type;
};

constexpr ExtensionEntry kExtensions[] = {
    {".bmp", kFileBmp},   {".ppm", kFilePnm},   {".pgm", kFilePnm},   {".pbm", kFilePnm},
    {".jpg", kFileJpeg},  {".jpeg", kFileJpeg}, {".tif", kFileTiff},  {".tiff", kFileTiff},
    {".djvu", kFileDjvu}, {".djv", kFileDjvu},  {".iw44", kFileIw44}, {".iw4", kFileIw44},
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

FileTypeCode LookUpExtension(const std::string& extension) {
  const std::string lower = Lower(extension);
  for (const ExtensionEntry& entry : kExtensions) {
    if (lower == entry.extension) return entry.type;
  }
  return kFileUnknown;
}

}  // namespace

FileTypeCode FileTypeFromName(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return kFileUnknown;
  return LookUpExtension(path.substr(dot));
}

const char* FileTypeName(FileTypeCode type) {
  switch (type) {
    case kFileDjvu: return "djvu";
    case kFileIw44: return "iw44";
    case kFileBmp: return "bmp";
    case kFilePnm: return "pnm";
    case kFileJpeg: return "jpeg";
    case kFileTiff: return "tiff";
    case kFileAllSupported: return "all";
    default: return "unknown";
  }
}

FileTypeCode FileTypeFromTypeName(const std::string& name) {
  if (Lower(name) == "pnm") return kFilePnm;
  return LookUpExtension("." + name);
}

}  // namespace leaf
