// storage: the mask finder's typed, zero-filled, growable buffer.
//
// Allocation goes through the _djvu_mask_ family (hooks and trace); failures
// are fatal with the messages below. A storage made not resizable refuses to
// change size once it holds data. Element access is bounds-checked in
// checked builds (MASKFIND_CHECKED): an index outside the storage is reported
// with the MATRX_PTR_OFF line and a scratch element is used instead.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#include "mask_alloc.h"
#include "mask_error.h"

namespace maskfind {

// The source file and line of a caller, for reports and the allocation
// trace: a default argument where_t::current() records the call site.
struct where_t {
  const char* file;
  int line;
  const char* file_name() const { return file; }
  int line_number() const { return line; }
  static where_t current(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    return {file, line};
  }
};

// The part of a source path that names the file inside the project.
const char* short_file(const char* path);

// Writes the MATRX_PTR_OFF report for an access outside an array. index and
// size hold the first two dimensions (unused ones 0).
void report_out_of_range(const where_t& where, int dims, size_t storage_size, const int index[2],
                         const int size[2]);

// Number of out-of-range accesses reported so far (for tests).
long out_of_range_count();

template <typename T>
class storage {
  static_assert(std::is_trivially_copyable_v<T>, "storage holds plain values");

 public:
  storage() = default;
  explicit storage(size_t count, bool resizable = true, where_t where = where_t::current())
      : resizable_(true) {
    resize(count, where);
    resizable_ = resizable;
  }
  ~storage() { release(); }
  storage(const storage&) = delete;
  storage& operator=(const storage&) = delete;
  storage(storage&& other) noexcept { take(other); }
  storage& operator=(storage&& other) noexcept {
    if (this != &other) {
      release();
      take(other);
    }
    return *this;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  bool resizable() const { return resizable_; }
  T* data() { return data_; }
  const T* data() const { return data_; }

  // Changes the size, keeping the front and zero-filling what is added;
  // false when memory cannot be had (the storage is then unchanged).
  // Resizing to zero releases the data.
  bool try_resize(size_t count, where_t where = where_t::current()) {
    if (count == size_) return true;
    const char* file = short_file(where.file_name());
    const int line = where.line_number();
    if (count == 0) {
      release(where);
      return true;
    }
    if (count > static_cast<size_t>(-1) / sizeof(T)) return false;
    void* block = data_ ? _djvu_mask_realloc(data_, count * sizeof(T), file, line)
                        : _djvu_mask_malloc(count * sizeof(T), file, line);
    if (!block) return false;
    data_ = static_cast<T*>(block);
    if (count > size_) {
      std::memset(static_cast<void*>(data_ + size_), 0, (count - size_) * sizeof(T));
    }
    size_ = count;
    return true;
  }

  // As try_resize, but failures are fatal.
  void resize(size_t count, where_t where = where_t::current()) {
    if (count == size_) return;
    const char* file = short_file(where.file_name());
    const int line = where.line_number();
    if (!resizable_ && data_) djvu_mask_error("cannot _djvu_mask_reallocate storage", file, line);
    const bool fresh = data_ == nullptr;
    if (try_resize(count, where)) return;
    if (fresh) {
      djvu_mask_errorf(file, line, "%s:%d cannot _djvu_mask_malloc(%d)", file, line,
                       static_cast<int>(count * sizeof(T)));
    }
    djvu_mask_error("out of memory (_djvu_mask_reallocating storage)", file, line);
  }

  // Grows (doubling) so that index i exists.
  void grow_to_hold(size_t i, where_t where = where_t::current()) {
    if (i < size_) return;
    size_t count = size_ ? size_ : 16;
    while (count <= i) count *= 2;
    resize(count, where);
  }

  void fill(T value) {
    for (size_t i = 0; i < size_; ++i) data_[i] = value;
  }

  T& operator[](size_t i) {
#ifdef MASKFIND_CHECKED
    if (i >= size_) return out_of_range(i);
#endif
    return data_[i];
  }
  const T& operator[](size_t i) const { return const_cast<storage&>(*this)[i]; }

 private:
  T& out_of_range(size_t i, where_t where = where_t::current()) {
    const int index[2] = {static_cast<int>(i), 0};
    const int size[2] = {static_cast<int>(size_), 0};
    report_out_of_range(where, 1, size_, index, size);
    static thread_local T scratch;
    scratch = T{};
    return scratch;
  }

  void release(where_t where = where_t::current()) {
    if (data_) _djvu_mask_free(data_, short_file(where.file_name()), where.line_number());
    data_ = nullptr;
    size_ = 0;
  }

  void take(storage& other) {
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    resizable_ = other.resizable_;
  }

  T* data_ = nullptr;
  size_t size_ = 0;
  bool resizable_ = true;
};

}  // namespace maskfind
