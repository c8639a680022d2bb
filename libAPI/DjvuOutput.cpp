#include "DjvuOutput.h"

#include <cstdio>
#include <vector>

#include "djvu_error.h"

namespace djvu {

void HandOver(ByteStream& stream, djvu_output_routine output, void* context) {
  const long size = stream.size();
  std::vector<unsigned char> bytes(static_cast<size_t>(size > 0 ? size : 0));
  stream.seek(0);
  if (!bytes.empty()) stream.readall(bytes.data(), bytes.size());
  size_t written;
  if (output) {
    written = output(context, bytes.data(), bytes.size());
  } else {
    std::FILE* file = context ? static_cast<std::FILE*>(context) : stdout;
    written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  }
  if (written != bytes.size()) {
    Throw("djvu_encode: output routine did not return expected value", "libAPI/libdjvu", __LINE__);
  }
}

}  // namespace djvu
