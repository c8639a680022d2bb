#include "SaneSession.h"

#include <sane/sane.h>

#include <condition_variable>
#include <mutex>

namespace leaf::scan {

namespace {

// Not a mutex: the session that takes it may be ended on another thread.
struct SessionGate {
  std::mutex mutex;
  std::condition_variable released;
  bool taken = false;
};

SessionGate& Gate() {
  static SessionGate gate;
  return gate;
}

}  // namespace

SaneSession::SaneSession() {
  SessionGate& gate = Gate();
  {
    std::unique_lock lock(gate.mutex);
    gate.released.wait(lock, [&] { return !gate.taken; });
    gate.taken = true;
  }
  SANE_Int version = 0;
  const SANE_Status status = sane_init(&version, nullptr);
  ok_ = status == SANE_STATUS_GOOD;
  if (!ok_) error_ = "The scanner library could not be started: " + SaneStatusText(status) + ".";
}

SaneSession::~SaneSession() {
  if (ok_) sane_exit();
  SessionGate& gate = Gate();
  {
    const std::lock_guard lock(gate.mutex);
    gate.taken = false;
  }
  gate.released.notify_one();
}

std::string SaneStatusText(int status) {
  const char* text = sane_strstatus(static_cast<SANE_Status>(status));
  return text ? text : "Unknown status " + std::to_string(status);
}

}  // namespace leaf::scan
