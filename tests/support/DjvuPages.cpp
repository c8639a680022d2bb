#include "DjvuPages.h"

#include "ByteStream.h"
#include "DjVmDoc.h"
#include "DjVuInfo.h"
#include "GBitmap.h"
#include "GURL.h"
#include "IFFByteStream.h"
#include "JB2Image.h"

namespace leaf::test {

namespace {

GP<GBitmap> Shape(int w, int h, int seed) {
  GP<GBitmap> bitmap = GBitmap::create(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) (*bitmap)[y][x] = ((x * 3 + y * 5 + seed) % 7) < 3 ? 1 : 0;
  }
  return bitmap;
}

GP<JB2Dict> MakeDictionary() {
  GP<JB2Dict> dictionary = JB2Dict::create();
  for (int i = 0; i < 3; ++i) {
    JB2Shape shape;
    shape.parent = -1;
    shape.bits = Shape(8 + 4 * i, 10 + i, i);
    dictionary->add_shape(shape);
  }
  return dictionary;
}

// Shapes of the dictionary spread over the whole page, so that every strip
// has ink; seed moves them from page to page.
GP<JB2Image> MakePage(const GP<JB2Dict>& dictionary, int width, int height, int seed) {
  GP<JB2Image> page = JB2Image::create();
  page->set_dimension(width, height);
  page->set_inherited_dict(dictionary);
  int i = seed;
  for (int y = 3 + seed % 5; y + 14 < height; y += 23) {
    for (int x = 2 + (y % 7); x + 18 < width; x += 31, ++i) {
      JB2Blit blit;
      blit.left = static_cast<unsigned short>(x);
      blit.bottom = static_cast<unsigned short>(y);
      blit.shapeno = static_cast<unsigned>(i % 3);
      page->add_blit(blit);
    }
  }
  return page;
}

void PutInfo(IFFByteStream& iff, int width, int height, int dpi) {
  iff.put_chunk("INFO");
  GP<DjVuInfo> info = DjVuInfo::create();
  info->width = width;
  info->height = height;
  info->dpi = dpi;
  info->encode(*iff.get_bytestream());
  iff.close_chunk();
}

std::vector<uint8_t> Bytes(ByteStream& stream) {
  std::vector<uint8_t> file(static_cast<size_t>(stream.size()));
  stream.seek(0);
  stream.readall(file.data(), file.size());
  return file;
}

}  // namespace

std::vector<uint8_t> MakeSharedDictionaryPage(int width, int height, int dpi) {
  const GP<JB2Dict> dictionary = MakeDictionary();
  const GP<JB2Image> page = MakePage(dictionary, width, height, 0);
  GP<ByteStream> bytes = ByteStream::create();
  {
    GP<IFFByteStream> iff = IFFByteStream::create(bytes);
    iff->put_chunk("FORM:DJVU", 1);
    PutInfo(*iff, width, height, dpi);
    iff->put_chunk("Djbz");
    dictionary->encode(iff->get_bytestream());
    iff->close_chunk();
    iff->put_chunk("Sjbz");
    page->encode(iff->get_bytestream());
    iff->close_chunk();
    iff->close_chunk();
  }
  return Bytes(*bytes);
}

std::vector<uint8_t> MakeSharedDictionaryBook(int pages, int width, int height, int dpi,
                                              const std::string& indirectFolder) {
  const GP<JB2Dict> dictionary = MakeDictionary();
  const GP<DjVmDoc> document = DjVmDoc::create();
  {
    GP<ByteStream> bytes = ByteStream::create();
    GP<IFFByteStream> iff = IFFByteStream::create(bytes);
    iff->put_chunk("FORM:DJVI", 1);
    iff->put_chunk("Djbz");
    dictionary->encode(iff->get_bytestream());
    iff->close_chunk();
    iff->close_chunk();
    bytes->seek(0);
    document->insert_file(*bytes, DjVmDir::File::INCLUDE, "dict.iff", "dict.iff");
  }
  for (int p = 0; p < pages; ++p) {
    GP<ByteStream> bytes = ByteStream::create();
    GP<IFFByteStream> iff = IFFByteStream::create(bytes);
    iff->put_chunk("FORM:DJVU", 1);
    PutInfo(*iff, width, height, dpi);
    iff->put_chunk("INCL");
    iff->get_bytestream()->writestring(GUTF8String("dict.iff"));
    iff->close_chunk();
    iff->put_chunk("Sjbz");
    MakePage(dictionary, width, height, p)->encode(iff->get_bytestream());
    iff->close_chunk();
    iff->close_chunk();
    bytes->seek(0);
    const GUTF8String name = GUTF8String("p") + GUTF8String(p + 1) + ".djvu";
    document->insert_file(*bytes, DjVmDir::File::PAGE, name, name);
  }
  if (!indirectFolder.empty()) {
    document->expand(GURL::Filename::UTF8(indirectFolder.c_str()), "index.djvu");
  }
  GP<ByteStream> bundle = ByteStream::create();
  document->write(bundle);
  return Bytes(*bundle);
}

}  // namespace leaf::test
