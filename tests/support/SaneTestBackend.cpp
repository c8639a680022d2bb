#include "SaneTestBackend.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "scanner/ScanDevices.h"

namespace leaf::test {

namespace {

// The backend's own defaults, spelled out so that the tests do not depend on
// the machine's /etc/sane.d.
constexpr const char kTestConf[] =
    "number_of_devices 2\n"
    "mode Gray\n"
    "depth 8\n"
    "hand-scanner false\n"
    "three-pass false\n"
    "three-pass-order RGB\n"
    "resolution_min 1.0\n"
    "resolution_max 1200.0\n"
    "resolution_quant 1.0\n"
    "resolution 50.0\n"
    "test-picture \"Solid black\"\n"
    "read-limit false\n"
    "read-delay false\n"
    "geometry_min 0.0\n"
    "geometry_max 200.0\n"
    "geometry_quant 1.0\n"
    "tl_x 0.0\n"
    "tl_y 0.0\n"
    "br_x 80.0\n"
    "br_y 100.0\n";

// The backend's reader thread is cancelled at the end of every pass and may
// leave its 64 KB buffer behind. Kept loaded, the backend can be named in the
// leak report and its own leaks are let through; ours are still caught.
void KeepBackendLoaded() {
  static void* const backend =
      dlopen(LEAF_SANE_BACKEND_DIR "/libsane-test.so.1", RTLD_NOW | RTLD_NODELETE);
  (void)backend;
}

const TempDir& ConfigFolder() {
  static const TempDir folder;
  return folder;
}

}  // namespace

SaneTestBackend::SaneTestBackend(bool withTestBackend) {
  KeepBackendLoaded();
  const TempDir& dir = ConfigFolder();
  WriteText(dir.file("dll.conf"), withTestBackend ? "test\n" : "# no backend\n");
  WriteText(dir.file("test.conf"), kTestConf);
  // Without a trailing colon SANE reads this folder alone.
  setenv("SANE_CONFIG_DIR", dir.path().c_str(), 1);
}

const std::string& SaneTestBackend::configDir() const { return ConfigFolder().path(); }

std::string SaneTestBackend::Unavailable() const {
  std::vector<scan::ScanDevice> devices;
  std::string error;
  if (!scan::ListScanDevices(devices, error)) return error;
  for (const scan::ScanDevice& device : devices) {
    if (device.name == "test:0") return {};
  }
  return "no device test:0 is listed (is libsane1 with its test backend installed? "
         "scripts/setup.sh installs it)";
}

int PixelsFor(double millimetres, int dpi) {
  return static_cast<int>(std::floor(millimetres * dpi / 25.4 + 1e-9));
}

}  // namespace leaf::test

extern "C" const char* __lsan_default_suppressions() { return "leak:libsane-test.so\n"; }
