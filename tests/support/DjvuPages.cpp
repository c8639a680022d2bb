#include "DjvuPages.h"

#include "ByteStream.h"
#include "DjVuInfo.h"
#include "GBitmap.h"
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

}  // namespace

std::vector<uint8_t> MakeSharedDictionaryPage(int width, int height, int dpi) {
  GP<JB2Dict> dictionary = JB2Dict::create();
  for (int i = 0; i < 3; ++i) {
    JB2Shape shape;
    shape.parent = -1;
    shape.bits = Shape(8 + 4 * i, 10 + i, i);
    dictionary->add_shape(shape);
  }
  GP<JB2Image> page = JB2Image::create();
  page->set_dimension(width, height);
  page->set_inherited_dict(dictionary);
  // Shapes spread over the whole page, so that every strip has ink.
  int i = 0;
  for (int y = 3; y + 14 < height; y += 23) {
    for (int x = 2 + (y % 7); x + 18 < width; x += 31, ++i) {
      JB2Blit blit;
      blit.left = static_cast<unsigned short>(x);
      blit.bottom = static_cast<unsigned short>(y);
      blit.shapeno = static_cast<unsigned>(i % 3);
      page->add_blit(blit);
    }
  }

  GP<ByteStream> bytes = ByteStream::create();
  {
    GP<IFFByteStream> iff = IFFByteStream::create(bytes);
    iff->put_chunk("FORM:DJVU", 1);
    iff->put_chunk("INFO");
    GP<DjVuInfo> info = DjVuInfo::create();
    info->width = width;
    info->height = height;
    info->dpi = dpi;
    info->encode(*iff->get_bytestream());
    iff->close_chunk();
    iff->put_chunk("Djbz");
    dictionary->encode(iff->get_bytestream());
    iff->close_chunk();
    iff->put_chunk("Sjbz");
    page->encode(iff->get_bytestream());
    iff->close_chunk();
    iff->close_chunk();
  }
  std::vector<uint8_t> file(static_cast<size_t>(bytes->size()));
  bytes->seek(0);
  bytes->readall(file.data(), file.size());
  return file;
}

}  // namespace leaf::test
