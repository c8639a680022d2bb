// The DjVu and IW44 settings as options of "convert"; each overrides the
// settings file's value for this conversion.
#include "Args.h"
#include "ConvertOptions.h"

namespace leaf::cli {

namespace {

constexpr int kPhotoResolutions[] = {25, 50, 100, 150, 200, 300};

int& Flag(ConvertJob& job, const std::string& option) {
  AppSettings& s = job.settings;
  if (option == "--lossless") return s.djvuLossless;
  if (option == "--aggressive") return s.djvuAggressive;
  if (option == "--no-thicken") return s.djvuNoThick;
  if (option == "--text-only") return s.djvuTextOnly;
  if (option == "--no-color-filter") return s.djvuNoColorFilter;
  if (option == "--no-size-filter") return s.djvuNoSizeFilter;
  return s.djvuNoInvFilter;
}

void ApplyFlag(ConvertJob& job, const std::string& option, const std::string&) {
  Flag(job, option) = 1;
}

void ApplyQuality(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.djvuPhotoQty = ParseInt(option, value, 20, 100);
}

void ApplyBackgroundDpi(ConvertJob& job, const std::string& option, const std::string& value) {
  const int dpi = ParseInt(option, value, 25, 300);
  for (int allowed : kPhotoResolutions) {
    if (dpi == allowed) {
      job.settings.djvuPhotoRes = dpi;
      return;
    }
  }
  throw UsageError(option + ": the background resolution is one of 25, 50, 100, 150, 200, 300");
}

void ApplyGamma(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.djvuPhotoGamma = static_cast<float>(ParseDouble(option, value, 0.1, 10.0));
}

// "auto" chooses from the page's resolution (setting 0); 1 never enlarges,
// which no setting says, so the job keeps it.
void ApplyUpsample(ConvertJob& job, const std::string& option, const std::string& value) {
  const int factor = value == "auto" ? 0 : ParseInt(option, value, 1, 4);
  job.settings.djvuUpsample = factor == 0 ? 0 : factor - 1;
  job.noUpsample = factor == 1;
}

void ApplyFilterLevel(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.djvuFilterLevel = ParseInt(option, value, -200, 200);
}

void ApplyForeback(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.djvuForeback = ParseInt(option, value, 0, 255);
}

void ApplyIw44Quality(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.iw44PhotoQty = ParseInt(option, value, 20, 100);
}

void ApplyCrcb(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.iw44Crcb = ParseInt(option, value, 0, 2);
}

void ApplyIw44Gamma(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.iw44PhotoGamma = static_cast<float>(ParseDouble(option, value, 0.1, 10.0));
}

const ConvertOption kOptions[] = {
    {"--quality", "N", "DjVu background quality, 20..100", ApplyQuality},
    {"--bg-dpi", "N", "DjVu background resolution: 25, 50, 100, 150, 200 or 300",
     ApplyBackgroundDpi},
    {"--gamma", "G", "gamma of the source for DjVu, 0.1..10", ApplyGamma},
    {"--lossless", nullptr, "keep every mark of the DjVu text mask", ApplyFlag},
    {"--aggressive", nullptr,
     "also drop specks and code each glyph once in the DjVu text mask (lossy)", ApplyFlag},
    {"--no-thicken", nullptr, "do not thicken the DjVu text by a pixel", ApplyFlag},
    {"--text-only", nullptr, "write only the black-and-white text mask", ApplyFlag},
    {"--upsample", "N",
     "enlarge colour and gray pages N times (1..4) before saving as DjVu; auto (the default): "
     "pages below 200 dpi until they have 250 (at most 9 megapixels)",
     ApplyUpsample},
    {"--filter-level", "N", "mask filter level, -200..200 (larger keeps more)", ApplyFilterLevel},
    {"--foreback", "N", "mask foreback level, 0..255 (0: off)", ApplyForeback},
    {"--no-color-filter", nullptr, "mask: no colour filter", ApplyFlag},
    {"--no-size-filter", nullptr, "mask: no size filter", ApplyFlag},
    {"--no-inv-filter", nullptr, "mask: no inverted-text filter", ApplyFlag},
    {"--iw44-quality", "N", "IW44 quality, 20..100", ApplyIw44Quality},
    {"--crcb", "N", "IW44 colour: 0 normal, 1 full, 2 none (gray)", ApplyCrcb},
    {"--iw44-gamma", "G", "gamma of the source for IW44, 0.1..10", ApplyIw44Gamma},
};

}  // namespace

std::span<const ConvertOption> DjvuConvertOptions() { return kOptions; }

}  // namespace leaf::cli
