// Writes a file so that a failed or interrupted write never replaces a good
// one: the bytes go to an unnamed temporary file in the target's folder
// (O_TMPFILE), linked into place only when everything was written. Where the
// file system has no unnamed files, a named temporary beside the target is
// renamed into place instead, and removed when the program is interrupted.
//
// The target is what the name leads to: a symbolic link is followed and its
// target written. An existing device or FIFO, and "-" (standard output), are
// written directly: there is nothing to replace.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "image/DibImage.h"

namespace leaf {

class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file (or opens the device). False, with error()
  // set, when it cannot be made.
  bool Open();

  std::FILE* stream() const { return stream_; }
  const std::string& path() const { return path_; }

  // Writes all bytes; false (with error() set) on a short write.
  bool Write(const void* data, size_t size);

  // Flushes, syncs and closes the temporary file, which stays (under a
  // temporary name) until Commit or Discard: files that belong together are
  // all written before any of them replaces the one it is named after. False,
  // with error() set, when a step fails; the temporary file is then gone.
  bool Close();

  // Closes the temporary file (unless Close did) and puts it in place of the
  // target. False, with error() set, when any step fails; the temporary file
  // is then gone.
  bool Commit();

  // Closes and removes the temporary file (also done by the destructor when
  // Commit was not reached).
  void Discard();

  // The errno of the first step that failed (EIO when it was not known), and
  // its text: "No space left on device".
  int error() const { return error_; }
  const char* Reason() const;

 private:
  enum class Kind { kNone, kUnnamed, kNamed, kDirect };

  bool OpenDirect(int fd);
  bool OpenUnnamed();
  bool OpenNamed();
  bool Finish();
  bool CloseStream(bool ok);
  bool LinkUnderTemporaryName();
  bool LinkIntoPlace();
  bool PutInPlace();
  void ForgetTemporary(bool remove);
  bool Failed();

  std::string path_;
  std::string target_;     // path_ with symbolic links followed
  std::string temporary_;  // the named temporary, while it exists
  int slot_ = -1;          // where the signal handler finds its name
  std::FILE* stream_ = nullptr;
  Kind kind_ = Kind::kNone;
  bool closed_ = false;    // Close succeeded; Commit still to come
  int existingMode_ = -1;  // permissions of the file being replaced
  int error_ = 0;
};

// Writes all bytes; false on a short write.
bool WriteAll(std::FILE* stream, const void* data, size_t size);

// The failure texts of a file that could not be made or written, with the
// reason: "Cannot create out.bmp: Permission denied.", "Cannot write out.bmp:
// No space left on device.". Both return false.
bool FailToCreate(const DibImage& image, const AtomicFile& file);
bool FailToWrite(const DibImage& image, const AtomicFile& file);

// The name of a temporary file beside path that stays within the file
// system's 255-byte limit on names, however long the target's name is.
std::string TemporaryNameFor(const std::string& path, unsigned sequence);

// The file a name leads to: symbolic links followed (relative ones from the
// folder of the link), to a file that may not exist yet.
std::string FollowLinks(const std::string& path);

// True when path is an existing regular file nobody may write to, or one this
// process may not write to: replacing it needs the user's say-so.
bool IsWriteProtected(const std::string& path);

// Removes the named temporary files of unfinished writes when the process
// receives SIGINT, SIGTERM or SIGHUP, then ends it as the signal would have.
// Call once at start-up, from a program (not a library) that has no handlers
// of its own for these signals.
void RemoveTemporariesOnSignals();

}  // namespace leaf
