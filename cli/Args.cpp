#include "Args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace leaf::cli {

std::string Args::next() {
  if (empty()) throw UsageError("missing argument");
  return items_[index_++];
}

std::string Args::valueFor(const std::string& option) {
  if (empty()) throw UsageError(option + " needs a value");
  return next();
}

std::vector<std::string> SplitText(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

uint32_t ParseRgb(const std::string& option, const std::string& text) {
  if (text.size() != 7 || text[0] != '#' ||
      text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
    throw UsageError(option + " takes a colour #RRGGBB, not '" + text + "'");
  }
  return static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
}

int ParseInt(const std::string& option, const std::string& text, int min, int max) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < min || value > max) {
    throw UsageError(option + " takes a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not '" + text + "'");
  }
  return static_cast<int>(value);
}

double ParseDouble(const std::string& option, const std::string& text, double min, double max) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value < min || value > max) {
    throw UsageError(option + " takes a number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not '" + text + "'");
  }
  return value;
}

}  // namespace leaf::cli
