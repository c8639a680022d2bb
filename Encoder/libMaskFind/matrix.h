// matrix: a view of one to three dimensions on a storage of its own.
//
// A matrix made with its sizes gets row-major steps (the last dimension has
// step 1); one made empty must be sized before use ("matrix is have not been
// sized"). In checked builds (MASKFIND_CHECKED) every element access checks
// the number of indices ("arguments have the wrong dimensions", fatal) and
// each index against its dimension: an access outside is reported with the
// MATRX_PTR_OFF line and a scratch element is used instead.
#pragma once

#include <array>
#include <cstddef>

#include "storage.h"

namespace maskfind {

template <typename T>
class matrix {
 public:
  matrix() = default;
  explicit matrix(int d0, where_t where = where_t::current()) { size({d0, 1, 1}, 1, where); }
  matrix(int d0, int d1, where_t where = where_t::current()) { size({d0, d1, 1}, 2, where); }
  matrix(int d0, int d1, int d2, where_t where = where_t::current()) {
    size({d0, d1, d2}, 3, where);
  }

  // Sizes (or re-sizes) the matrix; false when its storage cannot be had.
  bool try_size(std::array<int, 3> dims, int count, where_t where = where_t::current()) {
    if (!shape(dims, count)) return false;
    if (!data_.try_resize(elements(), where)) {
      sized_ = false;
      return false;
    }
    return true;
  }
  void size(std::array<int, 3> dims, int count, where_t where = where_t::current()) {
    if (!shape(dims, count)) {
      djvu_mask_error("arguments have the wrong dimensions", short_file(where.file_name()),
                      where.line_number());
    }
    data_.resize(elements(), where);
  }

  bool sized() const { return sized_; }
  int dims() const { return dims_; }
  int dim(int k) const { return size_[k]; }
  size_t count() const { return data_.size(); }
  T* data() { return data_.data(); }
  void fill(T value) { data_.fill(value); }

  T& operator()(int i, [[maybe_unused]] where_t where = where_t::current()) {
#ifdef MASKFIND_CHECKED
    if (!check(1, i, 0, 0, where)) return scratch();
#endif
    return data_.data()[i];
  }
  T& operator()(int i, int j, [[maybe_unused]] where_t where = where_t::current()) {
#ifdef MASKFIND_CHECKED
    if (!check(2, i, j, 0, where)) return scratch();
#endif
    return data_.data()[static_cast<size_t>(i) * step_[0] + j];
  }
  T& operator()(int i, int j, int k, [[maybe_unused]] where_t where = where_t::current()) {
#ifdef MASKFIND_CHECKED
    if (!check(3, i, j, k, where)) return scratch();
#endif
    return data_.data()[static_cast<size_t>(i) * step_[0] + static_cast<size_t>(j) * step_[1] + k];
  }

  // The last dimension of element (i, j) of a three-dimensional matrix as a
  // plain array of dim(2) elements, for inner loops.
  T* line(int i, int j, where_t where = where_t::current()) { return &(*this)(i, j, 0, where); }

 private:
  bool shape(std::array<int, 3> dims, int count) {
    if (count < 1 || count > 3) return false;
    for (int k = 0; k < 3; ++k) {
      if (dims[k] < 0 || (k >= count && dims[k] != 1)) return false;
    }
    dims_ = count;
    size_ = dims;
    step_[2] = 1;
    step_[1] = static_cast<size_t>(dims[2]);
    step_[0] = step_[1] * static_cast<size_t>(dims[1]);
    sized_ = true;
    return true;
  }

  size_t elements() const {
    size_t n = 1;
    for (int k = 0; k < 3; ++k) n *= static_cast<size_t>(size_[k]);
    return n;
  }

#ifdef MASKFIND_CHECKED
  bool check(int count, int i, int j, int k, const where_t& where) {
    if (!sized_) {
      djvu_mask_error("matrix is have not been sized", short_file(where.file_name()),
                      where.line_number());
    }
    if (count != dims_) {
      djvu_mask_error("arguments have the wrong dimensions", short_file(where.file_name()),
                      where.line_number());
    }
    const int index[3] = {i, j, k};
    for (int d = 0; d < count; ++d) {
      if (index[d] < 0 || index[d] >= size_[d]) {
        const int shown[2] = {i, j};
        const int sizes[2] = {size_[0], size_[1]};
        report_out_of_range(where, dims_, data_.size(), shown, sizes);
        return false;
      }
    }
    return true;
  }
  static T& scratch() {
    static thread_local T element;
    element = T{};
    return element;
  }
#endif

  storage<T> data_;
  int dims_ = 0;
  bool sized_ = false;
  std::array<int, 3> size_ = {0, 0, 0};
  size_t step_[3] = {0, 0, 0};
};

}  // namespace maskfind
