#include "ScanCancel.h"

#include <sane/sane.h>

namespace leaf::scan {

void ScanCancel::Cancel() {
  cancelled_ = true;
  const std::lock_guard lock(mutex_);
  // SANE allows this while another thread waits in sane_read.
  if (void* handle = handle_.load()) sane_cancel(static_cast<SANE_Handle>(handle));
}

void ScanCancel::CancelFromSignal() {
  cancelled_ = true;
  // The handler runs on the scanning thread, so the handle cannot be closed
  // under it: it is detached before it is closed.
  if (void* handle = handle_.load()) sane_cancel(static_cast<SANE_Handle>(handle));
}

void ScanCancel::Attach(void* handle) {
  const std::lock_guard lock(mutex_);
  handle_ = handle;
}

void ScanCancel::Detach() {
  const std::lock_guard lock(mutex_);
  handle_ = nullptr;
}

}  // namespace leaf::scan
