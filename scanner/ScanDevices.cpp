#include "ScanDevices.h"

#include <sane/sane.h>

#include "SaneSession.h"

namespace leaf::scan {

std::string ScanDevice::Label() const {
  std::string label = vendor;
  if (!model.empty()) label += (label.empty() ? "" : " ") + model;
  return label.empty() ? name : label + " (" + name + ")";
}

bool ScannerCapabilities::hasFeeder() const {
  for (bool feeder : sourceIsFeeder) {
    if (feeder) return true;
  }
  return false;
}

bool ListScanDevices(std::vector<ScanDevice>& devices, std::string& error) {
  devices.clear();
  const SaneSession session;
  if (!session.ok()) {
    error = session.error();
    return false;
  }
  const SANE_Device** list = nullptr;
  const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
  if (status != SANE_STATUS_GOOD) {
    error = "The scanners could not be listed: " + SaneStatusText(status) + ".";
    return false;
  }
  // The list belongs to the library and lives only until the session ends.
  for (const SANE_Device** d = list; d && *d; ++d) {
    const SANE_Device& device = **d;
    if (!device.name) continue;
    devices.push_back({device.name, device.vendor ? device.vendor : "",
                       device.model ? device.model : "", device.type ? device.type : ""});
  }
  return true;
}

}  // namespace leaf::scan
