// The SANE library in use: sane_init when a session begins, sane_exit when it
// ends. Sessions are exclusive across the process: a second one waits until
// the first has ended, so that no two threads ever call into the library's
// backends at once (a scan abandoned by the window may still be finishing
// its cancel on another thread). A session may end on another thread than
// the one it began on.
#pragma once

#include <string>

namespace leaf::scan {

class SaneSession {
 public:
  SaneSession();
  ~SaneSession();
  SaneSession(const SaneSession&) = delete;
  SaneSession& operator=(const SaneSession&) = delete;

  // False when sane_init failed; error() says why.
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  bool ok_ = false;
  std::string error_;
};

// A SANE status as a sentence: "Device busy", "Document feeder jammed".
std::string SaneStatusText(int status);

}  // namespace leaf::scan
