#include "RecentFiles.h"

#include <algorithm>

#include "AppSettings.h"

namespace leaf {

void AddRecentFile(std::vector<std::string>& list, const std::string& path) {
  if (path.empty()) return;
  RemoveRecentFile(list, path);
  list.insert(list.begin(), path);
  if (list.size() > static_cast<size_t>(kRecentFileCount)) list.resize(kRecentFileCount);
}

void RemoveRecentFile(std::vector<std::string>& list, const std::string& path) {
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
}

}  // namespace leaf
