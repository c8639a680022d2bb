#include "DjVuMaskFind.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Encoder/libMaskFind/filter_params.h"
#include "Encoder/libMaskFind/grid.h"
#include "Encoder/libMaskFind/main_filter.h"
#include "Encoder/libMaskFind/mask_error.h"
#include "Encoder/libMaskFind/work_image.h"
#include "djvu_error.h"

namespace djvu {

namespace {

const char kSource[] = "libAPI/DjVuMaskFind";
const char kProgressText[] = "Preparing foreground/background mask";
constexpr unsigned kOverlap = 48;      // rows shared by neighbouring bands
constexpr unsigned kHalfOverlap = 24;  // rows each side drops
constexpr uint64_t kBandFloorBytes = 349525;
constexpr unsigned kAllFilters = NO_COLOR_FILTER | NO_SIZE_FILTER | NO_INV_FILTER;

struct PixelImageFree {
  void operator()(djvu_pixel_image* image) const { djvu_pixel_image_free(image); }
};
using PixelImagePtr = std::unique_ptr<djvu_pixel_image, PixelImageFree>;

struct RunImageFree {
  void operator()(djvu_run_image* image) const { djvu_run_image_free(image); }
};
using RunImagePtr = std::unique_ptr<djvu_run_image, RunImageFree>;

// Rounds size * to / from to the nearest integer.
unsigned Rescale(unsigned size, unsigned to, unsigned from) {
  return static_cast<unsigned>((from + 2ull * size * to) / (2ull * from));
}

// A band of the page: a converted copy of some of its rows, or the page
// itself when it covers the whole page already in the layout the mask finder
// reads (rows bottom-up, blue-green-red or gray).
struct Band {
  PixelImagePtr copy;
  const djvu_pixel_image* page = nullptr;
  const djvu_pixel_image& image() const { return copy ? *copy : *page; }
};

bool IsCanonical(const djvu_pixel_image& page) {
  if (!(page.flags & DJVU_BOTTOMUP)) return false;
  if (page.flags & DJVU_GRAY) return page.pixsize == 1;
  return (page.flags & DJVU_BGR) && !(page.flags & DJVU_RGB) && page.pixsize == 3;
}

// Crops picture rows top .. bottom (counted from the top) of the page, all
// columns, and scales the crop by the factor. A band of the whole page is
// the page itself when its layout allows: no copy of the page is made.
Band CutBand(const djvu_pixel_image& page, unsigned top, unsigned bottom, unsigned factor) {
  Band result;
  if (top == 0 && bottom + 1 == page.h && factor == 1 && IsCanonical(page)) {
    result.page = &page;
    return result;
  }
  PixelImagePtr& band = result.copy;
  band.reset(new djvu_pixel_image{});
  const int lastRow = static_cast<int>(page.h) - 1;
  if (!djvu_pixel_extract(&page, band.get(), 0, lastRow - static_cast<int>(top),
                          static_cast<int>(page.w) - 1, lastRow - static_cast<int>(bottom))) {
    return Band{};
  }
  if (factor != 1 && !djvu_pixel_transform(band.get(), 0, static_cast<int>(band->w * factor),
                                           static_cast<int>(band->h * factor))) {
    return Band{};
  }
  return result;
}

// Runs the mask finder on one band and packs its rows first .. (height - 1
// - dropAtEnd), in memory order.
void ProcessBand(djvu_run_image& mask, const djvu_mask_options& options,
                 const djvu_pixel_image& band, int first, int dropAtEnd) {
  maskfind::run_list runs = find_band_mask(options, band);
  const int last = static_cast<int>(band.h) - 1 - dropAtEnd;
  pack_band_mask(mask, std::move(runs), band.w, first, last);
}

void Progress(const djvu_mask_options& options, unsigned percent) {
  ReportProgress(kProgressText, static_cast<int>(percent), options.progress_arg);
}

bool RunBands(djvu_run_image& mask, const djvu_mask_options& options, const djvu_pixel_image& page,
              const MaskPlan& plan) {
  const unsigned f = plan.factor, H = plan.height, S = plan.step;
  Progress(options, 0);
  unsigned y = 0;
  for (; static_cast<int64_t>(y) < static_cast<int64_t>(H) - S - kOverlap;) {
    const Band band = CutBand(page, y / f, (y + S + kOverlap) / f - 1, f);
    if (!band.copy && !band.page) return false;
    ProcessBand(mask, options, band.image(), static_cast<int>(kHalfOverlap),
                y == 0 ? 0 : static_cast<int>(kHalfOverlap));
    y += S;
    Progress(options, static_cast<unsigned>(uint64_t{y} * 100 / H));
  }
  if (y < H) {
    const Band band = CutBand(page, y / f, page.h - 1, f);
    if (!band.copy && !band.page) return false;
    ProcessBand(mask, options, band.image(), 0, y == 0 ? 0 : static_cast<int>(kHalfOverlap));
    Progress(options, 100);
  }
  return true;
}

}  // namespace

MaskPlan PlanMask(const djvu_mask_options& options, const djvu_pixel_image& page) {
  MaskPlan plan;
  plan.resolution = options.dpi;
  // A resolution of 0 says nothing: such a page counts as one without.
  const bool hasDpi = (page.flags & DJVU_HAS_DPI) && page.xres && page.yres;
  if (hasDpi) {
    plan.anisotropic = page.xres != page.yres;
    plan.resolution = std::max(page.xres, page.yres);
  }
  const unsigned r = plan.resolution;
  plan.factor = r < options.triple_below_dpi ? 3 : r < options.double_below_dpi ? 2 : 1;
  const unsigned f = plan.factor;
  if (plan.anisotropic) {
    // Both directions scaled to r (rounded), then by the factor.
    plan.width = r == page.xres ? page.w * f : Rescale(page.w, r * f, page.xres);
    plan.height = r == page.yres ? page.h * f : Rescale(page.h, r * f, page.yres);
    return plan;
  }
  plan.width = page.w * f;
  plan.height = page.h * f;
  const uint64_t W = plan.width, H = plan.height;
  const uint64_t requested =
      (options.band_inches >= 1 ? static_cast<uint64_t>(options.band_inches) * r : page.h) * f;
  // Memory floor: bands are not made thinner than about 349525 bytes' worth of rows.
  const uint64_t rowBytes = (page.flags & DJVU_GRAY) ? W : 3 * W;
  const uint64_t overlapBytes = kOverlap * rowBytes;
  const uint64_t rows = (overlapBytes + std::max(overlapBytes, kBandFloorBytes)) / rowBytes;
  const uint64_t B = std::max(requested, rows - kOverlap);
  const uint64_t n = (B + H - 49) / B;
  // Bands thinner than twice the overlap round the step down to 0, and the
  // bands would never move on: a step is at least one overlap.
  const uint64_t S =
      n ? std::max<uint64_t>(kOverlap * ((n + H + 95) / (kOverlap * n) - 1), kOverlap) : H;
  plan.bandHeight = static_cast<unsigned>(B);
  plan.step = static_cast<unsigned>(S);
  return plan;
}

maskfind::run_list find_band_mask(const djvu_mask_options& options, const djvu_pixel_image& band) {
  const int W = static_cast<int>(band.w), H = static_cast<int>(band.h);
  maskfind::run_list result(2000);
  maskfind::work_image work = maskfind::make_work_image(W, H);
  // The 8-bit gray source: a gray band as it is, a colour band converted
  // into the working image.
  const bool gray = (band.flags & DJVU_GRAY) != 0;
  if (!gray) maskfind::colour_to_gray(band, work);
  const djvu_pixel_image& source = gray ? band : work.image;
  if (options.multi_forback > 0) {
    maskfind::work_image dark = maskfind::make_work_image(W, H);
    maskfind::split_tones(source, options.multi_forback, work, dark);
    maskfind::run_list lightRuns(1000), darkRuns(1000);
    maskfind::grid(work, lightRuns);
    work = maskfind::work_image();
    maskfind::grid(dark, darkRuns);
    dark = maskfind::work_image();
    filter_two_masks(band, lightRuns, darkRuns, result, options);
  } else {
    maskfind::gray_to_six_bits(source, work);
    maskfind::grid(work, result);
    work = maskfind::work_image();
    filter_single_mask(band, result, options);
  }
  return result;
}

void filter_single_mask(const djvu_pixel_image& band, maskfind::run_list& runs,
                        const djvu_mask_options& options) {
  const bool bgr = (band.flags & DJVU_BGR) != 0;
  const maskfind::filter_params dark =
      maskfind::make_filter_params(0, options.filter_level, options.flags, bgr);
  const maskfind::filter_params light =
      maskfind::make_filter_params(1, options.filter_level, options.flags, bgr);
  if ((options.flags & kAllFilters) == kAllFilters) return;
  maskfind::run_list filtered(runs.count + 1);
  maskfind::main_filter(band, runs, filtered, dark, light);
  runs = std::move(filtered);
}

void filter_two_masks(const djvu_pixel_image& band, const maskfind::run_list& light,
                      const maskfind::run_list& dark, maskfind::run_list& result,
                      const djvu_mask_options& options) {
  const bool bgr = (band.flags & DJVU_BGR) != 0;
  const maskfind::filter_params darkMarks =
      maskfind::make_filter_params(0, options.filter_level, options.flags, bgr);
  const maskfind::filter_params lightMarks =
      maskfind::make_filter_params(1, options.filter_level, options.flags, bgr);
  result.count = 0;
  if ((options.flags & kAllFilters) != kAllFilters) {
    maskfind::run_filter_cc(band, light, result, darkMarks, lightMarks);
    maskfind::run_filter_cc(band, dark, result, darkMarks, lightMarks);
  }
  result.finish(static_cast<int32_t>(band.w), static_cast<int32_t>(band.h));
}

namespace {

// Appends DJVU_RUN_BW records: a colour run of any length becomes pieces of
// at most 128 pixels; consecutive runs of one colour are joined first.
class RunPacker {
 public:
  void Add(bool black, uint64_t length) {
    if (length == 0) return;
    if (length_ > 0 && black != black_) Flush();
    black_ = black;
    length_ += length;
  }
  std::vector<unsigned char>& Finish() {
    Flush();
    return records_;
  }

 private:
  void Flush() {
    const unsigned char colour = black_ ? 0x80 : 0x00;
    for (; length_ > 0;) {
      const uint64_t piece = std::min<uint64_t>(length_, 128);
      records_.push_back(static_cast<unsigned char>(colour | (piece - 1)));
      length_ -= piece;
    }
  }

  std::vector<unsigned char> records_;
  bool black_ = false;
  uint64_t length_ = 0;
};

}  // namespace

void pack_band_mask(djvu_run_image& mask, maskfind::run_list runs, unsigned width, int first,
                    int last) {
  using maskfind::RUN_X1;
  using maskfind::RUN_X2;
  using maskfind::RUN_Y;
  if (last < first || width == 0) return;
  const uint64_t total = static_cast<uint64_t>(last - first + 1) * width;
  // The runs in packing order: row last first, each row from the left.
  std::vector<int32_t> order;
  for (int i = 0; i < runs.count; ++i) {
    const int32_t* r = runs.run(i);
    if (r[RUN_Y] >= first && r[RUN_Y] <= last && r[RUN_X2] >= 0 &&
        r[RUN_X1] < static_cast<int32_t>(width) && r[RUN_X1] <= r[RUN_X2]) {
      order.push_back(i);
    }
  }
  std::sort(order.begin(), order.end(), [&runs](int32_t a, int32_t b) {
    const int32_t* ra = runs.run(a);
    const int32_t* rb = runs.run(b);
    return ra[RUN_Y] != rb[RUN_Y] ? ra[RUN_Y] > rb[RUN_Y] : ra[RUN_X1] < rb[RUN_X1];
  });
  RunPacker packer;
  uint64_t done = 0;  // pixels of the stream already packed
  for (int32_t i : order) {
    const int32_t* r = runs.run(i);
    const uint64_t row = static_cast<uint64_t>(last - r[RUN_Y]) * width;
    const uint64_t begin = std::max(row + static_cast<uint64_t>(std::max(r[RUN_X1], 0)), done);
    const uint64_t end =
        row + static_cast<uint64_t>(std::min(r[RUN_X2], static_cast<int32_t>(width) - 1)) + 1;
    if (end <= begin) continue;
    packer.Add(false, begin - done);
    packer.Add(true, end - begin);
    done = end;
  }
  packer.Add(false, total - done);
  runs = maskfind::run_list();
  const std::vector<unsigned char>& records = packer.Finish();
  void* grown = _djvu_realloc(mask.runs, static_cast<size_t>(mask.nruns) + records.size());
  if (!grown) Throw("Memory realloc failed", kSource, __LINE__);
  mask.runs = static_cast<unsigned char*>(grown);
  std::memcpy(mask.runs + mask.nruns, records.data(), records.size());
  mask.nruns += static_cast<unsigned>(records.size());
}

djvu_run_image* FindMask(const djvu_mask_options& options, const djvu_pixel_image& page) {
  if (page.w == 0 || page.h == 0) return nullptr;
  const MaskPlan plan = PlanMask(options, page);
  RunImagePtr mask(new djvu_run_image{});
  try {
    if (plan.anisotropic) {
      PixelImagePtr band(djvu_pixel_transform_copy(&page, 0, static_cast<int>(plan.width),
                                                   static_cast<int>(plan.height)));
      if (!band) return nullptr;
      ProcessBand(*mask, options, *band, 0, 0);
    } else if (!RunBands(*mask, options, page, plan)) {
      return nullptr;
    }
  } catch (const maskfind::mask_failure&) {
    return nullptr;  // reported by the mask finder
  } catch (int) {
    return nullptr;  // the mask finder's throw switch: the line number
  }
  if (!mask->runs) return nullptr;
  mask->w = plan.width;
  mask->h = plan.height;
  mask->xres = mask->yres = plan.resolution * plan.factor;
  mask->runtype = DJVU_RUN_BW;
  return mask.release();
}

}  // namespace djvu
