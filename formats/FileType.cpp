#include "FileType.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace leaf {

namespace {

struct ExtensionEntry {
  const char* extension;
  FileTypeCode type;
};

constexpr ExtensionEntry kExtensions[] = {
    {".djvu", kFileDjvu}, {".djv", kFileDjvu},  {".iw44", kFileIw44}, {".iw4", kFileIw44},
    {".bmp", kFileBmp},   {".pbm", kFilePnm},   {".pgm", kFilePnm},   {".ppm", kFilePnm},
    {".jpg", kFileJpeg},  {".jpeg", kFileJpeg}, {".png", kFilePng},   {".tif", kFileTiff},
    {".tiff", kFileTiff},
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
    case kFilePng: return "png";
    case kFileAllSupported: return "all";
    default: return "unknown";
  }
}

namespace {

std::string ExtensionList(bool writable) {
  std::string list;
  for (const ExtensionEntry& entry : kExtensions) {
    if (writable && entry.type == kFileTiff) continue;
    if (!list.empty()) list += ", ";
    list += entry.extension;
  }
  return list;
}

}  // namespace

FileTypeCode FileTypeFromContent(const unsigned char* b, size_t size) {
  auto starts = [&](const char* magic, size_t length) {
    return size >= length && std::memcmp(b, magic, length) == 0;
  };
  if (starts("AT&TFORM", 8) && size >= 16) {
    if (std::memcmp(b + 12, "PM44", 4) == 0 || std::memcmp(b + 12, "BM44", 4) == 0) {
      return kFileIw44;
    }
    return kFileDjvu;
  }
  if (starts("BM", 2)) return kFileBmp;
  if (size >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6') return kFilePnm;
  if (starts("\xFF\xD8\xFF", 3)) return kFileJpeg;
  if (starts("\x89PNG\r\n\x1A\n", 8)) return kFilePng;
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4)) {
    return kFileTiff;
  }
  return kFileUnknown;
}

FileTypeCode FileTypeFromContent(const std::string& path) {
  unsigned char bytes[16];
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return kFileUnknown;
  const size_t got = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  return FileTypeFromContent(bytes, got);
}

const char* FileTypeExtension(FileTypeCode type) {
  switch (type) {
    case kFileDjvu: return ".djvu";
    case kFileIw44: return ".iw44";
    case kFileBmp: return ".bmp";
    case kFilePnm: return ".ppm";
    case kFileJpeg: return ".jpg";
    case kFileTiff: return ".tif";
    case kFilePng: return ".png";
    default: return "";
  }
}

std::string ReadableExtensions() { return ExtensionList(false); }

std::string WritableExtensions() { return ExtensionList(true); }

FileTypeCode FileTypeFromTypeName(const std::string& name) {
  if (Lower(name) == "pnm") return kFilePnm;
  return LookUpExtension("." + name);
}

}  // namespace leaf
