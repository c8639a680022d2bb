#include "DocumentTexts.h"

#include <algorithm>
#include <cstdio>

namespace leaf {

namespace {

std::string Format(const char* format, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string DpiValue(int dpi) { return dpi > 0 ? std::to_string(dpi) : "?"; }

}  // namespace

std::string SizePaneText(const DibRaster& raster) {
  if (raster.empty() && raster.fullWidth <= 0) return kEmptySizePane;
  const int width = raster.fullWidth > 0 ? raster.fullWidth : raster.width;
  const int height = raster.fullHeight > 0 ? raster.fullHeight : raster.height;
  const int bits = raster.sourceBitsPerPixel > 0 ? raster.sourceBitsPerPixel : raster.bitsPerPixel;
  return Format("%dx%dx%d", width, height, bits) + (raster.grayFlag ? "g" : "");
}

std::string DpiPaneText(int xDpi, int yDpi) {
  if (xDpi == yDpi || (xDpi <= 0 && yDpi <= 0)) return DpiValue(xDpi) + " DPI";
  return DpiValue(xDpi) + "," + DpiValue(yDpi) + " DPI";
}

std::string OpenedTitle(const std::string& path, int pageIndex, int pageCount) {
  const std::string name = FileNameOf(path);
  if (pageCount < 2) return name;
  return Format("%s (page %d of %d)", name.c_str(), pageIndex + 1, pageCount);
}

std::string SavedTitle(const std::string& sourceName, const std::string& savedPath) {
  return Format("%s (last saved as %s)", sourceName.c_str(), FileNameOf(savedPath).c_str());
}

std::string SaveFirstQuestion(const std::string& title) {
  return Format("Save %s first?", title.c_str());
}

std::string ResolutionQuestion(int xDpi, int yDpi, int djvuUpsample) {
  static const char* const kReview = "\n\nDo you want to review the settings before saving?";
  const int dpi = std::max(xDpi, yDpi);
  if (dpi <= 0) {  // readers give 0 (or less) for an unknown resolution
    static const char* const kClass[] = {"high", "medium", "low", "very low"};
    const char* level = kClass[std::clamp(djvuUpsample, 0, 3)];
    return Format(
               "Your document appears to be scanned at an unknown resolution,\n"
               "and the current DjVu settings are optimized for %s resolutions.",
               level) +
           kReview;
  }
  // Setting 0 chooses the enlargement from the page's resolution: it suits
  // every page that has one.
  if (djvuUpsample == 0) return {};
  const char* scanned = nullptr;
  if (dpi >= 300) {
    scanned = "high resolution";
  } else if (dpi >= 100) {
    if (djvuUpsample != 1) scanned = "medium resolution";
  } else if (djvuUpsample != 2 && djvuUpsample != 3) {
    scanned = "low or very low resolution";
  }
  if (!scanned) return {};
  return Format(
             "Your document appears to be scanned at %s,\n"
             "and the current DjVu settings are may not be optimized for that.",
             scanned) +
         kReview;
}

}  // namespace leaf
