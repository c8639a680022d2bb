#include "ImageFiles.h"

#include "Bmp.h"
#include "DjvuReader.h"
#include "Jpeg.h"
#include "Png.h"
#include "Pnm.h"
#include "Tiff.h"
#include "image/Messages.h"

namespace leaf {

FileTypeCode FileTypeForReading(const std::string& path) { return FileTypeFromName(path); }

int CountPages(const DibImage& image, const std::string& path, FileTypeCode type) {
  switch (type) {
    case kFileDjvu:
    case kFileIw44: return CountDjvuPages(image, path);
    case kFileTiff: return CountTiffPages(image, path);
    default: return 1;
  }
}

namespace {

bool ReadByType(DibImage& image, const std::string& path, FileTypeCode type,
                const ReadOptions& options) {
  switch (type) {
    case kFileDjvu:
    case kFileIw44:
      return ReadDjvu(image, path, options.layer, options.depth, options.zoom, options.gamma,
                      options.page);
    case kFileBmp: return ReadBmp(image, path, options.headerOnly);
    case kFilePnm: return ReadPnm(image, path, options.headerOnly);
    case kFileJpeg:
      return ReadJpeg(image, path, options.depth, options.jpegDctMethod, options.headerOnly);
    case kFileTiff: return ReadTiff(image, path, options.page, options.headerOnly);
    case kFilePng: return ReadPng(image, path, options.headerOnly);
    default:
      image.Release(true);
      return image.Fail("Opening %s files is not supported.", FileTypeName(type));
  }
}

// A file whose name says one type and whose content another: the reader's
// refusal is kept, and the way out added to it.
void NameTheContent(const DibImage& image, const std::string& path, FileTypeCode named) {
  const FileTypeCode held = FileTypeFromContent(path);
  if (held == kFileUnknown || held == named) return;
  // DjVu and IW44 files share a reader: their names may be swapped.
  if ((held == kFileDjvu || held == kFileIw44) && (named == kFileDjvu || named == kFileIw44)) {
    return;
  }
  std::string text = LastMessage();
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  image.Fail("%s The file holds %s data, not %s: give it a name ending in %s to open it.",
             text.c_str(), FileTypeName(held), FileTypeName(named), FileTypeExtension(held));
}

}  // namespace

bool ReadImageFile(DibImage& image, const std::string& path, FileTypeCode type,
                   const ReadOptions& options) {
  if (ReadByType(image, path, type, options)) return true;
  NameTheContent(image, path, type);
  return false;
}

}  // namespace leaf
