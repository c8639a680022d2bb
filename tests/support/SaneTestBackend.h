// A private SANE configuration that offers only the "test" backend's two
// virtual scanners (test:0, test:1): SANE_CONFIG_DIR points at a folder of
// the test process's own with dll.conf and test.conf. SANE keeps the folder
// it first read for the life of the process, so every object of a process
// writes its files into the same folder.
#pragma once

#include <string>

#include "TempDir.h"

namespace leaf::test {

class SaneTestBackend {
 public:
  // withTestBackend false: a configuration that enables no backend at all.
  explicit SaneTestBackend(bool withTestBackend = true);

  const std::string& configDir() const;

  // Empty when SANE lists the virtual scanner test:0 under this
  // configuration; otherwise what is missing, for the test's skip message.
  std::string Unavailable() const;
};

// Test pages are as wide as the area (mm) at the resolution, whole pixels.
int PixelsFor(double millimetres, int dpi);

}  // namespace leaf::test

// Skips the test, saying why, when the virtual scanner is not there.
#define SKIP_WITHOUT_SANE_TEST_BACKEND(backend)                                    \
  do {                                                                             \
    const std::string why_ = (backend).Unavailable();                              \
    if (!why_.empty()) GTEST_SKIP() << "SANE's test backend is missing: " << why_; \
  } while (0)
