// What Undo brings back: the page as it was before the last edit. One step,
// kept as a swap, so that a second Undo brings the edit back again. The
// store records and swaps whole page states; holding more of them (a stack
// with a redo side) would change only this class.
#pragma once

#include <optional>

#include "image/DibImage.h"

namespace leaf {

// A page and what the document knows about it.
struct PageState {
  DibImage image;
  int documentType = 0;  // FileTypeCode; 1, 2 and 5 can be rendered again
  int djvuKind = 0;      // DjvuHeaderKind of a DjVu page
  int renderedZoom = 0;  // the zoom a DjVu raster was rendered at
  int layer = 0;         // the DjVu layer it shows
};

class UndoStore {
 public:
  bool hasUndo() const { return kept_.has_value(); }
  // Keeps the state from before an edit, in place of any earlier one.
  void record(PageState before) { kept_ = std::move(before); }
  // Exchanges the current state with the kept one; false with nothing kept.
  bool swapWith(PageState& current);
  // Forgets the kept state (a decoded DjVu page it shares stays alive while
  // the current image refers to it).
  void clear() { kept_.reset(); }

 private:
  std::optional<PageState> kept_;
};

}  // namespace leaf
