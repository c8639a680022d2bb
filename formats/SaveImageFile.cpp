#include "SaveImageFile.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "AtomicFile.h"
#include "Bmp.h"
#include "Png.h"
#include "Pnm.h"

namespace leaf {

MadeFolders::~MadeFolders() {
  if (keep_) return;
  std::error_code ignored;
  for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) {
    std::filesystem::remove(*folder, ignored);  // only an empty folder goes
  }
}

bool MadeFolders::MakeFor(const DibImage& image, const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(FollowLinks(path)).parent_path();
  std::error_code error;
  std::vector<std::filesystem::path> missing;
  for (; !folder.empty() && !std::filesystem::exists(folder, error);
       folder = folder.parent_path()) {
    missing.push_back(folder);
    if (folder == folder.parent_path()) break;
  }
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    return image.Fail("Could not create the folder %s: %s is not a folder",
                      (missing.empty() ? folder : missing.back()).c_str(), folder.c_str());
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (std::filesystem::create_directory(*it, error) && !error) {
      made_.push_back(it->string());
      continue;
    }
    // Another writer (a second batch worker saving beside us) may have made
    // it meanwhile: a folder is all we need, though not ours to remove.
    if (!error && std::filesystem::is_directory(*it, error)) continue;
    return image.Fail("Could not create the folder %s: %s", it->c_str(),
                      error ? error.message().c_str() : "a file of that name is in the way");
  }
  return true;
}

namespace {

bool WriteByType(const std::string& path, FileTypeCode type, DibImage& image,
                 const SaveParameters& parameters) {
  switch (type) {
    case kFileDjvu:
      return SaveDjvu(image, path, parameters.djvu.upsample, parameters.djvu.textOnly,
                      parameters.djvu.mask, parameters.djvu.encode, parameters.djvu.ocr);
    case kFileIw44: return SaveIw44(image, path, parameters.iw44);
    case kFileBmp: return WriteBmp(image, path);
    case kFilePnm: return WritePnm(image, path);
    case kFileJpeg: return WriteJpeg(image, path, parameters.jpeg);
    case kFilePng: return WritePng(image, path);
    default: return image.Fail("Saving as %s is not supported.", FileTypeName(type));
  }
}

}  // namespace

bool SaveImageFile(const std::string& path, FileTypeCode type, DibImage& image,
                   const SaveParameters& parameters) {
  if (path != "-" && !parameters.replaceProtected && IsWriteProtected(path)) {
    return image.Fail("%s is write-protected, so it was left as it is.", path.c_str());
  }
  MadeFolders folders;
  if (path != "-" && !folders.MakeFor(image, path)) return false;
  if (!WriteByType(path, type, image, parameters)) return false;
  folders.Keep();
  return true;
}

}  // namespace leaf
