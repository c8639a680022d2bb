// A cursor over command-line arguments with option lookup.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace leaf::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Thrown for a malformed command line; main prints it and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Args {
 public:
  explicit Args(std::vector<std::string> items) : items_(std::move(items)) {}

  bool empty() const { return index_ >= items_.size(); }
  const std::string& peek() const { return items_[index_]; }
  std::string next();

  // The value following an option; UsageError when there is none.
  std::string valueFor(const std::string& option);

 private:
  std::vector<std::string> items_;
  size_t index_ = 0;
};

// The parts of a text between separators ("1,2" -> "1", "2").
std::vector<std::string> SplitText(const std::string& text, char separator);

// A colour "#RRGGBB" as 0xRRGGBB; UsageError naming the option.
uint32_t ParseRgb(const std::string& option, const std::string& text);

// Strict number parsing for option values; UsageError naming the option.
int ParseInt(const std::string& option, const std::string& text, int min, int max);
double ParseDouble(const std::string& option, const std::string& text, double min, double max);

}  // namespace leaf::cli
