#include "PageChunks.h"

#include <set>
#include <string>

#include "DataPool.h"
#include "GURL.h"
#include "IFFByteStream.h"

namespace djvu {

namespace {

constexpr int kMaxIncludeDepth = 8;
constexpr size_t kMaxNameLength = 1024;

class Walk {
 public:
  Walk(const ChunkVisitor& visit, IncludedFiles included) : visit_(visit), included_(included) {}

  void File(const GP<DjVuFile>& file) {
    if (file) Data(file, file->get_init_data_pool(), file->get_url(), 0);
  }

 private:
  // The chunks of one file's data; from is the port that resolves the names
  // its INCL chunks give.
  void Data(DjVuPort* from, const GP<DataPool>& pool, const GURL& where, int depth) {
    if (!pool || depth > kMaxIncludeDepth) return;
    if (!seen_.insert(static_cast<const char*>(where.get_string())).second) return;
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
          if (included_ == IncludedFiles::kVisit) Include(from, name, depth);
        } else {
          visit_(id, *data);
        }
        iff->close_chunk();
      }
    } catch (const GException&) {
      // A damaged file: the decoder tells what is wrong with it.
    }
  }

  // The included file's data as the document holds it, without making a
  // file object of it (which would set the codec to work on it).
  void Include(DjVuPort* from, const GUTF8String& name, int depth) {
    DjVuPortcaster* caster = DjVuPort::get_portcaster();
    GURL url;
    GP<DataPool> pool;
    try {
      url = caster->id_to_url(from, name);
      if (url.is_empty()) return;
      pool = caster->request_data(from, url);
    } catch (const GException&) {
      return;
    }
    Data(from, pool, url, depth + 1);
  }

  const ChunkVisitor& visit_;
  const IncludedFiles included_;
  std::set<std::string> seen_;
};

}  // namespace

void WalkPageChunks(const GP<DjVuFile>& page, const ChunkVisitor& visit, IncludedFiles included) {
  Walk(visit, included).File(page);
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
