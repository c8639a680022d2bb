// The selection bar's file list: one folder's subfolders and the files of a
// type, and their order.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace leaf {

struct FolderEntry {
  std::string name;
  int type = 0;  // 0 a folder, else the FileTypeCode of the name
  long long size = 0;
  std::time_t modified = 0;
};

enum FolderColumn {
  kFolderColumnName = 0,
  kFolderColumnSize,
  kFolderColumnType,
  kFolderColumnModified
};

// The folder's entries ("." left out, ".." kept): every subfolder, and the
// files whose type is filterType, or any readable type for 100. An
// unreadable folder gives no entries.
std::vector<FolderEntry> ListFolder(const std::string& folder, int filterType);

// Sorts by a column (names ignoring case), folders before files, the whole
// order reversed for sign -1 (so folders then come last).
void SortFolderEntries(std::vector<FolderEntry>& entries, int column, int sign);

// "DjVu", "IW44", "Bmp", "Pnm", "Jpeg", "Tiff"; "" for a folder.
const char* FileTypeLabel(int type);

// "YYYY-MM-DD HH:MM" in local time.
std::string LocalTimeText(std::time_t time);

// Compares two names ignoring letter case (<0, 0, >0).
int CompareIgnoringCase(const std::string& a, const std::string& b);

}  // namespace leaf
