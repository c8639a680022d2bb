// The texts the document shows: status-bar panes, window titles and the
// questions asked before a save. Plain functions, so that they can be tested
// without a window.
#pragma once

#include <string>

#include "image/DibRaster.h"
#include "multi/OutputNames.h"  // FileNameOf

namespace leaf {

inline constexpr const char* kEmptySizePane = " WxHxBits";
inline constexpr const char* kEmptyDpiPane = " DPI";

// "2550x3300x24", with "g" appended for a gray page.
std::string SizePaneText(const DibRaster& raster);
// "300 DPI", "? DPI", "204,98 DPI", "?,98 DPI".
std::string DpiPaneText(int xDpi, int yDpi);

// "scan.tif", or "scan.tif (page 2 of 3)" for a file of two or more pages.
std::string OpenedTitle(const std::string& path, int pageIndex, int pageCount);
// "scan.tif (last saved as page.djvu)".
std::string SavedTitle(const std::string& sourceName, const std::string& savedPath);

// "Save %s first?"
std::string SaveFirstQuestion(const std::string& title);

// The question asked before saving as DjVu when the page's resolution (the
// larger of the two) does not suit the upsampling setting ("DjvuUpsample"
// 0..3; 0, the automatic choice, suits every known resolution); empty when
// there is nothing to ask. A resolution of 0 or less is unknown.
std::string ResolutionQuestion(int xDpi, int yDpi, int djvuUpsample);

}  // namespace leaf
