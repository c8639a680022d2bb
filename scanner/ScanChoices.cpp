#include "ScanChoices.h"

#include <algorithm>
#include <cctype>

#include "ScanTypes.h"

namespace leaf::scan {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool EqualNoCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

const std::string* FindExact(const std::vector<std::string>& values, const std::string& name) {
  for (const std::string& value : values) {
    if (EqualNoCase(value, name)) return &value;
  }
  return nullptr;
}

bool IsFlatbedSource(const std::string& deviceSource) {
  const std::string s = Lower(deviceSource);
  return Has(s, "flatbed") || Has(s, "normal") || Has(s, "platen") || Has(s, "document table");
}

}  // namespace

std::string ModeKind(const std::string& deviceMode) {
  const std::string m = Lower(deviceMode);
  const bool colour = Has(m, "color") || Has(m, "colour");
  const bool twoTone = Has(m, "lineart") || Has(m, "line art") || Has(m, "binary") ||
                       Has(m, "black & white") || Has(m, "black and white") || m == "bw" ||
                       Has(m, "monochrome");
  // Dithered modes give dots, not tones or clean strokes.
  const bool dithered = Has(m, "halftone") || Has(m, "dither") || Has(m, "error diffusion");
  if (dithered || (colour && twoTone)) return {};
  if (twoTone) return kModeLineart;
  if (Has(m, "gray") || Has(m, "grey")) return kModeGray;
  if (colour) return kModeColor;
  return {};
}

std::string CanonicalModeWord(const std::string& requested) {
  const std::string m = Lower(requested);
  if (m == "color" || m == "colour") return kModeColor;
  if (m == "gray" || m == "grey" || m == "grayscale" || m == "greyscale") return kModeGray;
  if (m == "lineart" || m == "bw" || m == "binary" || m == "black-and-white") return kModeLineart;
  return requested;
}

std::string FindModeValue(const std::vector<std::string>& deviceModes,
                          const std::string& requested) {
  if (const std::string* exact = FindExact(deviceModes, requested)) return *exact;
  const std::string kind = CanonicalModeWord(requested);
  if (kind != kModeColor && kind != kModeGray && kind != kModeLineart) return {};
  if (const std::string* plain = FindExact(deviceModes, kind)) return *plain;
  for (const std::string& value : deviceModes) {
    if (ModeKind(value) == kind) return value;
  }
  return {};
}

bool IsFeederSource(const std::string& deviceSource) {
  const std::string s = Lower(deviceSource);
  return Has(s, "adf") || Has(s, "feeder") || Has(s, "automatic document") || Has(s, "duplex");
}

std::string FindSourceValue(const std::vector<std::string>& deviceSources,
                            const std::string& requested) {
  if (const std::string* exact = FindExact(deviceSources, requested)) return *exact;
  const std::string r = Lower(requested);
  if (r == kSourceFeeder || r == "feeder") {
    for (const std::string& value : deviceSources) {
      if (IsFeederSource(value)) return value;
    }
  } else if (r == kSourceFlatbed) {
    for (const std::string& value : deviceSources) {
      if (IsFlatbedSource(value)) return value;
    }
    for (const std::string& value : deviceSources) {
      if (!IsFeederSource(value)) return value;
    }
  }
  return {};
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

}  // namespace leaf::scan
