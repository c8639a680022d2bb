#include "PixelBlock.h"

#include <cstdlib>

namespace leaf {

void PixelBlock::Free::operator()(uint8_t* bytes) const { std::free(bytes); }

PixelBlock PixelBlock::Allocate(size_t bytes) {
  PixelBlock block;
  if (bytes == 0) return block;
  // calloc hands out large blocks as fresh zero pages: memory a reader never
  // writes (rows a damaged file does not fill) costs nothing.
  block.bytes_.reset(static_cast<uint8_t*>(std::calloc(bytes, 1)));
  if (block.bytes_) block.size_ = bytes;
  return block;
}

}  // namespace leaf
