#include <cstdio>

#include "Command.h"

namespace leaf::cli {

const char kSettingsUsage[] =
    "usage: leafsmith-cli settings [--write]\n\n"
    "Shows which settings file is in use and the values read from it.\n"
    "--write writes every setting back to that file (making a complete file\n"
    "with the defaults when none exists).\n";

namespace {

void PrintSettings(const AppSettings& s) {
  std::printf("DjVu: quality %d, background %d dpi, gamma %.1f, filter level %d, foreback %d,\n",
              s.djvuPhotoQty, s.djvuPhotoRes, s.djvuPhotoGamma, s.djvuFilterLevel, s.djvuForeback);
  std::printf("      no thickening %d, lossless %d, aggressive %d, text only %d, upsample %d,\n",
              s.djvuNoThick, s.djvuLossless, s.djvuAggressive, s.djvuTextOnly, s.djvuUpsample);
  std::printf("      no colour filter %d, no inversion filter %d, no size filter %d\n",
              s.djvuNoColorFilter, s.djvuNoInvFilter, s.djvuNoSizeFilter);
  std::printf("IW44: quality %d, colour %d, gamma %.1f\n", s.iw44PhotoQty, s.iw44Crcb,
              s.iw44PhotoGamma);
  std::printf("JPEG: quality %d, smoothing %d, optimise %d, DCT encode %d decode %d\n", s.jpegQty,
              s.jpegSmooth, s.jpegOptHuff, s.jpegEncodeDct, s.jpegDecodeDct);
  std::printf("Display gamma %.1f, fancy zoom %d, dither %d\n", s.displayGamma, s.fancyZoom,
              s.dither);
  std::printf("Sweep: %s -> %s (archive %s), type %d\n", s.sweepOpenDir.c_str(),
              s.sweepSaveDir.c_str(), s.sweepArchiveDir.c_str(), s.sweepSaveType);
  std::printf("Scan: device %s, mode %s, %d dpi, source %s\n",
              s.scanDevice.empty() ? "(first found)" : s.scanDevice.c_str(),
              s.scanMode.empty() ? "(the device's)" : s.scanMode.c_str(), s.scanResolution,
              s.scanSource.empty() ? "(the device's)" : s.scanSource.c_str());
}

}  // namespace

int RunSettings(Context& context, Args& args) {
  bool write = false;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item != "--write") throw UsageError("settings: unknown argument " + item);
    write = true;
  }
  std::printf("Settings file: %s\n", context.settingsPath.c_str());
  PrintSettings(context.settings);
  if (write) {
    if (!SaveSettings(context.settings, context.settingsPath)) {
      std::fprintf(stderr, "leafsmith-cli: failed to write %s\n", context.settingsPath.c_str());
      return kExitFailure;
    }
    std::printf("Wrote %s\n", context.settingsPath.c_str());
  }
  return kExitOk;
}

}  // namespace leaf::cli
