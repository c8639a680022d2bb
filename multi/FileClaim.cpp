#include "FileClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace leaf {

FileClaim::~FileClaim() { Release(); }

FileClaim::FileClaim(FileClaim&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), device_(other.device_), inode_(other.inode_) {}

FileClaim& FileClaim::operator=(FileClaim&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    device_ = other.device_;
    inode_ = other.inode_;
  }
  return *this;
}

bool FileClaim::Take(const std::string& path) {
  Release();
  // Network file systems lock exclusively only what is open for writing.
  int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  device_ = status.st_dev;
  inode_ = status.st_ino;
  if (!Names(path)) {
    Release();
    return false;
  }
  return true;
}

bool FileClaim::Names(const std::string& path) const {
  struct stat status;
  return fd_ >= 0 && ::lstat(path.c_str(), &status) == 0 && status.st_dev == device_ &&
         status.st_ino == inode_;
}

void FileClaim::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace leaf
