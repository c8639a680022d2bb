#include "CLeafDoc.h"

#include <QFileInfo>
#include <memory>
#include <optional>

#include "BackgroundTask.h"
#include "CSaveProgressDlg.h"
#include "DocumentTexts.h"
#include "FileDialogFilters.h"
#include "SaveParameters.h"
#include "ZoomLevel.h"
#include "formats/DjvuReader.h"
#include "image/Messages.h"
#include "scanner/Scanner.h"

using namespace leaf;

namespace {

constexpr int kShowOpenProgressAfterMs = 400;
// Never a render target (those are 0 or below): the next render is forced.
constexpr int kNotRendered = 1;

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// An 8-bit page whose palette is a gray ramp (saved as PGM rather than PPM).
bool IsGrayPage(const DibRaster& raster) {
  if (raster.bitsPerPixel != 8 || raster.empty()) return false;
  if (raster.grayFlag) return true;
  const size_t entries = raster.paletteEntries();
  if (entries == 0) return false;
  const uint8_t* p = raster.palette();
  for (size_t i = 0; i < entries; ++i, p += kPaletteEntrySize) {
    if (p[0] != p[1] || p[1] != p[2]) return false;
  }
  return true;
}

// The step that puts a saved file in place, unless the save was stopped.
std::function<bool(const std::function<bool()>&)> CommitFor(const TaskReporter& reporter) {
  return
      [&reporter](const std::function<bool()>& step) { return reporter.CommitUnlessStopped(step); };
}

// The types Save can write without asking.
bool IsWritableType(int type) {
  return (type >= kFileDjvu && type <= kFileJpeg) || type == kFilePng;
}

}  // namespace

CLeafDoc::CLeafDoc(AppSettings& settings, CUserPrompts& prompts, QObject* parent)
    : QObject(parent), settings_(settings), prompts_(prompts), title_(tr("Untitled")) {}

bool CLeafDoc::isDjvuDocument() const {
  return documentType_ == kFileDjvu || documentType_ == kFileIw44;
}

bool CLeafDoc::isRenderedAtZoom() const { return isDjvuDocument() && renderedZoom_ < 0; }

void CLeafDoc::setModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  emit modifiedChanged(modified);
}

void CLeafDoc::imageEdited() {
  setModified(true);
  emit pageEdited();
}

void CLeafDoc::setTitle(const QString& title) {
  title_ = title;
  emit titleChanged(title_);
}

RenderRequest CLeafDoc::renderRequest() const {
  RenderRequest request;
  request.layer = layer_;
  request.depth =
      settings_.dither && displayDepth_ >= 1 && displayDepth_ <= 24 ? displayDepth_ : 24;
  request.gamma = settings_.displayGamma;
  return request;
}

void CLeafDoc::newDocument() {
  dropScannedPages();
  forgetEdits();
  image_.Release(true);
  documentType_ = sourceType_ = djvuKind_ = 0;
  path_.clear();
  sourcePath_.clear();
  saveAllPages_ = false;
  zoom_ = renderedZoom_ = 0;
  setModified(false);
  setTitle(tr("Untitled"));
  emit contentsChanged();
}

bool CLeafDoc::runOpen(const OpenRequest& request, OpenedPage& page) {
  CSaveProgressDlg dialog(tr("Opening"), tr("Opening %1...").arg(Q(FileNameOf(request.path))),
                          dialogParent_);
  auto result = std::make_shared<OpenedPage>();
  const TaskOutcome outcome = RunBackgroundTask(
      dialog, kShowOpenProgressAfterMs, [request, result](const TaskReporter& reporter) {
        *result = OpenPage(request, [&reporter](const char* text, int percent) {
          reporter.Progress(text, percent);
        });
        result->image.SetProgressCallback(nullptr);
      });
  if (outcome == TaskOutcome::Stopped) return false;
  page = std::move(*result);
  return true;
}

bool CLeafDoc::openDocument(const QString& path, const FitArea& fit, int pageIndex) {
  OpenRequest request;
  request.path = S(path);
  request.requestedType = requestedOpenType_;
  request.pageIndex = pageIndex;
  request.render = renderRequest();
  request.jpegDctMethod = settings_.jpegDecodeDct;
  request.fancyZoom = settings_.fancyZoom != 0;
  request.fit = fit;
  requestedOpenType_ = 0;

  OpenedPage page;
  if (!runOpen(request, page)) return false;
  if (!page.ok) {
    prompts_.showError(Q(page.summary), Q(page.detail));
    return false;
  }
  dropScannedPages();
  forgetEdits();
  image_ = std::move(page.image);
  documentType_ = sourceType_ = page.type;
  djvuKind_ = page.djvuKind;
  zoom_ = page.zoom;
  renderedZoom_ = isDjvuDocument() && request.fancyZoom && zoom_ < 0 ? zoom_ : 0;
  path_ = sourcePath_ = path;
  saveAllPages_ = false;
  setModified(false);
  setTitle(Q(OpenedTitle(request.path, image_.raster.pageIndex, image_.raster.pageCount)));
  emit fileUsed(path);
  emit contentsChanged();
  return true;
}

bool CLeafDoc::setZoomAndLayer(int zoom, int layer) {
  zoom = ClampZoom(zoom);
  if (isDjvuDocument() && image_.raster.pageLink) {
    const int target = settings_.fancyZoom && zoom < 0 ? zoom : 0;
    if (target != renderedZoom_ || layer != layer_) {
      RenderRequest request = renderRequest();
      request.layer = layer;
      ClearMessage();
      if (!RenderPageInto(image_, request, target)) {
        zoom_ = zoom;
        prompts_.showError(tr("Failed to re-render the image!"), Q(LastMessage()));
        return false;
      }
      renderedZoom_ = target;
      layer_ = layer;
      zoom_ = zoom;
      emit pixelsChanged();
      return true;
    }
  }
  zoom_ = zoom;
  layer_ = layer;
  return true;
}

bool CLeafDoc::renderAgain() {
  if (!isDjvuDocument() || !image_.raster.pageLink) return true;
  renderedZoom_ = kNotRendered;
  return setZoomAndLayer(zoom_, layer_);
}

bool CLeafDoc::confirmDiscard() {
  if (!modified_) return true;
  switch (prompts_.askYesNoCancel(Q(SaveFirstQuestion(S(title_))))) {
    case CUserPrompts::Answer::Yes: return saveAsCommand();
    case CUserPrompts::Answer::No: setModified(false); return true;
    default: return false;
  }
}

QString CLeafDoc::proposedSaveName() {
  const DibRaster& r = image_.raster;
  const std::string extension = SaveExtension(settings_.saveType, r.bitsPerPixel, IsGrayPage(r));
  if (path_.isEmpty()) {
    return QStringLiteral("%1%2").arg(baseTitle_).arg(untitledCounter_++, 4, 10, QChar('0')) +
           Q(extension);
  }
  return Q(ReplaceExtension(FileNameOf(S(path_)), extension));
}

bool CLeafDoc::askResolutionQuestion() {
  const DibRaster& r = image_.raster;
  const std::string question =
      ResolutionQuestion(r.xResolution, r.yResolution, settings_.djvuUpsample);
  if (question.empty()) return true;
  switch (prompts_.askYesNoCancel(Q(question))) {
    case CUserPrompts::Answer::Yes: prompts_.reviewDjvuSettings(); return true;
    case CUserPrompts::Answer::No: return true;
    default: return false;
  }
}

bool CLeafDoc::saveAsCommand() {
  if (!hasImage()) return false;
  const CUserPrompts::FileChoice choice = prompts_.chooseSavePath(
      Q(settings_.saveDir), proposedSaveName(), SaveFilterRowForType(settings_.saveType));
  if (!choice.accepted || choice.path.isEmpty()) return false;
  const FileTypeCode type = SaveTypeForRow(choice.filterRow);
  bool allPages = false;
  if (type == kFileDjvu && canSaveAllPages()) {
    const CUserPrompts::PagesChoice pages = prompts_.choosePagesToSave(pageCount());
    if (pages == CUserPrompts::PagesChoice::Cancel) return false;
    allPages = pages == CUserPrompts::PagesChoice::AllPages;
  }
  if (type == kFileDjvu && !askResolutionQuestion()) return false;

  const DibRaster& r = image_.raster;
  const std::string name =
      NameForSaveType(S(choice.path), type, SaveExtension(type, r.bitsPerPixel, IsGrayPage(r)));
  settings_.saveDir = S(QFileInfo(Q(name)).absolutePath());
  settings_.saveType = type;
  saveType_ = type;
  const std::string source = sourcePath_.isEmpty() ? S(title_) : FileNameOf(S(sourcePath_));
  if (!saveDocument(Q(name), type, allPages)) return false;
  saveAllPages_ = allPages;
  path_ = Q(name);
  setTitle(hasScannedPages() ? scannedTitle() : Q(SavedTitle(source, name)));
  // Pages saved as numbered files leave no file of the name itself.
  if (!hasScannedPages() || type == kFileDjvu) emit fileUsed(path_);
  return true;
}

void CLeafDoc::saveCommand() {
  if (!hasImage() || !modified_) return;
  int type = saveType_;
  if (type == 0 && IsWritableType(FileTypeFromName(S(path_)))) type = FileTypeFromName(S(path_));
  const bool allPages = saveAllPages_ && type == kFileDjvu && canSaveAllPages();
  if (path_.isEmpty() || type == 0 || !saveDocument(path_, type, allPages)) {
    saveAsCommand();
    return;
  }
  const std::string source = sourcePath_.isEmpty() ? S(title_) : FileNameOf(S(sourcePath_));
  setTitle(hasScannedPages() ? scannedTitle() : Q(SavedTitle(source, S(path_))));
}

TruePixelSource CLeafDoc::truePixelSource() const {
  TruePixelSource source;
  source.documentType = documentType_;
  source.render = renderRequest();
  source.rereadJpeg = documentType_ == kFileJpeg && source.render.depth < 24;
  source.sourcePath = S(sourcePath_);
  source.jpegDctMethod = settings_.jpegDecodeDct;
  return source;
}

DibImage CLeafDoc::copyForSaving() const {
  DibImage copy;
  if (isDjvuDocument()) {
    // Rendered again at full size from the decoded page; only the edits are kept.
    copy.raster.pageLink = image_.raster.pageLink;
    copy.raster.symmetryState = image_.raster.symmetryState;
    copy.raster.negativeFlag = image_.raster.negativeFlag;
    copy.raster.grayFlag = image_.raster.grayFlag;
  } else {
    copy.Clone(image_);
  }
  return copy;
}

bool CLeafDoc::runSaveTask(const QString& message, SaveWork work) {
  CSaveProgressDlg dialog(tr("Save in progress"), message, dialogParent_);
  struct Result {
    bool ok = false;
    std::string message;
  };
  auto result = std::make_shared<Result>();
  const TaskOutcome outcome =
      RunBackgroundTask(dialog, 0, [work = std::move(work), result](const TaskReporter& reporter) {
        result->ok = work(reporter, result->message);
      });
  if (outcome == TaskOutcome::Stopped) return false;
  if (!result->ok) {
    prompts_.showError(tr("Failed to save the image!"), Q(result->message));
    return false;
  }
  return true;
}

bool CLeafDoc::canSaveAllPages() const {
  return hasImage() && pageCount() > 1 && !sourcePath_.isEmpty();
}

bool CLeafDoc::saveDocument(const QString& path, int type, bool allPages) {
  if (scanned_.size() > 1) return savePages(path, type);
  ClearMessage();
  auto copy = std::make_shared<DibImage>(copyForSaving());
  if (copy->raster.empty() && !copy->raster.pageLink) {
    prompts_.showError(tr("Failed to save the image!"), Q(LastMessage()));
    return false;
  }
  SaveRequest request;
  request.path = S(path);
  request.type = static_cast<FileTypeCode>(type);
  request.parameters = SaveParametersFor(settings_);
  request.pixels = truePixelSource();
  request.sourceType = sourceType_;
  std::optional<PageRange> pages;
  if (allPages) pages = PageRange{pageCount(), pageIndex()};
  if (!runSave(copy, request, pages)) return false;
  setModified(false);
  return true;
}

bool CLeafDoc::runSave(const std::shared_ptr<DibImage>& copy, const SaveRequest& request,
                       const std::optional<PageRange>& allPages) {
  const QString message = tr("Saving %1. The time it takes will depend on the size of the image, "
                             "and the format to which it is saved.")
                              .arg(Q(FileNameOf(request.path)));
  return runSaveTask(
      message, [copy, request, allPages](const TaskReporter& reporter, std::string& failure) {
        const auto progress = [&reporter](const char* text, int percent) {
          reporter.Progress(text, percent);
        };
        if (allPages) {
          return SaveAllPages(
              *copy, request, *allPages, progress, [&reporter] { return reporter.StopRequested(); },
              CommitFor(reporter), failure);
        }
        copy->SetProgressCallback(progress);
        const bool ok = SavePage(*copy, request, CommitFor(reporter), failure);
        copy->SetProgressCallback(nullptr);
        return ok;
      });
}

bool CLeafDoc::savePages(const QString& path, int type) {
  PageList pages;
  for (const std::shared_ptr<DibImage>& page : scanned_) {
    if (page) {
      pages.push_back(page);
      continue;
    }
    auto shown = std::make_shared<DibImage>();
    ClearMessage();
    if (!shown->Clone(image_)) {
      prompts_.showError(tr("Failed to save the image!"), Q(LastMessage()));
      return false;
    }
    pages.push_back(std::move(shown));
  }
  SaveRequest request;
  request.path = S(path);
  request.type = static_cast<FileTypeCode>(type);
  request.parameters = SaveParametersFor(settings_);
  const QString name = Q(FileNameOf(request.path));
  const QString message =
      type == kFileDjvu
          ? tr("Saving the %1 pages as one DjVu document, %2.").arg(pages.size()).arg(name)
          : tr("Saving the %1 pages as numbered files beside %2, one file per page.")
                .arg(pages.size())
                .arg(name);
  const bool saved =
      runSaveTask(message, [pages, request](const TaskReporter& reporter, std::string& failure) {
        return SavePages(
            pages, request, CommitFor(reporter),
            [&reporter](const char* text, int percent) { reporter.Progress(text, percent); },
            [&reporter] { return reporter.StopRequested(); }, failure);
      });
  if (saved) setModified(false);
  return saved;
}

// ----- scanning -----

bool CLeafDoc::acquire(const scan::ScanRequest& request, const FitArea& fit) {
  CSaveProgressDlg dialog(tr("New Scan"),
                          request.allPages ? tr("Scanning every page in the document feeder...")
                                           : tr("Scanning a page..."),
                          dialogParent_);
  dialog.setStopText(tr("&Cancel"));
  auto cancel = std::make_shared<scan::ScanCancel>();
  connect(&dialog, &CSaveProgressDlg::stopRequested, &dialog, [cancel] { cancel->Cancel(); });
  struct Result {
    scan::ScanOutcome outcome;
    std::vector<DibImage> pages;
  };
  auto result = std::make_shared<Result>();
  const TaskOutcome task =
      RunBackgroundTask(dialog, 0, [request, cancel, result](const TaskReporter& reporter) {
        result->outcome = scan::AcquirePages(
            request,
            [&result](DibImage&& page, int) {
              result->pages.push_back(std::move(page));
              return true;
            },
            [&reporter](const std::string& text, int percent) {
              reporter.Progress(text.c_str(), percent);
            },
            *cancel);
      });
  // A cancelled scan changes nothing; its pages, if any, are dropped.
  if (task == TaskOutcome::Stopped || result->outcome.status == scan::ScanStatus::Cancelled) {
    return false;
  }
  const int scanned = static_cast<int>(result->pages.size());
  if (!result->outcome.ok()) {
    const QString reason = Q(result->outcome.message);
    if (scanned == 0) {
      prompts_.showError(tr("Failed to acquire image!"), reason);
      return false;
    }
    // A batch that broke off part-way: the pages in hand may be kept.
    const QString question =
        scanned == 1 ? tr("%1\n\nKeep the page scanned before as a new document?").arg(reason)
                     : tr("%1\n\nKeep the %2 pages scanned before as a new document?")
                           .arg(reason)
                           .arg(scanned);
    if (!prompts_.askYesNo(question)) return false;
  }
  if (scanned == 0) {
    prompts_.showError(tr("Failed to acquire image!"));
    return false;
  }
  setScannedPages(std::move(result->pages), fit);
  return true;
}

void CLeafDoc::setScannedPages(std::vector<DibImage> pages, const FitArea& fit) {
  if (pages.empty()) return;
  const int count = static_cast<int>(pages.size());
  dropScannedPages();
  for (int index = 0; index < count; ++index) {
    pages[index].raster.pageIndex = index;
    pages[index].raster.pageCount = count;
  }
  image_ = std::move(pages[0]);
  if (count > 1) {
    scanned_.resize(1);  // page 0 is on screen
    for (int index = 1; index < count; ++index) {
      scanned_.push_back(std::make_shared<DibImage>(std::move(pages[index])));
    }
  }
  documentType_ = kFileBmp;
  djvuKind_ = 0;
  path_.clear();
  sourcePath_.clear();
  zoom_ = FitZoomFor(image_.raster, fit);
  renderedZoom_ = 0;
  setModified(true);
  setTitle(scannedTitle());
  emit contentsChanged();
}

void CLeafDoc::showScannedPage(int index, const FitArea& fit) {
  if (scanned_.empty()) return;
  const int current = pageIndex();
  index = std::clamp(index, 0, static_cast<int>(scanned_.size()) - 1);
  if (index == current) return;
  std::shared_ptr<DibImage> next = std::move(scanned_[index]);
  scanned_[current] = std::make_shared<DibImage>(std::move(image_));
  if (next.use_count() == 1) {
    image_ = std::move(*next);
  } else {  // a save running on a worker still reads it
    image_.Clone(*next);
    image_.raster.pageIndex = index;
    image_.raster.pageCount = static_cast<int>(scanned_.size());
  }
  zoom_ = FitZoomFor(image_.raster, fit);
  setTitle(scannedTitle());
  emit contentsChanged();
}

QString CLeafDoc::scannedTitle() const {
  std::string base = S(tr("Untitled scanned image"));
  if (!path_.isEmpty()) base = SavedTitle(base, S(path_));
  return Q(OpenedTitle(base, pageIndex(), pageCount()));
}

void CLeafDoc::dropScannedPages() { scanned_.clear(); }
