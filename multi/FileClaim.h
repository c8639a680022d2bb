// An exclusive claim on a file by whoever holds it open: a lock that ends
// with the holder, also when the holder is killed, and that other processes
// on this or another machine (through the network file system's locks) see.
#pragma once

#include <sys/types.h>

#include <string>

namespace leaf {

class FileClaim {
 public:
  FileClaim() = default;
  ~FileClaim();
  FileClaim(FileClaim&& other) noexcept;
  FileClaim& operator=(FileClaim&& other) noexcept;
  FileClaim(const FileClaim&) = delete;
  FileClaim& operator=(const FileClaim&) = delete;

  // Opens and locks the file without waiting. False when it cannot be
  // opened, someone else holds it, or it was renamed or replaced while the
  // lock was taken (another claimer got there first).
  bool Take(const std::string& path);

  // True when path names the very file held (not a namesake).
  bool Names(const std::string& path) const;

  bool held() const { return fd_ >= 0; }
  dev_t device() const { return device_; }
  ino_t inode() const { return inode_; }

  void Release();

 private:
  int fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace leaf
