// The usual choices of a scan (colour, gray or black and white; flatbed or
// feeder) found among the names a device gives its modes and sources.
// Devices name them freely: "Color", "24bit Color", "True Gray", "Lineart",
// "Binary", "ADF Front", "Automatic Document Feeder".
#pragma once

#include <string>
#include <vector>

namespace leaf::scan {

// kModeColor, kModeGray, kModeLineart for a device's mode name; empty for
// modes of another kind (halftone, colour line art).
std::string ModeKind(const std::string& deviceMode);

// The request's mode word in canonical form ("colour" -> "color", "grey" ->
// "gray", "bw" and "binary" -> "lineart"); other words as given.
std::string CanonicalModeWord(const std::string& requested);

// The device's mode for a request: an exact name (case does not matter)
// first, then the mode of that kind, preferring the plain name ("Gray" over
// "16bit Gray"). Empty when the device has none.
std::string FindModeValue(const std::vector<std::string>& deviceModes,
                          const std::string& requested);

// True for a document feeder's source name ("ADF", "ADF Duplex",
// "Automatic Document Feeder").
bool IsFeederSource(const std::string& deviceSource);

// The device's source for "flatbed", "adf" (also "feeder") or an exact name.
// Empty when the device has no such source.
std::string FindSourceValue(const std::vector<std::string>& deviceSources,
                            const std::string& requested);

// "a, b, c" for messages.
std::string JoinNames(const std::vector<std::string>& names);

}  // namespace leaf::scan
