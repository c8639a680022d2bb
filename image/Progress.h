// Progress of a loop over the rows of a raster, reported at multiples of 5 percent.
#pragma once

#include "DibImage.h"

namespace leaf {

class RowProgress {
 public:
  // Announces the phase with (text, 0) when the image has a progress callback.
  RowProgress(const DibImage& image, const char* text, int rows);

  // Call once after each row.
  void Row();

 private:
  const DibImage& image_;
  const char* text_;
  long long rows_;
  long long total_ = 0;
  int last_ = 0;
  bool active_;
};

}  // namespace leaf
