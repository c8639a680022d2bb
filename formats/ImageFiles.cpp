#include "ImageFiles.h"

#include "Bmp.h"
#include "DjvuReader.h"
#include "Jpeg.h"
#include "Pnm.h"
#include "Tiff.h"

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

bool ReadImageFile(DibImage& image, const std::string& path, FileTypeCode type,
                   const ReadOptions& options) {
  switch (type) {
    case kFileDjvu:
    case kFileIw44:
      return ReadDjvu(image, path, options.layer, options.depth, options.zoom, options.gamma,
                      options.page);
    case kFileBmp: return ReadBmp(image, path);
    case kFilePnm: return ReadPnm(image, path);
    case kFileJpeg: return ReadJpeg(image, path, options.depth, options.jpegDctMethod);
    case kFileTiff: return ReadTiff(image, path, options.page);
    default:
      image.Release(true);
      return image.Fail("Opening %s files is not supported.", FileTypeName(type));
  }
}

}  // namespace leaf
