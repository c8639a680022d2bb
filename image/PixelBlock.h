// An owned heap block of bytes: the packed bitmap (header, palette, rows) of a raster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace leaf {

class PixelBlock {
 public:
  PixelBlock() = default;

  // A zero-filled block of the given size; an empty block when the memory
  // cannot be had (or when bytes is 0).
  static PixelBlock Allocate(size_t bytes);

  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return !bytes_; }
  explicit operator bool() const { return static_cast<bool>(bytes_); }
  void reset() {
    bytes_.reset();
    size_ = 0;
  }

 private:
  struct Free {
    void operator()(uint8_t* bytes) const;
  };
  std::unique_ptr<uint8_t[], Free> bytes_;
  size_t size_ = 0;
};

}  // namespace leaf
