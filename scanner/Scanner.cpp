#include "Scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "DeviceOptions.h"
#include "PageAssembler.h"
#include "ScanChoices.h"

namespace leaf::scan {

namespace {

constexpr size_t kReadBufferSize = 64 * 1024;
constexpr const char* kResolution = SANE_NAME_SCAN_RESOLUTION;
constexpr const char* kXResolution = SANE_NAME_SCAN_X_RESOLUTION;
constexpr const char* kYResolution = SANE_NAME_SCAN_Y_RESOLUTION;
constexpr const char* kMode = SANE_NAME_SCAN_MODE;
constexpr const char* kDepth = SANE_NAME_BIT_DEPTH;
constexpr const char* kSource = SANE_NAME_SCAN_SOURCE;
constexpr const char* kCorners[] = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X,
                                    SANE_NAME_SCAN_BR_Y};

SANE_Handle Handle(void* handle) { return static_cast<SANE_Handle>(handle); }

bool FrameFromParameters(const SANE_Parameters& p, FrameFormat& frame) {
  switch (p.format) {
    case SANE_FRAME_GRAY: frame.kind = FrameKind::Gray; break;
    case SANE_FRAME_RGB: frame.kind = FrameKind::Rgb; break;
    case SANE_FRAME_RED: frame.kind = FrameKind::Red; break;
    case SANE_FRAME_GREEN: frame.kind = FrameKind::Green; break;
    case SANE_FRAME_BLUE: frame.kind = FrameKind::Blue; break;
    default: return false;
  }
  frame.depth = p.depth;
  frame.pixelsPerLine = p.pixels_per_line;
  frame.bytesPerLine = p.bytes_per_line;
  frame.lines = p.lines;
  frame.lastFrame = p.last_frame != SANE_FALSE;
  return true;
}

const char* FrameSuffix(FrameKind kind) {
  switch (kind) {
    case FrameKind::Red: return " (red)";
    case FrameKind::Green: return " (green)";
    case FrameKind::Blue: return " (blue)";
    default: return "";
  }
}

ScanOutcome Failed(std::string message) { return {ScanStatus::Failed, 0, std::move(message)}; }
ScanOutcome Cancelled() { return {ScanStatus::Cancelled, 0, "The scan was cancelled."}; }

bool Offers(const DeviceOptions& options, const char* name, double value) {
  for (double choice : options.NumberChoices(name)) {
    if (std::fabs(choice - value) < 1e-3) return true;
  }
  NumberRange range;
  return options.Range(name, range) && value >= range.min && value <= range.max;
}

// Sets the bit depth when the device lets it be chosen and offers it.
bool SetDepthIfOffered(DeviceOptions& options, int depth, std::string& error) {
  if (!options.Settable(kDepth) || !Offers(options, kDepth, depth)) return true;
  double current = 0;
  if (options.GetNumber(kDepth, current) && std::lround(current) == depth) return true;
  return options.SetNumber(kDepth, depth, error);
}

}  // namespace

std::unique_ptr<Scanner> Scanner::Open(const std::string& name, std::string& error) {
  std::unique_ptr<Scanner> scanner(new Scanner);
  scanner->session_ = std::make_unique<SaneSession>();
  if (!scanner->session_->ok()) {
    error = scanner->session_->error();
    return nullptr;
  }
  std::string device = name;
  if (device.empty()) {
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list || !list[0] ||
        !list[0]->name) {
      error = "No scanner was found.";
      return nullptr;
    }
    device = list[0]->name;
  }
  SANE_Handle handle = nullptr;
  const SANE_Status status = sane_open(device.c_str(), &handle);
  if (status == SANE_STATUS_INVAL) {
    error = "The scanner \"" + device + "\" was not found; it may be switched off or unplugged.";
    return nullptr;
  }
  if (status != SANE_STATUS_GOOD || !handle) {
    error = "The scanner \"" + device + "\" could not be opened: " + SaneStatusText(status) + ".";
    return nullptr;
  }
  scanner->handle_ = handle;
  scanner->name_ = device;
  return scanner;
}

Scanner::~Scanner() {
  if (handle_) {
    sane_cancel(Handle(handle_));
    sane_close(Handle(handle_));
  }
  session_.reset();
}

ScannerCapabilities Scanner::Capabilities() const {
  const DeviceOptions options(Handle(handle_));
  ScannerCapabilities caps;
  const std::vector<std::string> modes = options.StringChoices(kMode);
  for (const char* kind : {kModeColor, kModeGray, kModeLineart}) {
    bool offered = !FindModeValue(modes, kind).empty();
    // Black and white from a gray mode of one bit.
    if (!offered && kind == std::string(kModeLineart)) {
      offered = !FindModeValue(modes, kModeGray).empty() && options.Find(kDepth) &&
                Offers(options, kDepth, 1);
    }
    if (offered) caps.modes.push_back(kind);
  }
  std::string mode;
  if (options.GetString(kMode, mode)) {
    caps.currentMode = ModeKind(mode);
    double depth = 0;
    if (caps.currentMode == kModeGray && options.GetNumber(kDepth, depth) && depth == 1) {
      caps.currentMode = kModeLineart;
    }
  }

  const char* resolution = options.Find(kResolution) ? kResolution : kXResolution;
  for (double dpi : options.NumberChoices(resolution)) {
    caps.resolutionList.push_back(static_cast<int>(std::lround(dpi)));
  }
  NumberRange range;
  if (options.Range(resolution, range)) {
    caps.resolutionMin = static_cast<int>(std::ceil(range.min));
    caps.resolutionMax = static_cast<int>(std::floor(range.max));
    caps.resolutionStep = std::max(1, static_cast<int>(std::lround(range.step)));
  }
  double dpi = 0;
  if (options.GetNumber(resolution, dpi))
    caps.currentResolution = static_cast<int>(std::lround(dpi));

  caps.sources = options.StringChoices(kSource);
  for (const std::string& source : caps.sources)
    caps.sourceIsFeeder.push_back(IsFeederSource(source));
  options.GetString(kSource, caps.currentSource);

  NumberRange right, bottom;
  double corner[4];
  bool corners = true;
  for (int i = 0; i < 4; ++i) {
    corners =
        corners && options.GetNumber(kCorners[i], corner[i]) && options.UnitOf(kCorners[i]) == "mm";
  }
  if (corners && options.Range(kCorners[2], right) && options.Range(kCorners[3], bottom)) {
    caps.hasArea = true;
    caps.bedWidth = right.max;
    caps.bedHeight = bottom.max;
    caps.currentArea = {corner[0], corner[1], corner[2] - corner[0], corner[3] - corner[1]};
  }
  return caps;
}

bool Scanner::SetSource(const std::string& requested, bool feeder, std::string& error) {
  DeviceOptions options(Handle(handle_));
  const std::vector<std::string> sources = options.StringChoices(kSource);
  if (requested.empty() && !feeder) return true;
  if (sources.empty() || !options.Settable(kSource)) {
    if (!feeder && (requested == kSourceFlatbed)) return true;
    error = feeder || requested == kSourceFeeder ? "The scanner has no document feeder."
                                                 : "The scanner has no choice of source.";
    return false;
  }
  std::string value;
  if (!requested.empty()) {
    value = FindSourceValue(sources, requested);
    if (value.empty()) {
      error = (requested == kSourceFeeder ? std::string("The scanner has no document feeder")
                                          : "The scanner has no source \"" + requested + "\"") +
              "; its sources are " + JoinNames(sources) + ".";
      return false;
    }
    if (feeder && !IsFeederSource(value)) {
      error = "Scanning every page takes the document feeder, not \"" + value + "\".";
      return false;
    }
  } else {
    std::string current;
    options.GetString(kSource, current);
    value = IsFeederSource(current) ? current : FindSourceValue(sources, kSourceFeeder);
    if (value.empty()) {
      error = "The scanner has no document feeder; its sources are " + JoinNames(sources) + ".";
      return false;
    }
  }
  return options.SetString(kSource, value, error);
}

bool Scanner::SetMode(const std::string& requested, std::string& error) {
  if (requested.empty()) return true;
  DeviceOptions options(Handle(handle_));
  const std::vector<std::string> modes = options.StringChoices(kMode);
  if (modes.empty() || !options.Settable(kMode)) {
    error = "The scanner has no choice of scan mode.";
    return false;
  }
  const std::string kind = CanonicalModeWord(requested);
  std::string value = FindModeValue(modes, requested);
  int depth = 0;
  if (!value.empty()) {
    const std::string valueKind = ModeKind(value);
    depth = valueKind == kModeLineart ? 1 : (valueKind.empty() ? 0 : 8);
  } else if (kind == kModeLineart) {
    // Black and white as a gray scan of one bit.
    value = FindModeValue(modes, kModeGray);
    depth = 1;
    if (value.empty() || !options.Find(kDepth) || !Offers(options, kDepth, 1)) value.clear();
  }
  if (value.empty()) {
    error = "The scanner has no " +
            (kind == kModeLineart ? std::string("black-and-white") : "\"" + requested + "\"") +
            " mode; it offers " + JoinNames(modes) + ".";
    return false;
  }
  if (!options.SetString(kMode, value, error)) return false;
  if (depth == 1 && ModeKind(value) == kModeGray) {
    if (!options.Settable(kDepth) || !Offers(options, kDepth, 1)) {
      error = "The scanner has no black-and-white mode; it offers " + JoinNames(modes) + ".";
      return false;
    }
    return options.SetNumber(kDepth, 1, error);
  }
  return depth == 0 || SetDepthIfOffered(options, depth, error);
}

bool Scanner::SetResolution(int dpi, std::string& error) {
  DeviceOptions options(Handle(handle_));
  if (options.Find(kResolution)) return options.SetNumber(kResolution, dpi, error);
  if (options.Find(kXResolution)) {
    if (!options.SetNumber(kXResolution, dpi, error)) return false;
    return !options.Find(kYResolution) || options.SetNumber(kYResolution, dpi, error);
  }
  error = "The scanner has no choice of resolution.";
  return false;
}

bool Scanner::SetArea(const ScanArea& area, std::string& error) {
  DeviceOptions options(Handle(handle_));
  const ScannerCapabilities caps = Capabilities();
  if (!caps.hasArea) {
    error = "The scanner does not let the scan area be chosen.";
    return false;
  }
  const double slack = 0.01;
  if (!(area.width > 0) || !(area.height > 0) || area.left < 0 || area.top < 0 ||
      area.left + area.width > caps.bedWidth + slack ||
      area.top + area.height > caps.bedHeight + slack) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "The scan area of %g x %g mm at %g, %g mm does not fit the scanner's %g x %g mm.",
                  area.width, area.height, area.left, area.top, caps.bedWidth, caps.bedHeight);
    error = text;
    return false;
  }
  // The far corner goes out of the way first, so that the near one can move
  // anywhere on the bed.
  const double values[] = {area.left, area.top, std::min(area.left + area.width, caps.bedWidth),
                           std::min(area.top + area.height, caps.bedHeight)};
  return options.SetNumber(kCorners[2], caps.bedWidth, error) &&
         options.SetNumber(kCorners[3], caps.bedHeight, error) &&
         options.SetNumber(kCorners[0], values[0], error) &&
         options.SetNumber(kCorners[1], values[1], error) &&
         options.SetNumber(kCorners[2], values[2], error) &&
         options.SetNumber(kCorners[3], values[3], error);
}

bool Scanner::Apply(const ScanRequest& request, std::string& error) {
  if (!SetSource(request.source, request.allPages, error)) return false;
  if (!SetMode(request.mode, error)) return false;
  if (request.resolution > 0 && !SetResolution(request.resolution, error)) return false;
  if (request.area && !SetArea(*request.area, error)) return false;
  DeviceOptions options(Handle(handle_));
  for (const auto& [name, value] : request.deviceOptions) {
    if (!options.SetText(name, value, error)) return false;
  }
  return true;
}

bool Scanner::FeederSelected() const {
  std::string source;
  return DeviceOptions(Handle(handle_)).GetString(kSource, source) && IsFeederSource(source);
}

void Scanner::ReadResolution(int& xDpi, int& yDpi) const {
  const DeviceOptions options(Handle(handle_));
  double x = 0, y = 0;
  if (!options.GetNumber(kXResolution, x)) options.GetNumber(kResolution, x);
  if (!options.GetNumber(kYResolution, y)) y = x;
  xDpi = static_cast<int>(std::lround(x));
  yDpi = static_cast<int>(std::lround(y));
}

ScanOutcome Scanner::ReadPage(int index, DibImage& page, bool& noPage, const ScanProgress& progress,
                              ScanCancel& cancel) {
  SANE_Handle handle = Handle(handle_);
  const std::string label = "Scanning page " + std::to_string(index + 1);
  const std::string number = std::to_string(index + 1);
  PageAssembler assembler;
  std::vector<SANE_Byte> buffer(kReadBufferSize);
  bool anyData = false;
  noPage = false;
  while (!assembler.complete()) {
    if (cancel.cancelled()) return Cancelled();
    SANE_Status status = sane_start(handle);
    if (status == SANE_STATUS_NO_DOCS && !anyData) {
      noPage = true;
      return {};
    }
    if (status == SANE_STATUS_CANCELLED || cancel.cancelled()) return Cancelled();
    if (status != SANE_STATUS_GOOD) {
      return Failed("The scanner could not start page " + number + ": " + SaneStatusText(status) +
                    ".");
    }
    SANE_Parameters parameters;
    status = sane_get_parameters(handle, &parameters);
    if (status != SANE_STATUS_GOOD) {
      return Failed("The scanner did not describe page " + number + ": " + SaneStatusText(status) +
                    ".");
    }
    FrameFormat frame;
    if (!FrameFromParameters(parameters, frame)) {
      return Failed("The scanner sends frames of an unknown kind (" +
                    std::to_string(parameters.format) + ").");
    }
    if (!assembler.BeginFrame(frame)) return Failed(assembler.error());
    const std::string text = label + FrameSuffix(frame.kind);
    int shown = assembler.percent();
    if (progress) progress(text, shown);
    for (;;) {
      if (cancel.cancelled()) return Cancelled();
      SANE_Int length = 0;
      status = sane_read(handle, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
      // Some backends end a cancelled read with EOF: the frame is not complete.
      if (status == SANE_STATUS_CANCELLED || cancel.cancelled()) return Cancelled();
      if (status == SANE_STATUS_EOF) break;
      if (status == SANE_STATUS_NO_DOCS && !anyData) {
        noPage = true;
        return {};
      }
      if (status != SANE_STATUS_GOOD) {
        return Failed("The scanner stopped in the middle of page " + number + ": " +
                      SaneStatusText(status) + ".");
      }
      if (length <= 0) continue;
      anyData = true;
      if (!assembler.Add(buffer.data(), static_cast<size_t>(length))) {
        return Failed(assembler.error());
      }
      const int percent = assembler.percent();
      if (percent != shown && progress) progress(text, percent);
      shown = percent;
    }
    assembler.EndFrame();
  }
  int xDpi = 0, yDpi = 0;
  ReadResolution(xDpi, yDpi);
  if (!assembler.Finish(page, xDpi, yDpi)) return Failed(assembler.error());
  return {};
}

ScanOutcome Scanner::Scan(bool allPages, const PageHandler& onPage, const ScanProgress& progress,
                          ScanCancel& cancel) {
  cancel.Attach(handle_);
  ScanOutcome outcome;
  int pages = 0;
  for (;;) {
    DibImage page;
    bool noPage = false;
    ScanOutcome step = ReadPage(pages, page, noPage, progress, cancel);
    if (!step.ok()) {
      outcome = std::move(step);
      break;
    }
    if (noPage) {
      if (pages == 0) {
        outcome = Failed(FeederSelected() ? "The document feeder is empty."
                                          : "The scanner has no document to scan.");
      }
      break;
    }
    ++pages;
    if (!onPage(std::move(page), pages - 1) || !allPages) break;
  }
  if (outcome.status == ScanStatus::Failed) {
    // Backends cancel their reader thread asynchronously in sane_cancel. A
    // read that failed at once may find that thread just started and still
    // inside the allocator, whose lock it would then keep for ever: give it
    // a moment to reach its first write before cancelling.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  // Ends the batch (or the cancelled scan) so that the device is free again.
  sane_cancel(Handle(handle_));
  cancel.Detach();
  outcome.pages = pages;
  return outcome;
}

ScanOutcome AcquirePages(const ScanRequest& request, const PageHandler& onPage,
                         const ScanProgress& progress, ScanCancel& cancel, bool feederBatch) {
  if (progress) progress("Opening the scanner", -1);
  std::string error;
  const std::unique_ptr<Scanner> scanner = Scanner::Open(request.device, error);
  if (!scanner) return Failed(error);
  if (cancel.cancelled()) return Cancelled();
  if (!scanner->Apply(request, error)) return Failed(error);
  const bool allPages = request.allPages || (feederBatch && scanner->FeederSelected());
  return scanner->Scan(allPages, onPage, progress, cancel);
}

bool QueryScanner(const std::string& name, std::string& opened, ScannerCapabilities& caps,
                  std::string& error) {
  const std::unique_ptr<Scanner> scanner = Scanner::Open(name, error);
  if (!scanner) return false;
  opened = scanner->name();
  caps = scanner->Capabilities();
  return true;
}

}  // namespace leaf::scan
