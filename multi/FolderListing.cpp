#include "FolderListing.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "formats/FileType.h"

namespace leaf {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

bool Listed(int type, int filterType) {
  if (type == kFileUnknown) return false;
  return filterType == kFileAllSupported || type == filterType;
}

int CompareColumn(const FolderEntry& a, const FolderEntry& b, int column) {
  const auto order = [](auto x, auto y) { return x < y ? -1 : x > y ? 1 : 0; };
  switch (column) {
    case kFolderColumnSize: return order(a.size, b.size);
    case kFolderColumnType: return order(a.type, b.type);
    case kFolderColumnModified: return order(a.modified, b.modified);
    default: return CompareIgnoringCase(a.name, b.name);
  }
}

}  // namespace

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str());
}

std::vector<FolderEntry> ListFolder(const std::string& folder, int filterType) {
  std::vector<FolderEntry> entries;
  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return entries;
  while (const dirent* item = readdir(dir.get())) {
    const std::string name = item->d_name;
    if (name == ".") continue;
    struct stat status;
    if (::stat((folder + "/" + name).c_str(), &status) != 0) continue;
    FolderEntry entry{name, 0, static_cast<long long>(status.st_size), status.st_mtime};
    if (!S_ISDIR(status.st_mode)) {
      entry.type = FileTypeFromName(name);
      if (!S_ISREG(status.st_mode) || !Listed(entry.type, filterType)) continue;
    } else {
      entry.size = 0;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

void SortFolderEntries(std::vector<FolderEntry>& entries, int column, int sign) {
  std::stable_sort(
      entries.begin(), entries.end(), [column, sign](const FolderEntry& a, const FolderEntry& b) {
        const bool aFolder = a.type == 0, bFolder = b.type == 0;
        int result = aFolder != bFolder ? (aFolder ? -1 : 1) : CompareColumn(a, b, column);
        if (result == 0) result = CompareColumn(a, b, kFolderColumnName);
        return result * sign < 0;
      });
}

const char* FileTypeLabel(int type) {
  switch (type) {
    case kFileDjvu: return "DjVu";
    case kFileIw44: return "IW44";
    case kFileBmp: return "Bmp";
    case kFilePnm: return "Pnm";
    case kFileJpeg: return "Jpeg";
    case kFileTiff: return "Tiff";
    default: return "";
  }
}

std::string LocalTimeText(std::time_t time) {
  std::tm local = {};
  localtime_r(&time, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min);
  return text;
}

}  // namespace leaf
