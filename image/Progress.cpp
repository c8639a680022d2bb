#include "Progress.h"

namespace leaf {

RowProgress::RowProgress(const DibImage& image, const char* text, int rows)
    : image_(image), text_(text), rows_(rows), active_(image.hasProgressCallback() && rows > 0) {
  if (active_) image_.ReportProgress(text_, 0);
}

void RowProgress::Row() {
  if (!active_) return;
  total_ += 100;
  const int percent = static_cast<int>(total_ / rows_);
  if (percent > last_ && percent % 5 == 0) {
    image_.ReportProgress(text_, percent);
    last_ = percent;
  }
}

}  // namespace leaf
