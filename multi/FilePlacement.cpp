#include "FilePlacement.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "OutputNames.h"
#include "image/Messages.h"

namespace leaf {

namespace {

bool PathExists(const std::string& path) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

// Used only where the file system has no hard links: the check and the
// rename are two steps there.
Placement RenameIfFree(const std::string& from, const std::string& to) {
  if (PathExists(to)) return Placement::Taken;
  return ::rename(from.c_str(), to.c_str()) == 0 ? Placement::Placed : Placement::Failed;
}

bool NoHardLinks(int error) { return error == EPERM || error == EOPNOTSUPP || error == ENOSYS; }

}  // namespace

Placement LinkNoReplace(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) return Placement::Placed;
  if (errno == EEXIST) return Placement::Taken;
  if (NoHardLinks(errno)) return RenameIfFree(from, to);
  return Placement::Failed;
}

Placement MoveNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return Placement::Placed;
  }
  if (errno == EEXIST) return Placement::Taken;
  if (errno != EINVAL && errno != ENOSYS) return Placement::Failed;
  // Network file systems refuse the flag; a link and an unlink do the same.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return Placement::Placed;
  }
  if (errno == EEXIST) return Placement::Taken;
  if (NoHardLinks(errno)) return RenameIfFree(from, to);
  return Placement::Failed;
}

bool PlaceUnderFreeName(const std::string& from, const std::string& wanted, bool keepSource,
                        std::string& placed) {
  for (int number = 0; number <= kMaxNameNumber; ++number) {
    const std::string name = number == 0 ? wanted : NumberedName(wanted, number);
    const Placement result = keepSource ? LinkNoReplace(from, name) : MoveNoReplace(from, name);
    if (result == Placement::Placed) {
      placed = name;
      return true;
    }
    if (result == Placement::Failed) {
      SetMessage("Could not put %s in place: %s", name.c_str(), std::strerror(errno));
      return false;
    }
  }
  SetMessage("%s and its numbered names up to %d are all taken", wanted.c_str(), kMaxNameNumber);
  return false;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return true;
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  std::filesystem::create_directories(folder, error);
  if (error && !std::filesystem::is_directory(folder)) {
    SetMessage("Could not create the folder %s: %s", folder.c_str(), error.message().c_str());
    return false;
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace leaf
