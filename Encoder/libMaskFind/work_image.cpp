#include "work_image.h"

#include <cstring>

namespace maskfind {

namespace {

const char kSource[] = "Encoder/libMaskFind/work_image";

const uint8_t* SourceRow(const djvu_pixel_image& image, int y) {
  return image.data + image.offset + static_cast<size_t>(y) * image.rowsize;
}

void RequireSameSize(const djvu_pixel_image& source, const work_image& target, int line) {
  if (source.w != target.image.w || source.h != target.image.h) {
    djvu_mask_error("Diff. image dimensions", kSource, line);
  }
}

void RequireGray(const djvu_pixel_image& source, int line) {
  if (!(source.flags & DJVU_GRAY) || source.pixsize < 1 || !source.data) {
    djvu_mask_error("Not a grey image", kSource, line);
  }
}

}  // namespace

work_image make_work_image(int w, int h, where_t where) {
  if (w < 0 || h < 0) djvu_mask_error("Diff. image dimensions", kSource, __LINE__);
  work_image result;
  const size_t rowsize = static_cast<size_t>(w) + 2 * kBorder;
  const size_t rows = static_cast<size_t>(h) + 2 * kBorder;
  result.buffer.resize(rowsize * rows, where);
  std::memset(result.buffer.data(), kWhite6, result.buffer.size());
  djvu_pixel_image& image = result.image;
  image.flags = DJVU_GRAY;
  image.w = static_cast<unsigned>(w);
  image.h = static_cast<unsigned>(h);
  image.rowsize = static_cast<unsigned>(rowsize);
  image.pixsize = 1;
  image.offset = static_cast<unsigned>((static_cast<size_t>(w) + 5) * 2);
  image.data = result.buffer.data();
  image.alloc_tag = 0;
  return result;
}

void replicate_border(work_image& image) {
  const int w = image.width(), h = image.height();
  if (w == 0 || h == 0) return;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = image.row(y);
    for (int k = 1; k <= kBorder; ++k) {
      row[-k] = row[0];
      row[w - 1 + k] = row[w - 1];
    }
  }
  const size_t full = static_cast<size_t>(w) + 2 * kBorder;
  for (int k = 1; k <= kBorder; ++k) {
    std::memcpy(image.row(-k) - kBorder, image.row(0) - kBorder, full);
    std::memcpy(image.row(h - 1 + k) - kBorder, image.row(h - 1) - kBorder, full);
  }
}

void colour_to_gray(const djvu_pixel_image& page, work_image& gray) {
  RequireSameSize(page, gray, __LINE__);
  int red, blue;  // byte positions inside a pixel
  if (page.flags & DJVU_RGB) {
    red = 0;
    blue = 2;
  } else if (page.flags & DJVU_BGR) {
    red = 2;
    blue = 0;
  } else {
    djvu_mask_error("Rgb image has unknow color representation (neither RGB nor BGR)", kSource,
                    __LINE__);
  }
  if (page.pixsize < 3 || (!page.data && page.w && page.h)) {
    djvu_mask_error("Not a grey image", kSource, __LINE__);
  }
  const int w = gray.width();
  for (int y = 0; y < gray.height(); ++y) {
    const uint8_t* in = SourceRow(page, y);
    uint8_t* out = gray.row(y);
    for (int x = 0; x < w; ++x, in += page.pixsize) {
      out[x] = static_cast<uint8_t>((612 * in[red] + 1202 * in[1] + 233 * in[blue]) >> 11);
    }
  }
  gray.image.flags = DJVU_GRAY;
}

void gray_to_six_bits(const djvu_pixel_image& gray8, work_image& six) {
  RequireGray(gray8, __LINE__);
  RequireSameSize(gray8, six, __LINE__);
  const int w = six.width();
  for (int y = 0; y < six.height(); ++y) {
    const uint8_t* in = SourceRow(gray8, y);
    uint8_t* out = six.row(y);
    for (int x = 0; x < w; ++x)
      out[x] = static_cast<uint8_t>(in[static_cast<size_t>(x) * gray8.pixsize] >> 2);
  }
}

void split_tones(const djvu_pixel_image& gray8, int level, work_image& light, work_image& dark) {
  RequireGray(gray8, __LINE__);
  RequireSameSize(gray8, light, __LINE__);
  RequireSameSize(gray8, dark, __LINE__);
  if (level < 1 || level > 255) djvu_mask_error("Diff. image dimensions", kSource, __LINE__);
  const int w = light.width();
  for (int y = 0; y < light.height(); ++y) {
    const uint8_t* in = SourceRow(gray8, y);
    uint8_t* lightRow = light.row(y);
    uint8_t* darkRow = dark.row(y);
    for (int x = 0; x < w; ++x) {
      const int p = in[static_cast<size_t>(x) * gray8.pixsize];
      if (p < level) {
        lightRow[x] = 0;
        darkRow[x] = static_cast<uint8_t>((p * 64) / level);
      } else {
        lightRow[x] = static_cast<uint8_t>(((p - level) * 64) / (256 - level));
        darkRow[x] = kWhite6;
      }
    }
  }
}

}  // namespace maskfind
