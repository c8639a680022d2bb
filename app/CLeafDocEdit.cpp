// The document's Edit and Image menus: one step of undo, the clipboard and
// the edits of the page. Flips, turns, negative and gray work on the raster
// on screen and keep a DjVu, IW44 or JPEG page re-renderable (they are
// replayed after each render); the edits that change pixels work on the
// page's true pixels and make it a plain raster. Every edit works on a copy
// or keeps one, so that a failure leaves the document as it was.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>

#include "CLeafDoc.h"
#include "ClipboardImage.h"
#include "TextLabelDrawing.h"
#include "image/DepthConversions.h"
#include "image/InsertImage.h"
#include "image/Messages.h"
#include "image/NearestColor.h"
#include "image/Resampling.h"
#include "image/Selections.h"
#include "image/Transforms.h"

using namespace leaf;

namespace {

// The busy cursor while an edit runs.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QString LastText() { return QString::fromUtf8(LastMessage()); }

// The selection as inclusive edges; an empty one is the whole picture.
SelectionRect EdgesOf(const QRect& selection, const QSize& full) {
  if (selection.isEmpty()) return {0, 0, full.width() - 1, full.height() - 1};
  return {selection.left(), selection.top(), selection.right(), selection.bottom()};
}

// The first stored row of the page covered by a picture of `height` rows
// whose top is at picture row `top`.
int FirstStoredRow(const DibRaster& page, int top, int height) {
  return page.rowOrder == kRowOrderTopDown ? top : page.height - top - height;
}

bool IsCopyableDepth(int bits) { return bits == 1 || bits == 8 || bits == 24; }

// The part of a pasted picture that lands on the page when its top left
// corner goes to a pixel of the page: `clipped` stays empty when all of it
// does.
bool ClipToPage(const DibImage& picture, const DibRaster& page, const QPoint& topLeft,
                DibImage& clipped) {
  const DibRaster& p = picture.raster;
  const int width = std::min(p.width, page.width - topLeft.x());
  const int height = std::min(p.height, page.height - topLeft.y());
  if (width == p.width && height == p.height) return true;
  if (width < 1 || height < 1) return picture.Fail("Inserted image out of bounds in the original.");
  return clipped.Clone(picture) && Crop(clipped, {0, 0, width - 1, height - 1});
}

}  // namespace

QSize CLeafDoc::fullSize() const {
  const DibRaster& r = image_.raster;
  return {r.fullWidth > 0 ? r.fullWidth : r.width, r.fullHeight > 0 ? r.fullHeight : r.height};
}

bool CLeafDoc::pageForPrinting(DibImage& page) {
  ClearMessage();
  PageState state;
  if (!truePixels(state)) return false;
  page = std::move(state.image);
  return true;
}

// ----- page states -----

PageState CLeafDoc::takePage() {
  PageState state;
  state.image = std::move(image_);
  state.documentType = documentType_;
  state.djvuKind = djvuKind_;
  state.renderedZoom = renderedZoom_;
  state.layer = layer_;
  return state;
}

// The layer stays the view's choice; a page rendered with another one is
// rendered again by the caller.
void CLeafDoc::installPage(PageState&& state) {
  image_ = std::move(state.image);
  documentType_ = state.documentType;
  djvuKind_ = state.djvuKind;
  renderedZoom_ = state.renderedZoom;
}

void CLeafDoc::forgetEdits() {
  undo_.clear();
  discardFloatingImage();
}

// The page's true pixels in a state of its own: a copy of the raster, or the
// DjVu page rendered at full size (the JPEG read again) with the flips,
// turns, negative and gray replayed.
bool CLeafDoc::truePixels(PageState& state) {
  state.documentType = documentType_;
  state.djvuKind = djvuKind_;
  state.layer = layer_;
  state.renderedZoom = 0;
  const TruePixelSource source = truePixelSource();
  const bool rendered = isDjvuDocument() && image_.raster.pageLink &&
                        (renderedZoom_ != 0 || source.render.depth != 24);
  if (!rendered && !source.rereadJpeg) return state.image.Clone(image_);
  state.image = copyForSaving();
  return MakeTruePixels(state.image, source);
}

void CLeafDoc::commitPixelEdit(PageState&& edited) {
  edited.documentType = kFileBmp;  // a plain raster from now on
  edited.djvuKind = 0;
  edited.renderedZoom = 0;
  edited.image.raster.pageLink.reset();
  undo_.record(takePage());
  installPage(std::move(edited));
  imageEdited();
}

bool CLeafDoc::simpleEdit(Operation operation, const QString& failure) {
  if (!hasImage()) return false;
  const BusyCursor busy;
  ClearMessage();
  PageState before;
  if (!before.image.Clone(image_)) {
    prompts_.showError(failure, LastText());
    return false;
  }
  before.documentType = documentType_;
  before.djvuKind = djvuKind_;
  before.renderedZoom = renderedZoom_;
  before.layer = layer_;
  if (!operation(image_)) {
    const QString detail = LastText();
    installPage(std::move(before));
    prompts_.showError(failure, detail);
    return false;
  }
  undo_.record(std::move(before));
  imageEdited();
  return true;
}

bool CLeafDoc::pixelEdit(const QString& failure, const std::function<bool(DibImage&)>& edit) {
  if (!hasImage()) return false;
  const BusyCursor busy;
  ClearMessage();
  PageState edited;
  if (!truePixels(edited)) {
    prompts_.showError(tr("Failed to re-render the image!"), LastText());
    return false;
  }
  ClearMessage();
  if (!edit(edited.image)) {
    prompts_.showError(failure, LastText());
    return false;
  }
  commitPixelEdit(std::move(edited));
  return true;
}

// ----- undo -----

void CLeafDoc::undo() {
  PageState current = takePage();
  if (!undo_.swapWith(current)) {
    installPage(std::move(current));
    return;
  }
  const int keptLayer = current.layer;
  installPage(std::move(current));
  discardFloatingImage();
  // A DjVu page kept at another zoom or layer is rendered for the view again.
  const int target = settings_.fancyZoom && zoom_ < 0 ? zoom_ : 0;
  if (isDjvuDocument() && image_.raster.pageLink &&
      (target != renderedZoom_ || keptLayer != layer_)) {
    ClearMessage();
    if (RenderPageInto(image_, renderRequest(), target)) {
      renderedZoom_ = target;
    } else {
      prompts_.showError(tr("Failed to re-render the image!"), LastText());
    }
  }
  imageEdited();
}

void CLeafDoc::emptyUndoBuffer() {
  if (!undo_.hasUndo()) return;
  if (prompts_.askYesNoWarning(tr("Are you sure you want to empty the undo buffer?"))) {
    undo_.clear();
  }
}

// ----- the clipboard -----

bool CLeafDoc::clipboardHasImage() {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime && mime->hasImage();
}

void CLeafDoc::emptyClipboard() { QGuiApplication::clipboard()->clear(); }

bool CLeafDoc::putOnClipboard(const DibImage& page, const QRect& selection) {
  const int bits = page.raster.bitsPerPixel;
  if (!IsCopyableDepth(bits)) {
    prompts_.showError(tr("Selections of %1 bit images is not supported").arg(bits));
    return false;
  }
  DibImage bitmap;
  ClearMessage();
  if (!CopySelectionBitmap(page, EdgesOf(selection, fullSize()), bitmap)) {
    prompts_.showError(tr("Can't allocate memory for selection!"), LastText());
    return false;
  }
  const QImage picture = PictureOfBitmap(bitmap);
  if (picture.isNull()) {
    prompts_.showError(tr("Can't allocate memory for selection!"));
    return false;
  }
  QGuiApplication::clipboard()->setImage(picture);
  return true;
}

bool CLeafDoc::readClipboard(DibImage& image) {
  ClearMessage();
  if (!BitmapOfPicture(QGuiApplication::clipboard()->image(), image)) {
    prompts_.showError(tr("Failed to paste the image!"), LastText());
    return false;
  }
  return true;
}

bool CLeafDoc::copy(const QRect& selection) {
  if (!hasImage()) return false;
  const BusyCursor busy;
  if (!isDjvuDocument() && !truePixelSource().rereadJpeg) return putOnClipboard(image_, selection);
  PageState page;
  ClearMessage();
  if (!truePixels(page)) {
    prompts_.showError(tr("Failed to re-render the image!"), LastText());
    return false;
  }
  return putOnClipboard(page.image, selection);
}

bool CLeafDoc::cut(const QRect& selection) {
  if (!hasImage()) return false;
  const BusyCursor busy;
  PageState edited;
  ClearMessage();
  if (!truePixels(edited)) {
    prompts_.showError(tr("Failed to re-render the image!"), LastText());
    return false;
  }
  if (!putOnClipboard(edited.image, selection)) return false;
  ClearMessage();
  if (!RemoveSelection(edited.image, EdgesOf(selection, fullSize()))) {
    prompts_.showError(tr("Failed to cut the selection!"), LastText());
    return false;
  }
  commitPixelEdit(std::move(edited));
  return true;
}

bool CLeafDoc::paste(const FitArea& fit) {
  if (!hasImage()) return pasteAsNew(fit);
  auto floating = std::make_unique<DibImage>();
  if (!readClipboard(*floating)) return false;
  floating_ = std::move(floating);
  emit floatingImageChanged();
  emit statusMessage(
      tr("Click where the top left corner of the pasted image should go (Esc cancels)."));
  return true;
}

bool CLeafDoc::pasteAsNew(const FitArea& fit) {
  PageState pasted;
  if (!readClipboard(pasted.image)) return false;
  if (!confirmDiscard()) return false;
  pasted.documentType = kFileBmp;
  discardFloatingImage();
  if (hasImage()) undo_.record(takePage());
  installPage(std::move(pasted));
  zoom_ = FitZoomFor(image_.raster, fit);
  path_.clear();
  sourcePath_.clear();
  setTitle(tr("Untitled clipboard image"));
  setModified(true);
  emit contentsChanged();
  return true;
}

void CLeafDoc::clear() {
  if (confirmDiscard()) newDocument();
}

void CLeafDoc::discardFloatingImage() {
  if (!floating_) return;
  floating_.reset();
  emit floatingImageChanged();
}

bool CLeafDoc::insertFloatingImage(const QPoint& topLeft) {
  std::unique_ptr<DibImage> floating = std::move(floating_);
  if (floating) emit floatingImageChanged();
  if (!floating || !hasImage()) return false;
  // A picture of more colours than the page had is not put into it.
  if (image_.raster.sourceBitsPerPixel < floating->raster.bitsPerPixel) {
    emit statusMessage(tr("The pasted image has more colors than the page; it was not inserted."));
    return false;
  }
  return pixelEdit(tr("Failed to insert sub-image!"), [&](DibImage& page) {
    const DibImage* inserted = floating.get();
    DibImage clipped;
    if (!ClipToPage(*floating, page.raster, topLeft, clipped)) return false;
    if (!clipped.raster.empty()) inserted = &clipped;
    const IndexMap map = NearestIndexMap(page.raster, inserted->raster);
    const int row = FirstStoredRow(page.raster, topLeft.y(), inserted->raster.height);
    return InsertImage(page, *inserted, topLeft.x(), row, map);
  });
}

// ----- the Image menu -----

bool CLeafDoc::addText(const TextSettings& text) {
  if (!hasImage()) return false;
  auto label = std::make_unique<DibImage>();
  ClearMessage();
  if (!MakeTextLabel(text, std::string(), *label)) {
    prompts_.showError(tr("Failed to create the text label!"), LastText());
    return false;
  }
  if (text.position == kTextPositionInside) {
    discardFloatingImage();
    floating_ = std::move(label);
    emit floatingImageChanged();
    emit statusMessage(
        tr("Click where the top left corner of the text label should go (Esc cancels)."));
    return true;
  }
  const LabelPlacement placement = LabelPlacementOf(text);
  return pixelEdit(tr("Failed to insert the text label!"),
                   [&](DibImage& page) { return StampTextLabel(page, *label, placement); });
}

bool CLeafDoc::flip() {
  return simpleEdit([](DibImage& image) { return Flip(image, true); },
                    tr("Failed to flip the image!"));
}

bool CLeafDoc::mirror() { return simpleEdit(Mirror, tr("Failed to mirror the image!")); }
bool CLeafDoc::rotateLeft() { return simpleEdit(RotateLeft, tr("Failed to rotate!")); }
bool CLeafDoc::rotateRight() { return simpleEdit(RotateRight, tr("Failed to rotate!")); }
bool CLeafDoc::rotateHalfTurn() { return simpleEdit(RotateHalfTurn, tr("Failed to rotate!")); }
bool CLeafDoc::negative() { return simpleEdit(Negative, tr("Failed to make the negative!")); }

bool CLeafDoc::convertToGray() {
  return simpleEdit(ToGray, tr("Failed to convert the image to gray!"));
}

bool CLeafDoc::crop(const QRect& selection) {
  if (selection.isEmpty()) return false;
  const SelectionRect edges = EdgesOf(selection, fullSize());
  return pixelEdit(tr("Failed to crop the image!"),
                   [&](DibImage& page) { return Crop(page, edges); });
}

bool CLeafDoc::resize(int width, int height, int method) {
  return pixelEdit(tr("Failed to resize the image!"),
                   [&](DibImage& page) { return Resize(page, width, height, method); });
}
