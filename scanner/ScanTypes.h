// What the scanner module takes and gives: devices, the options of a scan,
// what a device offers and how a scan ended.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace leaf::scan {

struct ScanDevice {
  std::string name;  // "test:0", "epson2:libusb:001:004"
  std::string vendor;
  std::string model;
  std::string type;  // "flatbed scanner", "virtual device"

  // "Vendor Model (name)" for lists.
  std::string Label() const;
};

// A rectangle of the scanner's bed in millimetres, from its top left corner.
struct ScanArea {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

// The usual options of a scan; anything left empty or 0 keeps the device's
// own setting.
struct ScanRequest {
  std::string device;  // empty: the first device found
  // "color", "gray" or "lineart" (black and white), or one of the device's
  // own mode names.
  std::string mode;
  int resolution = 0;  // dots per inch
  // "flatbed" or "adf" (the document feeder), or one of the device's own
  // source names.
  std::string source;
  std::optional<ScanArea> area;
  // Further device options by their SANE names, set last, in order.
  std::vector<std::pair<std::string, std::string>> deviceOptions;
  // Scan every page the feeder holds (the source becomes the feeder when it
  // is not one already); otherwise one page.
  bool allPages = false;
};

// The scan modes a request can name.
inline constexpr const char* kModeColor = "color";
inline constexpr const char* kModeGray = "gray";
inline constexpr const char* kModeLineart = "lineart";
inline constexpr const char* kSourceFlatbed = "flatbed";
inline constexpr const char* kSourceFeeder = "adf";

// What a device offers for the usual options, as it stands after opening.
struct ScannerCapabilities {
  // Of "color", "gray", "lineart", those the device can scan in.
  std::vector<std::string> modes;
  std::string currentMode;  // one of modes, or empty when the device has no mode option

  // Resolutions: a list, or a range (min..max in steps of step).
  std::vector<int> resolutionList;
  int resolutionMin = 0;
  int resolutionMax = 0;
  int resolutionStep = 0;
  int currentResolution = 0;  // 0: the device has no resolution option

  // The device's source names and which of them are document feeders.
  std::vector<std::string> sources;
  std::vector<bool> sourceIsFeeder;
  std::string currentSource;

  // The bed in millimetres, when the device lets the area be chosen.
  bool hasArea = false;
  double bedWidth = 0;
  double bedHeight = 0;
  ScanArea currentArea;

  bool hasFeeder() const;
};

enum class ScanStatus { Ok, Cancelled, Failed };

struct ScanOutcome {
  ScanStatus status = ScanStatus::Ok;
  int pages = 0;        // pages handed over
  std::string message;  // why it failed or stopped

  bool ok() const { return status == ScanStatus::Ok; }
};

}  // namespace leaf::scan
