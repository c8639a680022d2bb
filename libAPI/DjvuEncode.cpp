// djvu_encode: one DjVu page from a mask and, optionally, its colour page.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ByteStream.h"
#include "DjvuOutput.h"
#include "DontCareFill.h"
#include "IFFByteStream.h"
#include "IW44Image.h"
#include "Iw44Schedule.h"
#include "LayerBudget.h"
#include "MaskClean.h"
#include "MaskSub.h"
#include "RunImage.h"
#include "ShapeMatch.h"
#include "ShapePieces.h"
#include "djvu_encode.h"
#include "djvu_error.h"
#include "djvu_options.h"

namespace {

constexpr const char* kSource = "libAPI/libdjvu";

// The lowest mask resolution the encoder accepts.
constexpr unsigned kLowestMaskDpi = 25;
// The resolution of a page that carries none, whatever its layers' targets.
constexpr unsigned kDefaultMaskDpi = 300;
// The largest page side: INFO and JB2 carry 16 bits, and the codec's wavelet
// images round their sides up to 32 and count their area in 32 bits.
constexpr unsigned kLargestSide = 65504;
// INFO keeps the resolution in 16 bits.
constexpr long long kLargestDpi = 65535;
// Below this resolution a pixel more on every row's right end joins the
// letters and closes their counters: such masks are coded as found.
constexpr unsigned kLowestThickenedDpi = 200;
// The first background chunk stays small so that a viewer shows a coarse
// background early.
constexpr int kFirstChunkBytes = 10000;
constexpr int kForegroundSlices = 100;

struct PixelImageDeleter {
  void operator()(djvu_pixel_image* image) const { djvu_pixel_image_free(image); }
};
using OwnedPixelImage = std::unique_ptr<djvu_pixel_image, PixelImageDeleter>;

bool HasPixels(const djvu_pixel_image* page) { return page && page->w > 0 && page->h > 0; }

// Rounded a * b / c for non-negative values.
long long ScaledRounded(long long a, long long b, long long c) { return (2 * a * b + c) / (2 * c); }

// The mask's resolution: its own, or derived from the colour page's, or the
// default.
unsigned MaskResolution(const djvu_run_image& mask, const djvu_pixel_image* page) {
  if (mask.xres != mask.yres) {
    djvu::Throw("Masks must have the same horizontal and vertical resolutions!", kSource, __LINE__);
  }
  unsigned r = mask.xres;
  if (r == 0 && HasPixels(page) && (page->flags & DJVU_HAS_DPI)) {
    // The page's resolution scaled by the size ratio; both directions must
    // agree (within one percent) on what the mask's resolution is.
    const long long ry = ScaledRounded(page->yres, mask.h, page->h);
    const long long rx = ScaledRounded(page->xres, mask.w, page->w);
    if (rx <= 0 || ry <= 0 || std::llabs(rx - ry) * 100 > std::max(rx, ry)) {
      djvu::Throw("Unknown mask resolution", kSource, __LINE__);
    }
    r = static_cast<unsigned>(std::min<long long>((rx + ry + 1) / 2, kLargestDpi));
  } else if (r == 0) {
    r = kDefaultMaskDpi;
  }
  if (r < kLowestMaskDpi) djvu::Throw("Can not process masks lower than 72 DPI", kSource, __LINE__);
  if (r > kLargestDpi) {
    djvu::Throw("Can not process masks higher than 65535 DPI", kSource, __LINE__);
  }
  return r;
}

// The largest reduction of a colour layer a decoder accepts.
constexpr int kCoarsestReduction = 12;
// The background quality that 0 stands for, the lowest one a plain
// background is lowered to, and by how much it is lowered.
constexpr unsigned kDefaultQuality = 75;
constexpr unsigned kLowestQuality = 20;
constexpr unsigned kPlainQualityDrop = 20;

// The factor by which the colour page is smaller than the mask when both
// sides agree on one whole factor from 2 to the coarsest reduction; 1
// otherwise (the page is then scaled to the mask).
int PageScale(const djvu_pixel_image& page, unsigned w, unsigned h) {
  if (w % page.w != 0 || h % page.h != 0) return 1;
  const unsigned k = w / page.w;
  return k == h / page.h && k >= 2 && k <= kCoarsestReduction ? static_cast<int>(k) : 1;
}

// Reduction of a layer from its target resolution t at mask resolution r.
int Reduction(unsigned t, unsigned r) {
  if (static_cast<unsigned long long>(t) * 12 < r) return kCoarsestReduction;
  if (t > r) return 1;
  return static_cast<int>((t + 2ULL * r) / (2ULL * t));
}

// The last INFO byte: every DjVu viewer reads it as the page orientation, and
// 1 is "upright". Writing the ratio of mask to colour page there (2 or 3 when
// the colour page is smaller) would show such pages turned, so it stays 1.
constexpr unsigned char kInfoUpright = 1;

// The colour layers are corrected to the standard gamma before they are
// coded, so INFO tells decoders that gamma: recording the source's would
// have them correct a second time.
constexpr unsigned char kInfoGamma = 22;

void WriteInfo(IFFByteStream& iff, unsigned w, unsigned h, unsigned dpi) {
  const unsigned char info[10] = {
      static_cast<unsigned char>(w >> 8),
      static_cast<unsigned char>(w & 0xFF),
      static_cast<unsigned char>(h >> 8),
      static_cast<unsigned char>(h & 0xFF),
      18,
      0,
      static_cast<unsigned char>(dpi & 0xFF),
      static_cast<unsigned char>((dpi >> 8) & 0xFF),
      kInfoGamma,
      kInfoUpright,
  };
  iff.put_chunk("INFO");
  iff.get_bytestream()->writall(info, sizeof info);
  iff.close_chunk();
}

GP<JB2Image> MaskStencil(const djvu_run_image& mask, bool hasPage) {
  djvu::RunImage runs(mask, !hasPage);
  runs.AnalyzeComponents(8);
  runs.MergeOverlapping(85);
  GP<JB2Image> stencil = runs.MakeJB2Image();
  stencil->set_dimension(static_cast<int>(mask.w), static_cast<int>(mask.h));
  return stencil;
}

// A lossless mask with no colour page keeps its large shapes whole: tiles
// let the colour layers give parts of a large shape colours of their own,
// and without colours they only cost bytes.
unsigned CleaningSet(unsigned flags, bool hasPage) {
  if (flags & DJVU_LOSSLESS) return hasPage ? djvu::kCleanLossless : 0;
  if (flags & DJVU_AGGRESSIVE) return djvu::kCleanAggressive;
  return djvu::kCleanNormal;
}

void PutWaveletChunk(IFFByteStream& iff, const char* id, IW44Image& image,
                     const IWEncoderParms& parms) {
  iff.put_chunk(id);
  image.encode_chunk(iff.get_bytestream(), parms);
  iff.close_chunk();
}

// The background's reduction and quality once its content is known.
struct BackgroundBudget {
  int reduction;
  unsigned quality;
};

// The foreground: its main ink flattened, or for a page in one ink a solid
// layer at the coarsest reduction (see LayerBudget.h). Reports the choice.
void BudgetForeground(djvu::ColorLayer& foreground, const djvu::ColorLayer& background, unsigned w,
                      unsigned h, void* arg) {
  const djvu::InkPlan ink = djvu::PlanInk(foreground, background);
  char text[160];
  if (ink.oneColour) {
    djvu::SolidForeground(foreground, static_cast<int>(w), static_cast<int>(h), kCoarsestReduction,
                          ink.ink);
    std::snprintf(text, sizeof text, "Foreground: one ink colour #%02X%02X%02X, solid", ink.ink.r,
                  ink.ink.g, ink.ink.b);
  } else {
    djvu::FlattenInk(foreground, ink);
    std::snprintf(text, sizeof text,
                  "Foreground: %.0f%% of the ink in #%02X%02X%02X, the rest in other colours",
                  100 * ink.share, ink.ink.r, ink.ink.g, ink.ink.b);
  }
  djvu::ReportProgress(text, 40, arg);
}

// The background: its paper smoothed; a plain one (nearly all paper) is
// coded at half the resolution and a lower quality, since paper needs
// neither. Reports the choice.
BackgroundBudget BudgetBackground(djvu::ColorLayer& background, int s, unsigned quality,
                                  unsigned mainDpi, void* arg) {
  BackgroundBudget budget{s, quality == 0 ? kDefaultQuality : quality};
  const double paper = djvu::SmoothPaper(background);
  const bool plain = djvu::PlainBackground(paper) && 2 * s <= kCoarsestReduction;
  if (plain) {
    djvu::HalveLayer(background);
    budget.reduction = 2 * s;
    budget.quality = std::max(kLowestQuality, std::min(budget.quality, 100u) - kPlainQualityDrop);
  }
  char text[160];
  std::snprintf(text, sizeof text, "Background: %.0f%% plain paper, %u dpi, quality %u%s",
                100 * paper, (mainDpi + budget.reduction / 2) / budget.reduction, budget.quality,
                plain ? " (plain)" : "");
  djvu::ReportProgress(text, 50, arg);
  return budget;
}

int Encode(const djvu_encode_options* given, const djvu_run_image* mask,
           const djvu_pixel_image* page, djvu_output_routine output, void* context) {
  if (!mask) djvu::Throw("djvu_encode: djvu_run_image is required", kSource, __LINE__);
  const unsigned w = mask->w;
  const unsigned h = mask->h;
  if (w == 0 || h == 0 || w > kLargestSide || h > kLargestSide) {
    djvu::Throw("djvu_encode: page size must be 1 to 65504 pixels", kSource, __LINE__);
  }
  if (mask->nruns > 0 && !mask->runs) {
    djvu::Throw("djvu_encode: djvu_run_image is required", kSource, __LINE__);
  }
  djvu_encode_options options = djvu::TakeOptions(given, djvu_encode_options_default());
  if (!(options.gamma > 0)) options.gamma = 2.2f;
  const double correction = std::clamp(2.2 / options.gamma, 0.1, 10.0);
  void* const arg = options.progress_arg;

  if (!HasPixels(page)) page = nullptr;
  const unsigned dpi = MaskResolution(*mask, page);

  // The page is read in any layout and at a whole fraction of the mask's
  // size; only a page of another size needs a scaled copy.
  OwnedPixelImage scaled;
  int scale = 1;
  if (page && (page->w != w || page->h != h)) {
    scale = PageScale(*page, w, h);
    if (scale == 1) {
      scaled.reset(djvu_pixel_transform_copy(page, 0, static_cast<int>(w), static_cast<int>(h)));
      if (!scaled) return -1;
      page = scaled.get();
    }
  }
  const bool gray = page && (page->flags & DJVU_GRAY);
  // A smaller page has no detail finer than its own pixels to give.
  const int f = std::max(Reduction(options.fg_dpi, dpi), scale);
  const int s = std::max(Reduction(options.bg_dpi, dpi), scale);

  djvu::ReportProgress("Encoding Mask", 0, arg);
  GP<ByteStream> stream = ByteStream::create();
  GP<IFFByteStream> iff = IFFByteStream::create(stream);
  iff->put_chunk("FORM:DJVU", 1);
  WriteInfo(*iff, w, h, dpi);
  GP<JB2Image> stencil = MaskStencil(*mask, page != nullptr);

  djvu::ReportProgress("Applying Mask to Foreground", 10, arg);
  djvu::ColorLayer foreground;
  if (page && djvu::FillForeground(*page, *stencil, foreground, f, scale)) {
    stencil = djvu::DropOffColourShapes(*page, *stencil, foreground, f, scale);
  }
  // Specks are judged by the size they have on the page, before thickening
  // makes a 3 x 3 speck 4 x 3; a lossless mask is coded as it is.
  const bool lossless = (options.flags & DJVU_LOSSLESS) != 0;
  if (!lossless && (options.flags & DJVU_AGGRESSIVE)) {
    stencil = djvu::SizePass(*stencil, djvu::kCleanSpecks);
  }
  stencil = djvu::SplitIntoPieces(stencil);
  if (!lossless && !(options.flags & DJVU_NO_THICKEN)) {
    if (dpi >= kLowestThickenedDpi) {
      djvu::ThickenShapes(*stencil);
    } else {
      djvu::ReportProgress(
          "Text: not thickened, the mask has too few dpi to keep the letters apart", 15, arg);
    }
  }

  djvu::ReportProgress("Cleaning Mask", 20, arg);
  stencil = djvu::CleanMask(*stencil, CleaningSet(options.flags, page != nullptr));
  const bool lossyMatching = !lossless && djvu::MatchesLossily(dpi);
  if (!lossless && !lossyMatching) {
    djvu::ReportProgress("Text: only identical shapes shared, the mask has too few dpi", 25, arg);
  }
  stencil = djvu::MatchShapes(*stencil, {lossyMatching, djvu::GlyphReach(dpi)});
  iff->put_chunk("Sjbz");
  stencil->encode(iff->get_bytestream());
  iff->close_chunk();

  djvu::ReportProgress("Processing color layer", 30, arg);
  GP<IW44Image> backgroundCoder;
  GP<IW44Image> foregroundCoder;
  BackgroundBudget backgroundBudget{s, options.quality};
  if (page) {
    djvu::ColorLayer background;
    const int inkBorder =
        (options.flags & DJVU_ENLARGED) ? djvu::kEnlargedInkBorder : djvu::kInkBorder;
    djvu::FillColourLayers(*page, *stencil, background, foreground, f, s, inkBorder, scale);
    BudgetForeground(foreground, background, w, h, arg);
    backgroundBudget = BudgetBackground(background, s, options.quality, dpi, arg);
    background.pixmap->color_correct(correction);
    foreground.pixmap->color_correct(correction);
    // The background's hidden cells are filled here, which costs a fraction
    // of the masked decomposition and codes smaller. The foreground is
    // mostly hidden cells around small islands of ink, where the masked
    // decomposition still gives the smaller layer.
    djvu::FillDontCarePixels(*background.pixmap, *background.mask);
    backgroundCoder = IW44Image::create_encode(*background.pixmap, GP<GBitmap>(),
                                               gray ? IW44Image::CRCBnone : IW44Image::CRCBnormal);
    foregroundCoder = IW44Image::create_encode(*foreground.pixmap, foreground.mask,
                                               gray ? IW44Image::CRCBnone : IW44Image::CRCBfull);
  }

  djvu::ReportProgress("Processing background layer", 90, arg);
  scaled.reset();
  page = nullptr;
  if (backgroundCoder) {
    djvu::Iw44Schedule schedule =
        djvu::MakeIw44Schedule(backgroundBudget.quality, backgroundBudget.reduction);
    schedule.chunks[0].bytes = kFirstChunkBytes;
    IWEncoderParms foregroundParms;
    foregroundParms.slices = kForegroundSlices;
    foregroundParms.bytes = 0;
    foregroundParms.decibels = 0;
    PutWaveletChunk(*iff, "BG44", *backgroundCoder, schedule.chunks[0]);
    PutWaveletChunk(*iff, "FG44", *foregroundCoder, foregroundParms);
    for (int i = 1; i < djvu::kScheduleChunks; ++i) {
      PutWaveletChunk(*iff, "BG44", *backgroundCoder, schedule.chunks[i]);
    }
    backgroundCoder->close_codec();
    foregroundCoder->close_codec();
  }
  iff->close_chunk();
  iff->flush();

  djvu::ReportProgress("Encoded document", 100, arg);
  djvu::HandOver(*stream, output, context);
  return 0;
}

}  // namespace

djvu_encode_options djvu_encode_options_default() {
  djvu_encode_options options{};
  options.size = sizeof(djvu_encode_options);
  options.gamma = 2.2f;
  options.quality = 75;
  options.flags = 0;
  options.fg_dpi = 25;
  options.bg_dpi = 100;
  options.progress_arg = nullptr;
  return options;
}

int djvu_encode(const djvu_encode_options* options, const djvu_run_image* mask,
                const djvu_pixel_image* page, djvu_output_routine output, void* context) {
  return djvu::Guard(-1, [&] { return Encode(options, mask, page, output, context); });
}
