#include "SaveImageFile.h"

#include <filesystem>
#include <system_error>

#include "Bmp.h"
#include "Pnm.h"

namespace leaf {

bool MakeFolderFor(const DibImage& image, const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) return true;
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  std::filesystem::create_directories(folder, error);
  if (error) {
    return image.Fail("Could not create the folder %s: %s", folder.c_str(),
                      error.message().c_str());
  }
  return true;
}

bool SaveImageFile(const std::string& path, FileTypeCode type, DibImage& image,
                   const SaveParameters& parameters) {
  if (!MakeFolderFor(image, path)) return false;
  switch (type) {
    case kFileDjvu:
      return SaveDjvu(image, path, parameters.djvu.upsample, parameters.djvu.textOnly,
                      parameters.djvu.mask, parameters.djvu.encode);
    case kFileIw44: return SaveIw44(image, path, parameters.iw44);
    case kFileBmp: return WriteBmp(image, path);
    case kFilePnm: return WritePnm(image, path);
    case kFileJpeg: return WriteJpeg(image, path, parameters.jpeg);
    default: return image.Fail("Saving as %s is not supported.", FileTypeName(type));
  }
}

}  // namespace leaf
