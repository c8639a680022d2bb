#include "PageJobs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "ZoomLevel.h"
#include "formats/DjvuBookWriter.h"
#include "formats/DjvuReader.h"
#include "formats/ImageFiles.h"
#include "image/DepthConversions.h"
#include "image/Messages.h"
#include "image/Transforms.h"
#include "scanner/ScanOutput.h"

namespace leaf {

namespace {

constexpr const char* kNotRecognized = "File type not recognized!";
constexpr const char* kFailedToOpen = "Failed to open the image!";

OpenedPage Failure(OpenedPage page, const char* summary) {
  page.ok = false;
  page.summary = summary;
  page.detail = LastMessage();
  page.image.Release(true);
  return page;
}

// The type a file is opened as: the forced one, else its name's; a DjVu or
// IW44 file's own header decides between the two.
FileTypeCode TypeToOpen(const OpenRequest& request, const DibImage& probe, int& djvuKind) {
  FileTypeCode type = request.requestedType == 0 || request.requestedType == kFileUnknown
                          ? FileTypeForReading(request.path)
                          : static_cast<FileTypeCode>(request.requestedType);
  if (type != kFileDjvu && type != kFileIw44) return type;
  DjvuFileInfo info;
  if (!ProbeDjvuFile(probe, request.path, info, request.pageIndex)) return kFileUnknown;
  djvuKind = DjvuHeaderKind(info);
  if (djvuKind == kDjvuKindNone) {
    SetMessage("%s has no mask, background or colour image to show.", request.path.c_str());
    return kFileUnknown;
  }
  return DjvuFileType(info);
}

bool ReplayEdits(DibImage& image, int symmetry, bool negative, bool gray) {
  if (symmetry != 0 && !ApplySymmetry(image, symmetry)) return false;
  if (negative && !Negative(image)) return false;
  if (gray && !ToGray(image)) return false;
  return true;
}

bool RenderLocked(DibImage& image, const RenderRequest& render, int zoom) {
  const std::lock_guard lock(PageRenderMutex());
  return RenderDjvu(image, render.layer, render.depth, zoom, render.gamma);
}

}  // namespace

int FitZoomFor(const DibRaster& raster, const FitArea& fit) {
  const AspectFactors aspect = AspectFactorsFor(raster.xResolution, raster.yResolution);
  const int width = raster.fullWidth > 0 ? raster.fullWidth : raster.width;
  const int height = raster.fullHeight > 0 ? raster.fullHeight : raster.height;
  return FitZoom(static_cast<long long>(width * aspect.x),
                 static_cast<long long>(height * aspect.y), fit.width, fit.height, fit.imageFit);
}

std::mutex& PageRenderMutex() {
  static std::mutex mutex;
  return mutex;
}

OpenedPage OpenPage(const OpenRequest& request, const DibImage::ProgressCallback& progress) {
  OpenedPage page;
  page.image.SetProgressCallback(progress);
  ClearMessage();
  page.type = TypeToOpen(request, page.image, page.djvuKind);
  if (page.type == kFileUnknown) return Failure(std::move(page), kNotRecognized);

  if (page.type == kFileDjvu || page.type == kFileIw44) {
    if (progress) progress("Decoding the page...", 0);
    if (!LoadHalfCoded(page.image, request.path, request.pageIndex)) {
      return Failure(std::move(page), kFailedToOpen);
    }
    DibRaster& r = page.image.raster;
    page.zoom = FitZoomFor(r, request.fit);
    if (progress) progress("Rendering the page...", 50);
    const int renderZoom = request.fancyZoom && page.zoom < 0 ? page.zoom : 0;
    if (!RenderLocked(page.image, request.render, renderZoom)) {
      return Failure(std::move(page), kFailedToOpen);
    }
  } else {
    ReadOptions options;
    options.page = request.pageIndex;
    options.depth = request.render.depth;
    options.jpegDctMethod = request.jpegDctMethod;
    if (!ReadImageFile(page.image, request.path, page.type, options)) {
      return Failure(std::move(page), kFailedToOpen);
    }
    const DibRaster& r = page.image.raster;
    page.zoom = FitZoomFor(r, request.fit);
  }
  page.image.SetProgressCallback(nullptr);
  page.ok = true;
  return page;
}

bool RenderPageInto(DibImage& image, const RenderRequest& render, int zoom) {
  const DibRaster& old = image.raster;
  if (!old.pageLink) return image.Fail("There is no decoded page to render.");
  DibImage fresh;
  fresh.raster.pageLink = old.pageLink;
  if (!RenderLocked(fresh, render, zoom) ||
      !ReplayEdits(fresh, old.symmetryState, old.negativeFlag != 0, old.grayFlag != 0)) {
    return false;
  }
  image.raster = std::move(fresh.raster);
  return true;
}

namespace {

std::atomic<unsigned> g_saveSequence{0};

// A hidden name beside the target for the file being written.
std::string SavingNameFor(const std::string& path) {
  const std::filesystem::path target(path);
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".saving-%d-%u", static_cast<int>(getpid()),
                g_saveSequence.fetch_add(1));
  std::string name = target.filename().string();
  name.insert(0, 1, '.');
  name += suffix;
  return (target.parent_path() / name).string();
}

// Moves the written file over the target, keeping the target's permissions.
bool MoveIntoPlace(const std::string& written, const std::string& path, std::string& message) {
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::chmod(written.c_str(), existing.st_mode & 07777);
  }
  std::error_code error;
  std::filesystem::rename(written, path, error);
  if (error) {
    message = "Could not replace " + path + ": " + error.message();
    std::filesystem::remove(written, error);
    return false;
  }
  return true;
}

// Moves the written file into place unless the save was stopped meanwhile,
// in which case it goes.
bool CommitWritten(const std::string& written, const std::string& path,
                   const std::function<bool(const std::function<bool()>&)>& commit,
                   std::string& message) {
  bool moved = false;
  const bool committed = commit([&] { return moved = MoveIntoPlace(written, path, message); });
  if (!committed && !moved) {
    std::error_code error;
    std::filesystem::remove(written, error);
  }
  return committed && moved;
}

}  // namespace

bool MakeTruePixels(DibImage& copy, const TruePixelSource& source) {
  const int symmetry = copy.raster.symmetryState;
  const bool negative = copy.raster.negativeFlag != 0;
  const bool gray = copy.raster.grayFlag != 0;
  if (source.documentType == kFileDjvu || source.documentType == kFileIw44) {
    RenderRequest full = source.render;
    full.depth = 24;
    return RenderLocked(copy, full, 0) && ReplayEdits(copy, symmetry, negative, gray);
  }
  if (source.documentType == kFileJpeg && source.rereadJpeg) {
    ReadOptions options;
    options.jpegDctMethod = source.jpegDctMethod;
    return ReadImageFile(copy, source.sourcePath, kFileJpeg, options) &&
           ReplayEdits(copy, symmetry, negative, gray);
  }
  return true;
}

namespace {

// A page of the document's file other than the one on the screen, as saving
// wants it: full size, DjVu and IW44 pages in colour at 24 bits.
bool ReadPageForSaving(const SaveRequest& request, int index, DibImage& page) {
  ReadOptions options;
  options.page = index;
  options.gamma = request.pixels.render.gamma;
  options.jpegDctMethod = request.pixels.jpegDctMethod;
  return ReadImageFile(page, request.pixels.sourcePath,
                       static_cast<FileTypeCode>(request.sourceType), options);
}

// Pages from source as one DjVu document, encoded in parallel, written
// beside the target and committed as SavePage does; a stop ends the reading
// of pages.
bool SaveDjvuPages(int count, const DjvuPageSource& pages, const SaveRequest& request,
                   const DibImage::ProgressCallback& progress, const std::function<bool()>& stopped,
                   const std::function<bool(const std::function<bool()>&)>& commit,
                   std::string& message) {
  const DjvuPageSource source = [&](int index, DibImage& page) {
    if (stopped && stopped()) {
      SetMessage("The save was stopped.");
      return false;
    }
    return pages(index, page);
  };
  DjvuBookOptions options;
  options.progress = [&](int done, int total) {
    if (!progress) return;
    char text[64];
    std::snprintf(text, sizeof text, "Saved page %d of %d", done, total);
    progress(text, done * 100 / total);
  };
  const std::string written = SavingNameFor(request.path);
  if (!SaveDjvuBook(written, count, source, request.parameters.djvu, options)) {
    message = LastMessage();
    return false;
  }
  return CommitWritten(written, request.path, commit, message);
}

}  // namespace

bool SavePage(DibImage& copy, const SaveRequest& request,
              const std::function<bool(const std::function<bool()>&)>& commit,
              std::string& message) {
  ClearMessage();
  if (!MakeTruePixels(copy, request.pixels)) {
    message = LastMessage();
    return false;
  }
  const std::string written = SavingNameFor(request.path);
  if (!SaveImageFile(written, request.type, copy, request.parameters)) {
    message = LastMessage();
    return false;
  }
  return CommitWritten(written, request.path, commit, message);
}

bool SaveAllPages(DibImage& current, const SaveRequest& request, const PageRange& pages,
                  const DibImage::ProgressCallback& progress, const std::function<bool()>& stopped,
                  const std::function<bool(const std::function<bool()>&)>& commit,
                  std::string& message) {
  ClearMessage();
  if (!MakeTruePixels(current, request.pixels)) {
    message = LastMessage();
    return false;
  }
  const DjvuPageSource source = [&](int index, DibImage& page) {
    if (index == pages.current) return page.Clone(current);
    return ReadPageForSaving(request, index, page);
  };
  return SaveDjvuPages(pages.count, source, request, progress, stopped, commit, message);
}

bool SavePages(const PageList& pages, const SaveRequest& request,
               const std::function<bool(const std::function<bool()>&)>& commit,
               const DibImage::ProgressCallback& progress,
               const std::function<bool()>& stopRequested, std::string& message) {
  const int count = static_cast<int>(pages.size());
  ClearMessage();
  if (request.type == kFileDjvu) {
    const DjvuPageSource source = [&](int index, DibImage& page) {
      return page.Clone(*pages[static_cast<size_t>(index)]);
    };
    return SaveDjvuPages(count, source, request, progress, stopRequested, commit, message);
  }
  for (int index = 0; index < count; ++index) {
    if (stopRequested()) return false;
    DibImage copy;
    const std::string path = scan::NumberedPagePath(request.path, index);
    const std::string text = "Saving " + std::filesystem::path(path).filename().string();
    if (progress) progress(text.c_str(), index * 100 / count);
    ClearMessage();
    if (!copy.Clone(*pages[index]) ||
        !SaveImageFile(path, request.type, copy, request.parameters)) {
      message = path + ": " + LastMessage();
      return false;
    }
  }
  return true;
}

}  // namespace leaf
