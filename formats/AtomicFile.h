// Writes a file through a temporary file beside it, renamed into place only
// when everything was written: a failed write never replaces a good file.
#pragma once

#include <cstdio>
#include <string>

namespace leaf {

class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file. False (with errno set) when it cannot be made.
  bool Open();

  std::FILE* stream() const { return stream_; }
  const std::string& path() const { return path_; }

  // Flushes, syncs and closes the temporary file, which stays until Commit
  // or Discard: files that belong together are all written before any of
  // them replaces the one it is named after. False when a step fails; the
  // temporary file is then removed.
  bool Close();

  // Closes the temporary file (unless Close did) and renames it over the
  // target. False when any step fails; the temporary file is then removed.
  bool Commit();

  // Closes and removes the temporary file (also done by the destructor when
  // Commit was not reached).
  void Discard();

 private:
  std::string path_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
};

// Writes all bytes; false on a short write.
bool WriteAll(std::FILE* stream, const void* data, size_t size);

}  // namespace leaf
