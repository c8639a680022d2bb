#include "FileDialogFilters.h"

#include <algorithm>

namespace leaf {

namespace {

constexpr const char* kAllSupportedText = "All supported image files";

std::vector<std::string> AllReadPatterns(const std::vector<FileFilter>& rows) {
  std::vector<std::string> all;
  for (const FileFilter& row : rows)
    all.insert(all.end(), row.patterns.begin(), row.patterns.end());
  return all;
}

std::vector<FileFilter> MakeOpenFilters() {
  std::vector<FileFilter> rows = {
      {"DjVu file (*.djvu;*.djv)", {"*.djvu", "*.djv"}, kFileDjvu},
      {"IW44 file (*.iw44;*.iw4)", {"*.iw44", "*.iw4"}, kFileIw44},
      {"Windows Bitmap (*.bmp)", {"*.bmp"}, kFileBmp},
      {"JPEG file (*.jpg;*.jpeg)", {"*.jpg", "*.jpeg"}, kFileJpeg},
      {"TIFF file (*.tif;*.tiff)", {"*.tif", "*.tiff"}, kFileTiff},
      {"PNM file (*.ppm;*.pgm;*.pbm)", {"*.ppm", "*.pgm", "*.pbm"}, kFilePnm},
      {"PNG file (*.png)", {"*.png"}, kFilePng},
  };
  rows.push_back({kAllSupportedText, AllReadPatterns(rows), kFileAllSupported});
  return rows;
}

}  // namespace

const std::vector<FileFilter>& OpenFilters() {
  static const std::vector<FileFilter> rows = MakeOpenFilters();
  return rows;
}

int OpenFilterRowForSetting(int openType) {
  const auto& rows = OpenFilters();
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    if (rows[i].type == openType) return static_cast<int>(i);
  }
  return static_cast<int>(rows.size()) - 1;
}

int OpenTypeSettingForRow(int row) {
  const auto& rows = OpenFilters();
  if (row < 0 || row >= static_cast<int>(rows.size())) return kFileAllSupported;
  return rows[row].type;
}

int RequestedTypeForRow(int row) {
  const int type = OpenTypeSettingForRow(row);
  return type == kFileAllSupported ? 0 : type;
}

const std::vector<FileFilter>& SaveFilters() {
  static const std::vector<FileFilter> rows = {
      {"DjVu File (*.djvu;*.djv)", {"*.djvu", "*.djv"}, kFileDjvu},
      {"IW44 File (*.iw44;*.iw4)", {"*.iw44", "*.iw4"}, kFileIw44},
      {"Windows Bitmap (*.bmp)", {"*.bmp"}, kFileBmp},
      {"JPEG File (*.jpg)", {"*.jpg"}, kFileJpeg},
      {"PNM file (*.ppm;*.pgm;*.pbm)", {"*.ppm", "*.pgm", "*.pbm"}, kFilePnm},
      {"PNG File (*.png)", {"*.png"}, kFilePng},
  };
  return rows;
}

int SaveFilterRowForType(int saveType) {
  const auto& rows = SaveFilters();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].type == saveType) return static_cast<int>(i);
  }
  return 0;
}

FileTypeCode SaveTypeForRow(int row) {
  const auto& rows = SaveFilters();
  if (row < 0 || row >= static_cast<int>(rows.size())) return kFileUnknown;
  return rows[row].type;
}

std::string SaveExtension(int saveType, int bitsPerPixel, bool gray) {
  switch (saveType) {
    case kFileDjvu: return ".djvu";
    case kFileIw44: return ".iw44";
    case kFileBmp: return ".bmp";
    case kFileJpeg: return ".jpg";
    case kFilePng: return ".png";
    case kFilePnm:
      if (bitsPerPixel == 1) return ".pbm";
      return bitsPerPixel == 8 && gray ? ".pgm" : ".ppm";
    default: return "";
  }
}

std::string NameForSaveType(const std::string& name, FileTypeCode type,
                            const std::string& extension) {
  if (FileTypeFromName(name) == type) return name;
  return name + extension;
}

std::string QtFilterText(const FileFilter& filter) {
  std::string text = filter.text.substr(0, filter.text.find(" ("));
  text += " (";
  for (size_t i = 0; i < filter.patterns.size(); ++i) {
    if (i) text += ' ';
    text += filter.patterns[i];
  }
  return text + ")";
}

}  // namespace leaf
