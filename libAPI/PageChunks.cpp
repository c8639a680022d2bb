#include "PageChunks.h"

#include <set>
#include <string>

#include "DataPool.h"
#include "IFFByteStream.h"

namespace djvu {

namespace {

constexpr int kMaxIncludeDepth = 8;
constexpr size_t kMaxNameLength = 1024;

class Walk {
 public:
  explicit Walk(const ChunkVisitor& visit) : visit_(visit) {}

  void File(const GP<DjVuFile>& file, int depth) {
    if (!file || depth > kMaxIncludeDepth) return;
    const GP<DataPool> pool = file->get_init_data_pool();
    if (!pool) return;
    const std::string url = static_cast<const char*>(file->get_url().get_string());
    if (!seen_.insert(url).second) return;
    try {
      const GP<IFFByteStream> iff = IFFByteStream::create(pool->get_stream());
      GUTF8String form;
      if (!iff->get_chunk(form) || form.substr(0, 5) != "FORM:") return;
      GUTF8String id;
      while (iff->get_chunk(id)) {
        const GP<ByteStream> data = iff->get_bytestream();
        if (id == "INCL") {
          const GUTF8String name = IncludedName(*data);
          visit_(id, *ByteStream::create(static_cast<const char*>(name), name.length()));
          Include(file, name, depth);
        } else {
          visit_(id, *data);
        }
        iff->close_chunk();
      }
    } catch (const GException&) {
      // A damaged file: the decoder tells what is wrong with it.
    }
  }

 private:
  void Include(const GP<DjVuFile>& from, const GUTF8String& name, int depth) {
    GP<DjVuFile> included;
    try {
      included = DjVuPort::get_portcaster()->id_to_file(from, name);
    } catch (const GException&) {
      return;
    }
    File(included, depth + 1);
  }

  const ChunkVisitor& visit_;
  std::set<std::string> seen_;
};

}  // namespace

void WalkPageChunks(const GP<DjVuFile>& page, const ChunkVisitor& visit) {
  Walk(visit).File(page, 0);
}

GUTF8String IncludedName(ByteStream& data) {
  char buffer[kMaxNameLength + 1];
  const size_t length = data.readall(buffer, kMaxNameLength);
  std::string name(buffer, length);
  const size_t end = name.find_last_not_of(std::string(" \t\r\n\0", 5));
  name.erase(end == std::string::npos ? 0 : end + 1);
  return GUTF8String(name.c_str());
}

}  // namespace djvu
