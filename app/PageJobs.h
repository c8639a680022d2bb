// The engine work behind opening, re-rendering and saving the document's
// page. Plain C++ (no Qt): it runs on worker threads as well as on the
// interface thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/SaveParameters.h"
#include "formats/FileType.h"
#include "image/DibImage.h"

namespace leaf {

// How a DjVu or IW44 page is rendered for the screen.
struct RenderRequest {
  int layer = 0;  // 0 colour, 1 black and white, 2 background, 3 foreground
  int depth = 24;
  double gamma = 2.2;
};

// Where a page has to fit when it is opened ("ImageFit" 0..3; 3 does not fit).
struct FitArea {
  int width = 0;
  int height = 0;
  int imageFit = 3;
};

struct OpenRequest {
  std::string path;
  int requestedType = 0;  // a FileTypeCode forced on the file; 0 or 99: the name decides
  int pageIndex = 0;
  RenderRequest render;
  int jpegDctMethod = 0;
  bool fancyZoom = true;  // render DjVu pages at the fitted zoom rather than full size
  FitArea fit;
};

struct OpenedPage {
  bool ok = false;
  std::string summary;  // "File type not recognized!" or "Failed to open the image!"
  std::string detail;   // the reader's own message
  DibImage image;
  FileTypeCode type = kFileUnknown;  // the document type
  int djvuKind = 0;                  // DjvuHeaderKind of a DjVu or IW44 page
  int zoom = 0;                      // the fitted zoom level
};

// The zoom level at which a page fits the area by its "ImageFit" rule.
int FitZoomFor(const DibRaster& raster, const FitArea& fit);

// Reads the page, fits it and, for DjVu and IW44, renders it at the fitted
// zoom (full size when fancyZoom is off or the page fits at 1:1).
OpenedPage OpenPage(const OpenRequest& request, const DibImage::ProgressCallback& progress);

// Every decoded page is rendered under this lock: the codec's page objects
// are not safe against two renders at once.
std::mutex& PageRenderMutex();

// Renders the image's page link again at a zoom level into a new raster and,
// on success, replaces the image's raster with it (the previous pixels stay
// on failure). Rotations, flips, negative and gray are replayed.
bool RenderPageInto(DibImage& image, const RenderRequest& render, int zoom);

// Where the true pixels of a page come from when the raster on screen is not
// them: a DjVu or IW44 page rendered for the screen, or a JPEG read for a
// display of fewer than 24 bits.
struct TruePixelSource {
  int documentType = 0;     // 1 and 2 are rendered again at full size and 24 bits
  RenderRequest render;     // the view's layer and gamma
  bool rereadJpeg = false;  // a JPEG read for a display of fewer than 24 bits
  std::string sourcePath;
  int jpegDctMethod = 0;
};

// Makes a copy of the document's image hold the page's true pixels, with the
// flips, turns, negative and gray of the image replayed. A copy of any other
// page is left as it is.
bool MakeTruePixels(DibImage& copy, const TruePixelSource& source);

struct SaveRequest {
  std::string path;  // where the file goes
  FileTypeCode type = kFileDjvu;
  SaveParameters parameters;
  TruePixelSource pixels;
  int sourceType = 0;  // the type of the file the other pages are read from
};

// Saves a copy of the document's image (the copy is changed): first to a
// temporary file beside the target, which commit renames into place. commit
// runs the rename and returns false when the save was stopped meanwhile; the
// temporary file is then removed. message gets the writer's text on failure.
bool SavePage(DibImage& copy, const SaveRequest& request,
              const std::function<bool(const std::function<bool()>&)>& commit,
              std::string& message);

// The pages of the document's file, and the one on the screen.
struct PageRange {
  int count = 1;
  int current = 0;
};

// Saves every page of the document's file as one bundled DjVu document:
// current (the document's page with its edits, changed as SavePage changes
// its copy) stands for the page on the screen, every other page is read from
// request.sourcePath at full size. Pages are encoded in parallel on the
// available cores; progress hears of each page put in place; a stop ends the
// reading of pages. Written and committed as SavePage does.
bool SaveAllPages(DibImage& current, const SaveRequest& request, const PageRange& pages,
                  const DibImage::ProgressCallback& progress, const std::function<bool()>& stopped,
                  const std::function<bool(const std::function<bool()>&)>& commit,
                  std::string& message);

// The pages of a scanned batch as a save sees them: shared, never changed
// while it runs.
using PageList = std::vector<std::shared_ptr<const DibImage>>;

// Saves several pages: as one DjVu document (written beside the target
// first, then put in place by commit as SavePage does), or in the other
// types as one numbered file per page ("name-0001.jpg", ...). progress hears
// each page; stopRequested is asked between pages, and a stopped DjVu save
// writes nothing.
bool SavePages(const PageList& pages, const SaveRequest& request,
               const std::function<bool(const std::function<bool()>&)>& commit,
               const DibImage::ProgressCallback& progress,
               const std::function<bool()>& stopRequested, std::string& message);

}  // namespace leaf
