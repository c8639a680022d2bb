// The recent-file list: most recent first, each path once, at most five.
#pragma once

#include <string>
#include <vector>

namespace leaf {

void AddRecentFile(std::vector<std::string>& list, const std::string& path);
void RemoveRecentFile(std::vector<std::string>& list, const std::string& path);

}  // namespace leaf
