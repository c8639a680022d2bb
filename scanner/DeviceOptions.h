// A device's options by their SANE names: reading, and setting from text or
// numbers with the value checked against what the option allows first, so
// that a refusal names the option and what it takes.
#pragma once

#include <sane/sane.h>

#include <string>
#include <vector>

namespace leaf::scan {

struct NumberRange {
  double min = 0;
  double max = 0;
  double step = 0;  // 0: any value
};

class DeviceOptions {
 public:
  explicit DeviceOptions(SANE_Handle handle) : handle_(handle) {}

  // The option's descriptor when the device has it (active or not).
  const SANE_Option_Descriptor* Find(const std::string& name, int* index = nullptr) const;
  // Present, active and settable by software.
  bool Settable(const std::string& name) const;

  bool GetNumber(const std::string& name, double& value) const;
  bool GetString(const std::string& name, std::string& value) const;

  // The choices of a string option (empty when it has no list).
  std::vector<std::string> StringChoices(const std::string& name) const;
  // The choices of a number option with a word list (empty otherwise).
  std::vector<double> NumberChoices(const std::string& name) const;
  // The range of a number option; false when it has none.
  bool Range(const std::string& name, NumberRange& range) const;
  // "mm", "dpi", ... (empty for none).
  std::string UnitOf(const std::string& name) const;

  // False with a sentence in error when the device has no such option, it is
  // inactive or read-only, or the value is not one it takes.
  bool SetNumber(const std::string& name, double value, std::string& error);
  bool SetString(const std::string& name, const std::string& value, std::string& error);
  // Any option from text: a number, a string (case does not matter when it
  // has a list), yes/no for switches; a button is pressed.
  bool SetText(const std::string& name, const std::string& text, std::string& error);

 private:
  bool Usable(const std::string& name, const SANE_Option_Descriptor*& option, int& index,
              std::string& error) const;
  bool Control(int index, const SANE_Option_Descriptor& option, void* value,
               const std::string& shown, std::string& error);

  SANE_Handle handle_;
};

}  // namespace leaf::scan
