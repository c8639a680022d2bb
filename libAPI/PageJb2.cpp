#include "PageJb2.h"

#include <cstring>

#include "ByteStream.h"
#include "IFFByteStream.h"

namespace djvu {

namespace {

GP<IFFByteStream> Reader(const PageBytes& page) {
  return IFFByteStream::create(ByteStream::create(page.data(), page.size()));
}

// The bytes written to a memory stream, without the magic the writer put
// in front.
PageBytes Bytes(ByteStream& stream) {
  PageBytes bytes(static_cast<size_t>(stream.size()));
  stream.seek(0);
  if (!bytes.empty()) stream.readall(bytes.data(), bytes.size());
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "AT&T", 4) == 0) {
    bytes.erase(bytes.begin(), bytes.begin() + 4);
  }
  return bytes;
}

unsigned InfoResolution(ByteStream& info) {
  unsigned char bytes[8];
  if (info.readall(bytes, sizeof bytes) != sizeof bytes) return 0;
  return bytes[6] | (bytes[7] << 8);
}

void CopyChunk(IFFByteStream& from, IFFByteStream& to, const GUTF8String& id) {
  to.put_chunk(id);
  to.get_bytestream()->copy(*from.get_bytestream());
  to.close_chunk();
}

}  // namespace

PageShapes ReadPageShapes(const PageBytes& page) {
  PageShapes result;
  const GP<IFFByteStream> iff = Reader(page);
  GUTF8String id;
  if (!iff->get_chunk(id) || id != "FORM:DJVU") return result;
  GP<JB2Image> shapes;
  while (iff->get_chunk(id)) {
    if (id == "INFO") result.dpi = InfoResolution(*iff->get_bytestream());
    if (id == "Djbz" || id == "INCL") return PageShapes{};
    if (id == "Sjbz" && !shapes) {
      shapes = JB2Image::create();
      shapes->decode(iff->get_bytestream());
    }
    iff->close_chunk();
  }
  result.shapes = shapes;
  return result;
}

PageBytes WithSharedShapes(const PageBytes& page, const JB2Image& shapes,
                           const std::string& dictionary) {
  const GP<IFFByteStream> in = Reader(page);
  const GP<ByteStream> stream = ByteStream::create();
  const GP<IFFByteStream> out = IFFByteStream::create(stream);
  GUTF8String id;
  in->get_chunk(id);
  out->put_chunk(id);
  while (in->get_chunk(id)) {
    if (id == "Sjbz") {
      out->put_chunk("INCL");
      out->get_bytestream()->writall(dictionary.data(), dictionary.size());
      out->close_chunk();
      out->put_chunk("Sjbz");
      shapes.encode(out->get_bytestream());
      out->close_chunk();
    } else {
      CopyChunk(*in, *out, id);
    }
    in->close_chunk();
  }
  out->close_chunk();
  out->flush();
  return Bytes(*stream);
}

PageBytes DictionaryFile(const JB2Dict& dictionary) {
  const GP<ByteStream> stream = ByteStream::create();
  const GP<IFFByteStream> out = IFFByteStream::create(stream);
  out->put_chunk("FORM:DJVI");
  out->put_chunk("Djbz");
  dictionary.encode(out->get_bytestream());
  out->close_chunk();
  out->close_chunk();
  out->flush();
  return Bytes(*stream);
}

}  // namespace djvu
