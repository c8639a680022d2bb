#include "MaskSub.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "Encoder/libMaskFind/page_heap.h"
#include "PageView.h"
#include "PixelResize.h"
#include "djvu_error.h"

namespace djvu {

namespace {

constexpr const char* kSource = "libAPI/MaskSub";

// Small shapes keep their place only when their colour is this close to the
// foreground around them.
constexpr double kShapeColourTolerance = 50.0;
constexpr int kSmallShapePixels = 200;

struct Colour {
  int r = 0;
  int g = 0;
  int b = 0;
};

double Distance(const Colour& a, const Colour& b) {
  return 0.299 * std::abs(a.r - b.r) + 0.587 * std::abs(a.g - b.g) + 0.114 * std::abs(a.b - b.b);
}

Colour PixelColour(const PageView& page, const unsigned char* pixel) {
  return Colour{pixel[page.red()], pixel[page.green()], pixel[page.blue()]};
}

int CellCount(int size, int reduction) { return (size + reduction - 1) / reduction; }

// The colour page at the mask's size. A page smaller than the mask by an
// integer scale stands for the scale x scale mask pixels under each of its
// pixels, and gives them the colours its enlargement by djvu_pixel_resample
// would have (for a scale of 2 or 3; the page pixel's own colour for
// others): the layers are those of the enlarged page, without the copy.
class MaskPage {
 public:
  MaskPage(const djvu_pixel_image& image, int scale) : view_(image), scale_(std::max(1, scale)) {
    if (static_cast<long long>(view_.width()) * scale_ > kLargestMaskSide ||
        static_cast<long long>(view_.height()) * scale_ > kLargestMaskSide) {
      Throw("Page scale too large", kSource, __LINE__);
    }
    // The enlargement interpolates pages of 3 columns or more.
    interpolated_ = (scale_ == 2 || scale_ == 3) && view_.width() >= 3;
  }

  const PageView& view() const { return view_; }
  int scale() const { return scale_; }
  // True when the parts of a page pixel differ (a scale of 2 or 3).
  bool interpolated() const { return interpolated_; }
  // The size in mask pixels.
  int width() const { return view_.width() * scale_; }
  int height() const { return view_.height() * scale_; }
  // The colour of mask pixel (x, y).
  Colour at(int x, int y) const {
    const int px = x / scale_, py = y / scale_;
    if (!interpolated_) {
      return PixelColour(view_, view_.row(py) + static_cast<size_t>(px) * view_.pixsize());
    }
    const int i = x % scale_, t = y % scale_;
    return Colour{Part(px, py, i, t, view_.red()), Part(px, py, i, t, view_.green()),
                  Part(px, py, i, t, view_.blue())};
  }

 private:
  // Larger than any side a page can have, small enough for int arithmetic.
  static constexpr long long kLargestMaskSide = 1 << 20;

  // The enlargement splits each row's samples across, then the split rows
  // down (row py - 1 below, py + 1 above; the edges repeat themselves).
  int Across(int px, int py, int i, unsigned channel) const {
    const unsigned char* row = view_.row(py);
    const int left = px > 0 ? px - 1 : px;
    const int right = px + 1 < view_.width() ? px + 1 : px;
    const size_t step = view_.pixsize();
    unsigned char split[3];
    SplitSample(row[px * step + channel], row[left * step + channel], row[right * step + channel],
                static_cast<unsigned>(scale_), split);
    return split[i];
  }
  int Part(int px, int py, int i, int t, unsigned channel) const {
    const int below = py > 0 ? py - 1 : py;
    const int above = py + 1 < view_.height() ? py + 1 : py;
    unsigned char split[3];
    SplitSample(Across(px, py, i, channel), Across(px, below, i, channel),
                Across(px, above, i, channel), static_cast<unsigned>(scale_), split);
    return split[t];
  }

  PageView view_;
  int scale_;
  bool interpolated_ = false;
};

void CheckStencilCoversPage(const MaskPage& page, const JB2Image& stencil) {
  if (stencil.get_width() < page.width() || stencil.get_height() < page.height()) {
    Throw("Stencil smaller than the page", kSource, __LINE__);
  }
}

// Mean colour of the coloured cells in the box of cells [x0, x1] x [y0, y1],
// the box growing by a cell on every side until it holds one.
Colour ReferenceColour(const ColorLayer& layer, int x0, int y0, int x1, int y1) {
  const GPixmap& pixmap = *layer.pixmap;
  const GBitmap& mask = *layer.mask;
  const int columns = static_cast<int>(pixmap.columns());
  const int rows = static_cast<int>(pixmap.rows());
  if (columns == 0 || rows == 0) return Colour{};
  x0 = std::clamp(x0, 0, columns - 1);
  x1 = std::clamp(x1, 0, columns - 1);
  y0 = std::clamp(y0, 0, rows - 1);
  y1 = std::clamp(y1, 0, rows - 1);
  while (true) {
    long long r = 0, g = 0, b = 0, n = 0;
    for (int y = y0; y <= y1; ++y) {
      const GPixel* row = pixmap[y];
      const unsigned char* care = mask[y];
      for (int x = x0; x <= x1; ++x) {
        if (care[x]) continue;
        r += row[x].r;
        g += row[x].g;
        b += row[x].b;
        ++n;
      }
    }
    if (n > 0) {
      return Colour{static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                    static_cast<int>((b + n / 2) / n)};
    }
    if (x0 == 0 && y0 == 0 && x1 == columns - 1 && y1 == rows - 1) return Colour{};
    x0 = std::max(0, x0 - 1);
    y0 = std::max(0, y0 - 1);
    x1 = std::min(columns - 1, x1 + 1);
    y1 = std::min(rows - 1, y1 + 1);
  }
}

// Calls visit(x, y, colour) for every mask pixel under the shape's ink.
template <typename Visit>
void ForEachInkPixel(const MaskPage& page, const GBitmap& bits, const JB2Blit& blit,
                     Visit&& visit) {
  const int rows = static_cast<int>(bits.rows());
  const int columns = static_cast<int>(bits.columns());
  for (int r = 0; r < rows; ++r) {
    const int y = blit.bottom + r;
    if (y >= page.height()) break;
    const unsigned char* ink = bits[r];
    for (int c = 0; c < columns; ++c) {
      const int x = blit.left + c;
      if (x >= page.width()) break;
      if (ink[c]) visit(x, y, page.at(x, y));
    }
  }
}

// The mean of the two page pixels under the shape's ink nearest to the
// reference colour.
Colour NearestColour(const MaskPage& page, const GBitmap& bits, const JB2Blit& blit,
                     const Colour& reference) {
  double best[2] = {256.0, 256.0};
  Colour colours[2];
  ForEachInkPixel(page, bits, blit, [&](int, int, const Colour& colour) {
    const double d = Distance(colour, reference);
    if (d < best[0]) {
      best[1] = best[0];
      colours[1] = colours[0];
      best[0] = d;
      colours[0] = colour;
    } else if (d < best[1]) {
      best[1] = d;
      colours[1] = colour;
    }
  });
  if (best[0] >= 256.0) Throw("GetNearestColor: must have at least one pixel", kSource, __LINE__);
  if (best[1] >= 256.0) return colours[0];
  return Colour{(colours[0].r + colours[1].r) / 2, (colours[0].g + colours[1].g) / 2,
                (colours[0].b + colours[1].b) / 2};
}

}  // namespace

namespace {

// A buffer from the page heap (huge pages for a page's worth of rows).
class PageBytes {
 public:
  PageBytes() = default;
  ~PageBytes() { maskfind::page_free(bytes_); }
  PageBytes(const PageBytes&) = delete;
  PageBytes& operator=(const PageBytes&) = delete;

  // At least size bytes, the old ones not kept.
  unsigned char* Reserve(size_t size) {
    if (size > size_) {
      maskfind::page_free(bytes_);
      bytes_ = static_cast<unsigned char*>(maskfind::page_malloc(size));
      size_ = bytes_ ? size : 0;
      if (!bytes_) Throw("Memory allocation failed", kSource, __LINE__);
    }
    return bytes_;
  }

 private:
  unsigned char* bytes_ = nullptr;
  size_t size_ = 0;
};

// The stencil's ink for a band of rows, optionally grown by `grow` pixels in
// every direction (the halo of anti-aliased pixels around text). The
// buffers serve band after band.
class InkBand {
 public:
  InkBand(const JB2Image& stencil, int width, int height, int grow)
      : stencil_(stencil), width_(width), height_(height), grow_(grow) {
    if (grow_ > 0) row_.resize(width);
  }

  // Renders rows y0 .. y1 - 1 and the grow rows either side.
  void Load(int y0, int y1) {
    first_ = std::max(0, y0 - grow_);
    const int last = std::min(height_, y1 + grow_);
    rows_ = std::max(0, last - first_);
    const size_t size = static_cast<size_t>(rows_) * width_;
    bits_ = bitsBuffer_.Reserve(std::max<size_t>(size, 1));
    std::memset(bits_, 0, size);
    Render(last);
    if (grow_ > 0) GrowAcross(wideBuffer_.Reserve(std::max<size_t>(size, 1)));
  }

  // Ink (non-zero) of row y.
  const unsigned char* row(int y) {
    const size_t r = static_cast<size_t>(y - first_);
    if (grow_ == 0) return bits_ + r * width_;
    const int from = std::max(0, static_cast<int>(r) - grow_);
    const int to = std::min(rows_ - 1, static_cast<int>(r) + grow_);
    std::fill(row_.begin(), row_.end(), 0);
    for (int k = from; k <= to; ++k) {
      const unsigned char* in = wide_ + static_cast<size_t>(k) * width_;
      for (int x = 0; x < width_; ++x) row_[x] |= in[x];
    }
    return row_.data();
  }

 private:
  // Every shape's ink in rows first_ .. last - 1, as 1.
  void Render(int last) {
    for (int i = 0; i < stencil_.get_blit_count(); ++i) {
      const JB2Blit& blit = *stencil_.get_blit(i);
      const JB2Shape& shape = stencil_.get_shape(static_cast<int>(blit.shapeno));
      if (!shape.bits) continue;
      const GBitmap& bits = *shape.bits;
      const int bottom = blit.bottom, left = blit.left;
      const int r0 = std::max(0, first_ - bottom);
      const int r1 = std::min(static_cast<int>(bits.rows()), last - bottom);
      const int c0 = std::max(0, -left);
      const int c1 = std::min(static_cast<int>(bits.columns()), width_ - left);
      for (int r = r0; r < r1; ++r) {
        const unsigned char* in = bits[r];
        unsigned char* out = bits_ + static_cast<size_t>(bottom + r - first_) * width_ + left;
        for (int c = c0; c < c1; ++c) out[c] |= in[c] != 0;
      }
    }
  }

  // Ink within `grow` columns to the left or right, into wide.
  void GrowAcross(unsigned char* wide) {
    wide_ = wide;
    for (int r = 0; r < rows_; ++r) {
      const unsigned char* in = bits_ + static_cast<size_t>(r) * width_;
      unsigned char* out = wide_ + static_cast<size_t>(r) * width_;
      std::memcpy(out, in, static_cast<size_t>(width_));
      for (int d = 1; d <= grow_ && d < width_; ++d) {
        for (int x = d; x < width_; ++x) out[x] |= in[x - d];
        for (int x = 0; x + d < width_; ++x) out[x] |= in[x + d];
      }
    }
  }

  const JB2Image& stencil_;
  int width_;
  int height_;
  int grow_;
  int first_ = 0;
  int rows_ = 0;
  PageBytes bitsBuffer_;
  PageBytes wideBuffer_;
  unsigned char* bits_ = nullptr;
  unsigned char* wide_ = nullptr;
  std::vector<unsigned char> row_;
};

// The colours of mask pixels as MaskPage::at gives them, for many pixels of
// a page row: each page row is split across once and kept while the rows
// next to it are asked for.
class PageParts {
 public:
  explicit PageParts(const MaskPage& page) : page_(page) {}

  // Makes page row py the row whose parts Part gives.
  void Row(int py) {
    py_ = py;
    if (!page_.interpolated()) return;
    const int last = page_.view().height() - 1;
    here_ = Across(py);
    below_ = Across(py > 0 ? py - 1 : py);
    above_ = Across(py < last ? py + 1 : py);
  }

  // The colour of mask pixel (x, k * row + t).
  Colour Part(int x, int t) const {
    const int k = page_.scale();
    if (!page_.interpolated()) return page_.at(x, k * py_ + t);
    const PageView& view = page_.view();
    const unsigned channels[3] = {view.red(), view.green(), view.blue()};
    int rgb[3];
    for (int c = 0; c < 3; ++c) {
      const size_t at = static_cast<size_t>(x) * view.pixsize() + channels[c];
      unsigned char split[3];
      SplitSample(here_[at], below_[at], above_[at], static_cast<unsigned>(k), split);
      rgb[c] = split[t];
    }
    return Colour{rgb[0], rgb[1], rgb[2]};
  }

 private:
  static constexpr int kSlots = 4;

  // Page row py split across: the page's pixel layout, one pixel a mask column.
  const unsigned char* Across(int py) {
    ++tick_;
    int slot = 0;
    for (int i = 0; i < kSlots; ++i) {
      if (rows_[i] == py) {
        used_[i] = tick_;
        return split_[i].data();
      }
      if (used_[i] < used_[slot]) slot = i;
    }
    const PageView& view = page_.view();
    const unsigned k = static_cast<unsigned>(page_.scale());
    const size_t w = static_cast<size_t>(view.width());
    std::vector<unsigned char>& out = split_[slot];
    out.resize(k * w * view.pixsize());
    SplitRow(view.row(py), w, view.pixsize(), k, out.data());
    rows_[slot] = py;
    used_[slot] = tick_;
    return out.data();
  }

  const MaskPage& page_;
  int py_ = 0;
  const unsigned char* here_ = nullptr;
  const unsigned char* below_ = nullptr;
  const unsigned char* above_ = nullptr;
  int rows_[kSlots] = {-1, -1, -1, -1};
  long used_[kSlots] = {};
  long tick_ = 0;
  std::vector<unsigned char> split_[kSlots];
};

// Adds to counts[x] the ink pixels among the scale mask pixels of page
// column x in one mask row.
template <int kScale>
void AddInkCountsOf(const unsigned char* ink, std::vector<uint32_t>& counts) {
  const size_t n = counts.size();
  for (size_t x = 0; x < n; ++x) {
    uint32_t c = 0;
    for (int i = 0; i < kScale; ++i) c += ink[x * kScale + i] != 0;
    counts[x] += c;
  }
}

void AddInkCounts(const unsigned char* ink, int scale, std::vector<uint32_t>& counts) {
  switch (scale) {
    case 1: AddInkCountsOf<1>(ink, counts); return;
    case 2: AddInkCountsOf<2>(ink, counts); return;
    case 3: AddInkCountsOf<3>(ink, counts); return;
    case 4: AddInkCountsOf<4>(ink, counts); return;
    default:
      for (size_t x = 0, m = 0; x < counts.size(); ++x) {
        for (int i = 0; i < scale; ++i, ++m) counts[x] += ink[m] != 0;
      }
  }
}

// Cell means of the pixels under ink (polarity 1) or away from it; pixels
// within halo pixels of ink do not count as away from it. A page pixel whose
// mask pixels all qualify and lie in one cell counts its own colour for each
// of them (the mean of its enlargement's parts); any other counts the
// colours of its qualifying parts, each in the cell it lies in.
bool Estimate(const MaskPage& page, const JB2Image& stencil, ColorLayer& layer, int reduction,
              int polarity, int minimumCount, size_t budget, int halo) {
  CheckStencilCoversPage(page, stencil);
  const PageView& view = page.view();
  const int k = page.scale();
  const int w = page.width();
  const int h = page.height();
  const int r = std::max(1, reduction);
  const int columns = CellCount(w, r);
  const int rows = CellCount(h, r);
  layer.pixmap->init(rows, columns);
  layer.mask->init(rows, columns);
  if (w == 0 || h == 0) return false;

  const bool wantInk = polarity != 0;
  const uint64_t least = static_cast<uint64_t>(std::max(1, minimumCount));
  const uint32_t whole = static_cast<uint32_t>(k * k);
  const int pageWidth = view.width(), pageHeight = view.height();
  const int bandCells = static_cast<int>(
      std::max<size_t>(1, budget / (static_cast<size_t>(w) * static_cast<size_t>(r))));
  std::vector<int> cellOfColumn(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) cellOfColumn[x] = x / r;
  std::vector<uint64_t> sums(static_cast<size_t>(columns) * 4);
  std::vector<uint32_t> counts(static_cast<size_t>(pageWidth));
  // The ink of the mask rows of one page row.
  std::vector<unsigned char> inkRows(static_cast<size_t>(k) * w);
  const unsigned step = view.pixsize();
  InkBand ink(stencil, w, h, halo);
  PageParts parts(page);
  bool coloured = false;
  for (int bandStart = 0; bandStart < rows; bandStart += bandCells) {
    const int bandEnd = std::min(rows, bandStart + bandCells);
    // Whole page rows: those that straddle the band's edge too.
    const int firstRow = r * bandStart / k;
    const int endRow = std::min(pageHeight, (std::min(h, r * bandEnd) + k - 1) / k);
    ink.Load(k * firstRow, k * endRow);
    for (int cy = bandStart; cy < bandEnd; ++cy) {
      std::fill(sums.begin(), sums.end(), 0);
      const int top = std::min(h, r * cy + r);  // mask rows r * cy .. top - 1
      for (int y = r * cy / k; y < pageHeight && k * y < top; ++y) {
        // How many of each page pixel's mask pixels qualify.
        std::fill(counts.begin(), counts.end(), 0);
        for (int j = 0; j < k; ++j) {
          const unsigned char* inkRow = ink.row(k * y + j);
          AddInkCounts(inkRow, k, counts);
          std::memcpy(&inkRows[static_cast<size_t>(j) * w], inkRow, w);
        }
        if (!wantInk) {
          for (uint32_t& n : counts) n = whole - n;
        }
        // The page row's mask rows in this cell row.
        const int t0 = std::max(0, r * cy - k * y), t1 = std::min(k, top - k * y);
        const unsigned char* pixel = view.row(y);
        bool partsReady = false;
        for (int x = 0; x < pageWidth; ++x, pixel += step) {
          const uint32_t n = counts[x];
          if (n == 0) continue;
          const int mx = k * x;
          if (n == whole && t0 == 0 && t1 == k && cellOfColumn[mx] == cellOfColumn[mx + k - 1]) {
            // Wholly inside one cell: its parts' mean is its own colour.
            uint64_t* cell = &sums[static_cast<size_t>(cellOfColumn[mx]) * 4];
            cell[0] += uint64_t{n} * pixel[view.red()];
            cell[1] += uint64_t{n} * pixel[view.green()];
            cell[2] += uint64_t{n} * pixel[view.blue()];
            cell[3] += n;
            continue;
          }
          if (!partsReady) {
            parts.Row(y);
            partsReady = true;
          }
          for (int t = t0; t < t1; ++t) {
            const unsigned char* inkRow = &inkRows[static_cast<size_t>(t) * w];
            for (int i = 0; i < k; ++i) {
              if ((inkRow[mx + i] != 0) != wantInk) continue;
              const Colour part = parts.Part(mx + i, t);
              uint64_t* cell = &sums[static_cast<size_t>(cellOfColumn[mx + i]) * 4];
              cell[0] += static_cast<uint64_t>(part.r);
              cell[1] += static_cast<uint64_t>(part.g);
              cell[2] += static_cast<uint64_t>(part.b);
              cell[3] += 1;
            }
          }
        }
      }
      GPixel* out = (*layer.pixmap)[cy];
      unsigned char* care = (*layer.mask)[cy];
      for (int cx = 0; cx < columns; ++cx) {
        const uint64_t* cell = &sums[static_cast<size_t>(cx) * 4];
        const uint64_t n = cell[3];
        if (n < least) {
          out[cx] = GPixel{0, 0, 0};
          care[cx] = 1;
        } else {
          out[cx].r = static_cast<unsigned char>(cell[0] / n);
          out[cx].g = static_cast<unsigned char>(cell[1] / n);
          out[cx].b = static_cast<unsigned char>(cell[2] / n);
          care[cx] = 0;
          coloured = true;
        }
      }
    }
  }
  return coloured;
}

}  // namespace

bool EstimateCells(const djvu_pixel_image& image, const JB2Image& stencil, ColorLayer& layer,
                   int reduction, int polarity, int minimumCount, size_t budget, int scale) {
  return Estimate(MaskPage(image, scale), stencil, layer, reduction, polarity, minimumCount, budget,
                  0);
}

bool FillForeground(const djvu_pixel_image& page, const JB2Image& stencil, ColorLayer& foreground,
                    int f, int scale) {
  return EstimateCells(page, stencil, foreground, f, 1, 1, kCellBandBudget, scale);
}

GP<JB2Image> DropOffColourShapes(const djvu_pixel_image& image, const JB2Image& stencil,
                                 const ColorLayer& foreground, int f, int scale) {
  const MaskPage page(image, scale);
  GP<JB2Image> result = JB2Image::create();
  result->set_dimension(stencil.get_width(), stencil.get_height());
  const int cells = std::max(1, f);
  for (int i = 0; i < stencil.get_blit_count(); ++i) {
    const JB2Blit& blit = *stencil.get_blit(i);
    const JB2Shape& shape = stencil.get_shape(static_cast<int>(blit.shapeno));
    if (shape.parent >= 0) Throw("orphan shape only!", kSource, __LINE__);
    if (!shape.bits) continue;
    const int rows = static_cast<int>(shape.bits->rows());
    const int columns = static_cast<int>(shape.bits->columns());
    bool keep = rows * columns >= kSmallShapePixels;
    if (!keep) {
      const Colour reference =
          ReferenceColour(foreground, blit.left / cells, blit.bottom / cells,
                          (blit.left + columns - 1) / cells, (blit.bottom + rows - 1) / cells);
      const Colour nearest = NearestColour(page, *shape.bits, blit, reference);
      keep = Distance(reference, nearest) <= kShapeColourTolerance;
    }
    if (!keep) continue;
    JB2Shape copy;
    copy.parent = -1;
    copy.bits = shape.bits;
    copy.userdata = 0;
    JB2Blit placed = blit;
    placed.shapeno = static_cast<unsigned>(result->add_shape(copy));
    result->add_blit(placed);
  }
  return result;
}

namespace {

// A page pixel counts toward a shape's colour when it stands this far from
// the background around it: anti-aliased edge pixels, nearly paper, would
// only wash the colour out.
constexpr double kDiffersFromBackground = 32.0;

void CheckForegroundCoversPage(const MaskPage& page, const ColorLayer& foreground, int f) {
  const long long w = page.width();
  const long long h = page.height();
  if (static_cast<long long>(foreground.pixmap->columns()) * f < w) {
    Throw("Image FG width too small", kSource, __LINE__);
  }
  if (static_cast<long long>(foreground.mask->columns()) * f < w) {
    Throw("Mask FG width too small", kSource, __LINE__);
  }
  if (static_cast<long long>(foreground.pixmap->rows()) * f < h) {
    Throw("Image FG height too small", kSource, __LINE__);
  }
  if (static_cast<long long>(foreground.mask->rows()) * f < h) {
    Throw("Mask FG height too small", kSource, __LINE__);
  }
}

// Paper pixels along the edges of letters hold a blend of ink and paper;
// averaged into the background they leave a dark ghost of the text there,
// which costs wavelet bits and shows as a halo around every letter. The
// background is the mean of the pixels at least inkBorder + 1 mask pixels
// away from ink, and cells without such pixels are don't care. True when
// some cell got a colour, or, when none did, some pixel lies outside ink.
bool EstimateBackground(const MaskPage& page, const JB2Image& stencil, ColorLayer& background,
                        int s, int inkBorder) {
  if (Estimate(page, stencil, background, s, 0, 1, kCellBandBudget, inkBorder)) return true;
  ColorLayer outsideInk;
  return Estimate(page, stencil, outsideInk, s, 0, 1, kCellBandBudget, 0);
}

// The paper colour behind every background cell: its own colour, or for a
// don't-care cell (text covers it, or its border) the colour of the nearest
// cell that has one. Five bytes a cell: the colour as bytes, the distance in
// cells (at most the larger side, which fits 16 bits).
class PaperColours {
 public:
  explicit PaperColours(const ColorLayer& background)
      : columns_(static_cast<int>(background.pixmap->columns())),
        rows_(static_cast<int>(background.pixmap->rows())),
        colours_(static_cast<size_t>(columns_) * rows_),
        distances_(colours_.size(), kFar) {
    for (int y = 0; y < rows_; ++y) {
      for (int x = 0; x < columns_; ++x) {
        if ((*background.mask)[y][x]) continue;
        colours_[Index(x, y)] = (*background.pixmap)[y][x];
        distances_[Index(x, y)] = 0;
      }
    }
    // Two chamfer sweeps carry every known colour to the cells around it.
    for (int y = 0; y < rows_; ++y) {
      for (int x = 0; x < columns_; ++x) {
        Take(x, y, x - 1, y);
        Take(x, y, x - 1, y - 1);
        Take(x, y, x, y - 1);
        Take(x, y, x + 1, y - 1);
      }
    }
    for (int y = rows_ - 1; y >= 0; --y) {
      for (int x = columns_ - 1; x >= 0; --x) {
        Take(x, y, x + 1, y);
        Take(x, y, x + 1, y + 1);
        Take(x, y, x, y + 1);
        Take(x, y, x - 1, y + 1);
      }
    }
  }

  // False when no cell of the background has a colour.
  bool Known(int x, int y) const { return distances_[Index(Clamp(x, y))] != kFar; }
  Colour at(int x, int y) const {
    const GPixel& p = colours_[Index(Clamp(x, y))];
    return Colour{p.r, p.g, p.b};
  }

 private:
  static constexpr uint16_t kFar = UINT16_MAX;

  std::pair<int, int> Clamp(int x, int y) const {
    return {std::clamp(x, 0, columns_ - 1), std::clamp(y, 0, rows_ - 1)};
  }
  size_t Index(std::pair<int, int> at) const { return Index(at.first, at.second); }
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * columns_ + x; }

  void Take(int x, int y, int fromX, int fromY) {
    if (fromX < 0 || fromY < 0 || fromX >= columns_ || fromY >= rows_) return;
    const int via = distances_[Index(fromX, fromY)];
    if (via == kFar || via + 1 >= distances_[Index(x, y)]) return;
    distances_[Index(x, y)] = static_cast<uint16_t>(via + 1);
    colours_[Index(x, y)] = colours_[Index(fromX, fromY)];
  }

  int columns_;
  int rows_;
  std::vector<GPixel> colours_;
  std::vector<uint16_t> distances_;
};

// The colour of a shape: the mean of the page pixels under its ink that
// stand out from the paper around them; all of them when none does.
Colour ShapeColour(const MaskPage& page, const GBitmap& bits, const JB2Blit& blit,
                   const PaperColours& paper, int s) {
  long long sums[2][3] = {};
  long long counts[2] = {};
  ForEachInkPixel(page, bits, blit, [&](int x, int y, const Colour& colour) {
    const bool differs = !paper.Known(x / s, y / s) ||
                         Distance(colour, paper.at(x / s, y / s)) > kDiffersFromBackground;
    for (int k = differs ? 0 : 1; k < 2; ++k) {
      sums[k][0] += colour.r;
      sums[k][1] += colour.g;
      sums[k][2] += colour.b;
      ++counts[k];
    }
  });
  const int k = counts[0] > 0 ? 0 : 1;
  const long long n = counts[k];
  if (n == 0) {
    Throw("GetColor2Pix: must have at least one pixel which differs from background", kSource,
          __LINE__);
  }
  return Colour{static_cast<int>(sums[k][0] / n), static_cast<int>(sums[k][1] / n),
                static_cast<int>(sums[k][2] / n)};
}

// Gives foreground cells still don't care under a shape's ink the shape's
// colour (cells that already have one keep it).
void PaintShapes(const MaskPage& page, const JB2Image& stencil, const ColorLayer& background,
                 ColorLayer& foreground, int f, int s) {
  GPixmap& pixmap = *foreground.pixmap;
  GBitmap& mask = *foreground.mask;
  std::unique_ptr<PaperColours> paper;  // made when the first shape needs it
  for (int i = 0; i < stencil.get_blit_count(); ++i) {
    const JB2Blit& blit = *stencil.get_blit(i);
    const JB2Shape& shape = stencil.get_shape(static_cast<int>(blit.shapeno));
    if (!shape.bits) continue;
    const GBitmap& bits = *shape.bits;
    const int rows = static_cast<int>(bits.rows());
    const int columns = static_cast<int>(bits.columns());
    bool haveColour = false;
    GPixel paint{0, 0, 0};
    for (int r = 0; r < rows; ++r) {
      const int y = blit.bottom + r;
      if (y >= page.height()) break;
      const unsigned char* ink = bits[r];
      unsigned char* care = mask[y / f];
      GPixel* out = pixmap[y / f];
      for (int c = 0; c < columns; ++c) {
        const int x = blit.left + c;
        if (x >= page.width()) break;
        if (!ink[c] || !care[x / f]) continue;
        if (!haveColour) {
          if (!paper) paper = std::make_unique<PaperColours>(background);
          const Colour colour = ShapeColour(page, bits, blit, *paper, s);
          paint.r = static_cast<unsigned char>(colour.r);
          paint.g = static_cast<unsigned char>(colour.g);
          paint.b = static_cast<unsigned char>(colour.b);
          haveColour = true;
        }
        out[x / f] = paint;
        care[x / f] = 0;
      }
    }
  }
}

}  // namespace

bool FillColourLayers(const djvu_pixel_image& image, const JB2Image& stencil,
                      ColorLayer& background, ColorLayer& foreground, int f, int s, int inkBorder,
                      int scale) {
  const MaskPage page(image, scale);
  f = std::max(1, f);
  s = std::max(1, s);
  const bool coloured = EstimateBackground(page, stencil, background, s, std::max(0, inkBorder));
  if (background.mask->rows() == 0 || foreground.mask->rows() == 0) return coloured;
  CheckForegroundCoversPage(page, foreground, f);
  if (coloured) PaintShapes(page, stencil, background, foreground, f, s);
  return coloured;
}

}  // namespace djvu
