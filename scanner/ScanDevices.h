// The scanners SANE can reach, local and on the network.
#pragma once

#include <string>
#include <vector>

#include "ScanTypes.h"

namespace leaf::scan {

// Fills devices (empty when none is connected). False, with the reason in
// error, when the scanner library cannot be used at all.
bool ListScanDevices(std::vector<ScanDevice>& devices, std::string& error);

}  // namespace leaf::scan
