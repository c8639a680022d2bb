// The byte stream through which the layer reads and writes files: the
// caller's read or write routine, or a stdio stream given as the context.
// It only moves forward, so a pipe or a socket serves as well as a file.
#pragma once

#include <vector>

#include "ByteStream.h"
#include "djvu_io.h"

namespace djvu {

inline constexpr char kIOSubByteStreamSource[] = "libAPI/IOSubByteStream";

class DjVu_IOSubByteStream : public ByteStream {
 public:
  // Without a read (write) routine the context is a FILE*; null stands for
  // standard input (output).
  static GP<DjVu_IOSubByteStream> create(djvu_read_routine read, djvu_write_routine write,
                                         void* context) {
    return new DjVu_IOSubByteStream(read, write, context);
  }

  // Bytes that were read ahead and are to be read again first.
  void unread(const void* bytes, size_t length);

  size_t read(void* buffer, size_t size) override;
  size_t write(const void* buffer, size_t size) override;
  long tell() const override { return static_cast<long>(position_); }
  int seek(long offset, int whence = SEEK_SET, bool nothrow = false) override;

 private:
  DjVu_IOSubByteStream(djvu_read_routine read, djvu_write_routine write, void* context)
      : read_(read), write_(write), context_(context) {}

  djvu_read_routine read_;
  djvu_write_routine write_;
  void* context_;
  std::vector<unsigned char> pushedBack_;
  size_t position_ = 0;  // bytes passed so far
};

}  // namespace djvu
