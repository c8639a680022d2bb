// Stops a scan from another thread (a Cancel button, Ctrl+C): the flag is
// seen between reads, and the device is told at once, so that a read
// waiting for the scanner returns.
#pragma once

#include <atomic>
#include <mutex>

namespace leaf::scan {

class ScanCancel {
 public:
  // Any thread, any time; also before the scan has started.
  void Cancel();
  // The same from a signal handler on the thread that scans (Ctrl+C):
  // async-signal-safe, as SANE's cancel is.
  void CancelFromSignal();
  bool cancelled() const { return cancelled_.load(); }

  // The scanner's handle while a scan runs (the scanner sets and clears it).
  void Attach(void* handle);
  void Detach();

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::atomic<void*> handle_{nullptr};
};

}  // namespace leaf::scan
