#include "DataCoverage.h"

namespace leaf {

bool FailFarShort(const DibImage& image, uint64_t rowsWithData, uint64_t height) {
  return image.Fail(
      "The file's data ends at row %llu of %llu: the file is cut short, or its header declares a "
      "far larger picture than the data it holds.",
      static_cast<unsigned long long>(rowsWithData), static_cast<unsigned long long>(height));
}

}  // namespace leaf
