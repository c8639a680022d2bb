#include "SaveParameters.h"

#include "formats/JpegComment.h"

namespace leaf {

namespace {

// The foreground layer is always coded at 50 dots per inch.
constexpr unsigned kForegroundDpi = 50;
constexpr unsigned kMaskDpi = 300;

djvu_encode_options EncodeOptionsFor(const AppSettings& s) {
  djvu_encode_options options = djvu_encode_options_default();
  options.gamma = s.djvuPhotoGamma;
  options.quality = static_cast<unsigned>(s.djvuPhotoQty);
  options.flags = (s.djvuLossless ? DJVU_LOSSLESS : 0u) |
                  (s.djvuAggressive ? DJVU_AGGRESSIVE : 0u) |
                  (s.djvuNoThick ? DJVU_NO_THICKEN : 0u);
  options.fg_dpi = kForegroundDpi;
  options.bg_dpi = static_cast<unsigned>(s.djvuPhotoRes);
  options.progress_arg = nullptr;
  return options;
}

djvu_mask_options MaskOptionsFor(const AppSettings& s) {
  djvu_mask_options options = djvu_mask_default_options();
  options.filter_level = s.djvuFilterLevel;
  options.multi_forback = s.djvuForeback;
  options.flags = (s.djvuNoColorFilter ? NO_COLOR_FILTER : 0u) |
                  (s.djvuNoInvFilter ? NO_INV_FILTER : 0u) |
                  (s.djvuNoSizeFilter ? NO_SIZE_FILTER : 0u);
  options.dpi = kMaskDpi;
  options.double_below_dpi = 0;
  options.triple_below_dpi = 0;
  options.progress_arg = nullptr;
  options.band_inches = 0;
  return options;
}

}  // namespace

SaveParameters SaveParametersFor(const AppSettings& s) {
  SaveParameters parameters;
  parameters.jpeg.quality = s.jpegQty;
  parameters.jpeg.smoothing = s.jpegSmooth;
  parameters.jpeg.optimize = s.jpegOptHuff != 0;
  parameters.jpeg.dctMethod = s.jpegEncodeDct;
  parameters.jpeg.comment = ProgramJpegComment();
  parameters.djvu.upsample = DjvuUpsampleCode(s.djvuUpsample);
  parameters.djvu.textOnly = s.djvuTextOnly != 0;
  parameters.djvu.mask = MaskOptionsFor(s);
  parameters.djvu.encode = EncodeOptionsFor(s);
  parameters.djvu.ocr = {s.djvuOcr != 0, s.djvuOcrLang};
  parameters.iw44.gamma = s.iw44PhotoGamma;
  parameters.iw44.quality = static_cast<unsigned>(s.iw44PhotoQty);
  parameters.iw44.crcb = static_cast<unsigned>(s.iw44Crcb);
  parameters.iw44.progress_arg = nullptr;
  return parameters;
}

}  // namespace leaf
