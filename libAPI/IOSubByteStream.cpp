#include "IOSubByteStream.h"

#include <algorithm>
#include <cstdio>

#include "djvu_error.h"

namespace djvu {

namespace {

[[noreturn]] void Fail(const char* message, int line) {
  Throw(message, kIOSubByteStreamSource, line);
}

}  // namespace

void DjVu_IOSubByteStream::unread(const void* bytes, size_t length) {
  const auto* begin = static_cast<const unsigned char*>(bytes);
  pushedBack_.insert(pushedBack_.begin(), begin, begin + length);
  position_ -= std::min(position_, length);
}

size_t DjVu_IOSubByteStream::read(void* buffer, size_t size) {
  auto* out = static_cast<unsigned char*>(buffer);
  size_t done = std::min(size, pushedBack_.size());
  std::copy_n(pushedBack_.begin(), done, out);
  pushedBack_.erase(pushedBack_.begin(), pushedBack_.begin() + static_cast<long>(done));
  if (done < size) {
    size_t got;
    if (read_) {
      got = read_(context_, out + done, size - done);
    } else {
      std::FILE* file = context_ ? static_cast<std::FILE*>(context_) : stdin;
      got = std::fread(out + done, 1, size - done, file);
    }
    done += std::min(got, size - done);
  }
  position_ += done;
  return done;
}

size_t DjVu_IOSubByteStream::write(const void* buffer, size_t size) {
  size_t written;
  if (write_) {
    written = write_(context_, buffer, size);
  } else {
    std::FILE* file = context_ ? static_cast<std::FILE*>(context_) : stdout;
    written = std::fwrite(buffer, 1, size, file);
  }
  if (written != size) Fail("DjVu_IOSubByteStream: unable to write requested data", __LINE__);
  position_ += written;
  return written;
}

int DjVu_IOSubByteStream::seek(long offset, int whence, bool nothrow) {
  const auto refuse = [&](const char* message, int line) {
    if (nothrow) return -1;
    Fail(message, line);
  };
  long target;
  if (whence == SEEK_SET) {
    target = offset;
  } else if (whence == SEEK_CUR) {
    target = static_cast<long>(position_) + offset;
  } else {
    return refuse("Illegal argument for DjVu_IOSubByteStream::seek()", __LINE__);
  }
  if (target < static_cast<long>(position_)) {
    return refuse("Cannot seek backwards in DjVu_IOSubByteStream::seek()", __LINE__);
  }
  unsigned char discard[512];
  while (static_cast<long>(position_) < target) {
    const size_t want = std::min<size_t>(sizeof discard, static_cast<size_t>(target) - position_);
    if (read(discard, want) == 0) return refuse("EOF", __LINE__);
  }
  return 0;
}

}  // namespace djvu
