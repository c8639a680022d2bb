#include "PixelBlock.h"

#include <new>

namespace leaf {

PixelBlock PixelBlock::Allocate(size_t bytes) {
  PixelBlock block;
  if (bytes == 0) return block;
  block.bytes_.reset(new (std::nothrow) uint8_t[bytes]());
  if (block.bytes_) block.size_ = bytes;
  return block;
}

}  // namespace leaf
