// Reading DjVu and IW44 files: the probe that checks and summarises a file's
// structure, the loader that decodes it once into the raster's page link,
// and the renderer that fills the main raster from the page strip by strip,
// for any layer and reduction, as often as needed.
#pragma once

#include <cstdint>
#include <string>

#include "DjvuDocumentHandle.h"
#include "FileType.h"
#include "image/DibImage.h"

namespace leaf {

// Chunk flags of DjvuFileInfo.
inline constexpr int kDjvuChunkMask = 1;        // Sjbz (or Smmr)
inline constexpr int kDjvuChunkBackground = 2;  // BG44 (or BGjp)
inline constexpr int kDjvuChunkForeground = 4;  // FG44, FGbz (or FGjp)
inline constexpr int kDjvuChunkColorIw44 = 8;   // PM44
inline constexpr int kDjvuChunkGrayIw44 = 16;   // BM44

struct DjvuFileInfo {
  uint32_t formType = 0;  // the four characters after "FORM", read big-endian
  uint16_t width = 0;     // the rest of the INFO chunk of a DJVU form
  uint16_t height = 0;
  uint8_t minorVersion = 0;
  uint8_t majorVersion = 0;
  uint16_t resolution = 0;
  uint8_t gamma = 0;  // tenths
  uint8_t chunkFlags = 0;
  int rotation = 0;   // quarter turns counter-clockwise the INFO chunk asks for
  int pageCount = 1;  // pages of the document
  int pageIndex = 0;  // the page the fields above describe (0 = first)
};

// What a page offers the view: 1 compound or colour (the layer choice),
// 2 bilevel or gray, 3 background only; 99 nothing to show.
inline constexpr int kDjvuKindCompound = 1;
inline constexpr int kDjvuKindBilevel = 2;
inline constexpr int kDjvuKindBackground = 3;
inline constexpr int kDjvuKindNone = 99;
int DjvuHeaderKind(const DjvuFileInfo& info);

// kFileDjvu for a DJVU or DJVM form, kFileIw44 for PM44 and BM44, else
// kFileUnknown.
FileTypeCode DjvuFileType(const DjvuFileInfo& info);

// The form type as text ("DJVU").
std::string DjvuFormName(uint32_t formType);

// Checks the file's structure and fills info for one page (0 = first): a
// single-page file's own chunks, or for a multipage document (FORM:DJVM,
// bundled or an indirect document's index) the chunks of that page and of the
// files it includes. Failures are reported through the image.
bool ProbeDjvuFile(const DibImage& image, const std::string& path, DjvuFileInfo& info,
                   int page = 0);
// The same, opening a multipage document into document (or using it when
// it is open already), so that loading its page need not open it again.
bool ProbeDjvuFile(const DibImage& image, const std::string& path, DjvuFileInfo& info, int page,
                   DjvuDocumentHandle& document);

// Releases the image and decodes one page of the file (0 = first) into its
// page link, turned as the page asks; the raster has the page's size and no
// pixels until RenderDjvu runs. A page that cannot be decoded fails with a
// message naming it.
bool LoadHalfCoded(DibImage& image, const std::string& path, int page = 0);
// The same from a document the probe opened (or, when none is, opening it).
bool LoadHalfCoded(DibImage& image, const std::string& path, int page,
                   DjvuDocumentHandle& document);

// Layers of RenderDjvu.
inline constexpr int kDjvuLayerColor = 0;
inline constexpr int kDjvuLayerMask = 1;
inline constexpr int kDjvuLayerBackground = 2;
inline constexpr int kDjvuLayerForeground = 3;

// Renders the page link into the main raster: layer as above, depth the
// display's bits per pixel (dithering below 24), zoom the view's zoom level
// (z < 0 reduces by 1 - z), gamma of the display (0.1..10, else 2.2).
// Symmetry state and negative flag start again from 0; page count and page
// index are the document's.
bool RenderDjvu(DibImage& image, int layer, int depth, int zoom, double gamma);

// Probe, load and render one page at the given settings: the whole open of a
// DjVu or IW44 file.
bool ReadDjvu(DibImage& image, const std::string& path, int layer, int depth, int zoom,
              double gamma, int page = 0);

// The number of pages of a DjVu or IW44 file; -1 after a reported failure.
int CountDjvuPages(const DibImage& image, const std::string& path);

// The message for a page a file does not have; returns false.
bool FailNoSuchPage(const DibImage& image, const std::string& path, int page, int pageCount);

}  // namespace leaf
