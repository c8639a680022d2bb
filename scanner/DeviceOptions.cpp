#include "DeviceOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "SaneSession.h"
#include "ScanChoices.h"

namespace leaf::scan {

namespace {

double FromWord(const SANE_Option_Descriptor& option, SANE_Word word) {
  return option.type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

SANE_Word ToWord(const SANE_Option_Descriptor& option, double value) {
  return option.type == SANE_TYPE_FIXED ? SANE_FIX(value)
                                        : static_cast<SANE_Word>(std::lround(value));
}

std::string UnitText(SANE_Unit unit) {
  switch (unit) {
    case SANE_UNIT_PIXEL: return "px";
    case SANE_UNIT_BIT: return "bit";
    case SANE_UNIT_MM: return "mm";
    case SANE_UNIT_DPI: return "dpi";
    case SANE_UNIT_PERCENT: return "%";
    case SANE_UNIT_MICROSECOND: return "us";
    default: return {};
  }
}

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string WithUnit(double value, const SANE_Option_Descriptor& option) {
  const std::string unit = UnitText(option.unit);
  return NumberText(value) + (unit.empty() ? "" : (unit == "%" ? "" : " ") + unit);
}

std::string Title(const SANE_Option_Descriptor& option) {
  return option.title && *option.title ? option.title : (option.name ? option.name : "option");
}

bool IsNumber(const SANE_Option_Descriptor& option) {
  return option.type == SANE_TYPE_INT || option.type == SANE_TYPE_FIXED;
}

bool IsList(const SANE_Option_Descriptor& option) {
  return IsNumber(option) && option.size > static_cast<SANE_Int>(sizeof(SANE_Word));
}

}  // namespace

const SANE_Option_Descriptor* DeviceOptions::Find(const std::string& name, int* index) const {
  const SANE_Option_Descriptor* first = sane_get_option_descriptor(handle_, 0);
  SANE_Int count = 0;
  if (!first ||
      sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) {
    return nullptr;
  }
  for (SANE_Int i = 1; i < count; ++i) {
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle_, i);
    if (option && option->name && name == option->name && option->type != SANE_TYPE_GROUP) {
      if (index) *index = i;
      return option;
    }
  }
  return nullptr;
}

bool DeviceOptions::Settable(const std::string& name) const {
  const SANE_Option_Descriptor* option = Find(name);
  return option && SANE_OPTION_IS_ACTIVE(option->cap) && SANE_OPTION_IS_SETTABLE(option->cap);
}

bool DeviceOptions::GetNumber(const std::string& name, double& value) const {
  int index = 0;
  const SANE_Option_Descriptor* option = Find(name, &index);
  if (!option || !IsNumber(*option) || !SANE_OPTION_IS_ACTIVE(option->cap) || option->size <= 0) {
    return false;
  }
  std::vector<SANE_Word> words(static_cast<size_t>(option->size) / sizeof(SANE_Word) + 1);
  if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) !=
      SANE_STATUS_GOOD) {
    return false;
  }
  value = FromWord(*option, words[0]);
  return true;
}

bool DeviceOptions::GetString(const std::string& name, std::string& value) const {
  int index = 0;
  const SANE_Option_Descriptor* option = Find(name, &index);
  if (!option || option->type != SANE_TYPE_STRING || !SANE_OPTION_IS_ACTIVE(option->cap) ||
      option->size <= 0) {
    return false;
  }
  std::vector<char> text(static_cast<size_t>(option->size) + 1, '\0');
  if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, text.data(), nullptr) !=
      SANE_STATUS_GOOD) {
    return false;
  }
  value = text.data();
  return true;
}

std::vector<std::string> DeviceOptions::StringChoices(const std::string& name) const {
  std::vector<std::string> choices;
  const SANE_Option_Descriptor* option = Find(name);
  if (!option || option->constraint_type != SANE_CONSTRAINT_STRING_LIST) return choices;
  for (const SANE_String_Const* s = option->constraint.string_list; s && *s; ++s) {
    choices.emplace_back(*s);
  }
  return choices;
}

std::vector<double> DeviceOptions::NumberChoices(const std::string& name) const {
  std::vector<double> choices;
  const SANE_Option_Descriptor* option = Find(name);
  if (!option || !IsNumber(*option) || option->constraint_type != SANE_CONSTRAINT_WORD_LIST ||
      !option->constraint.word_list) {
    return choices;
  }
  const SANE_Word count = option->constraint.word_list[0];
  for (SANE_Word i = 1; i <= count; ++i) {
    choices.push_back(FromWord(*option, option->constraint.word_list[i]));
  }
  return choices;
}

bool DeviceOptions::Range(const std::string& name, NumberRange& range) const {
  const SANE_Option_Descriptor* option = Find(name);
  if (!option || !IsNumber(*option) || option->constraint_type != SANE_CONSTRAINT_RANGE ||
      !option->constraint.range) {
    return false;
  }
  range.min = FromWord(*option, option->constraint.range->min);
  range.max = FromWord(*option, option->constraint.range->max);
  range.step = FromWord(*option, option->constraint.range->quant);
  return true;
}

std::string DeviceOptions::UnitOf(const std::string& name) const {
  const SANE_Option_Descriptor* option = Find(name);
  return option ? UnitText(option->unit) : std::string();
}

bool DeviceOptions::Usable(const std::string& name, const SANE_Option_Descriptor*& option,
                           int& index, std::string& error) const {
  option = Find(name, &index);
  if (!option) {
    error = "The scanner has no option \"" + name + "\".";
  } else if (!SANE_OPTION_IS_ACTIVE(option->cap)) {
    error = "The scanner's \"" + Title(*option) + "\" cannot be set with the other settings.";
  } else if (!SANE_OPTION_IS_SETTABLE(option->cap)) {
    error = "The scanner's \"" + Title(*option) + "\" cannot be set.";
  } else {
    return true;
  }
  return false;
}

bool DeviceOptions::Control(int index, const SANE_Option_Descriptor& option, void* value,
                            const std::string& shown, std::string& error) {
  SANE_Int info = 0;
  const SANE_Status status =
      sane_control_option(handle_, index, SANE_ACTION_SET_VALUE, value, &info);
  if (status == SANE_STATUS_GOOD) return true;
  error = "The scanner refused " + shown + " for \"" + Title(option) +
          "\": " + SaneStatusText(status) + ".";
  return false;
}

bool DeviceOptions::SetNumber(const std::string& name, double value, std::string& error) {
  const SANE_Option_Descriptor* option = nullptr;
  int index = 0;
  if (!Usable(name, option, index, error)) return false;
  if (!IsNumber(*option)) {
    error = "The scanner's \"" + Title(*option) + "\" does not take a number.";
    return false;
  }
  if (IsList(*option)) {
    error = "The scanner's \"" + Title(*option) + "\" takes a list of values.";
    return false;
  }
  const std::string shown = WithUnit(value, *option);
  NumberRange range;
  if (Range(name, range)) {
    // A little slack for values that went through fixed point.
    const double slack = 1e-4 * std::max(1.0, std::fabs(range.max));
    if (value < range.min - slack || value > range.max + slack) {
      error = "The scanner's \"" + Title(*option) + "\" cannot be " + shown + "; it takes " +
              WithUnit(range.min, *option) + " to " + WithUnit(range.max, *option) + ".";
      return false;
    }
  }
  const std::vector<double> choices = NumberChoices(name);
  if (!choices.empty() && std::none_of(choices.begin(), choices.end(),
                                       [&](double c) { return std::fabs(c - value) < 1e-3; })) {
    std::vector<std::string> names;
    for (double c : choices) names.push_back(NumberText(c));
    error = "The scanner's \"" + Title(*option) + "\" cannot be " + shown + "; it takes " +
            JoinNames(names) +
            (UnitText(option->unit).empty() ? "" : " " + UnitText(option->unit)) + ".";
    return false;
  }
  SANE_Word word = ToWord(*option, value);
  return Control(index, *option, &word, shown, error);
}

bool DeviceOptions::SetString(const std::string& name, const std::string& value,
                              std::string& error) {
  const SANE_Option_Descriptor* option = nullptr;
  int index = 0;
  if (!Usable(name, option, index, error)) return false;
  if (option->type != SANE_TYPE_STRING) {
    error = "The scanner's \"" + Title(*option) + "\" does not take a name.";
    return false;
  }
  std::string chosen = value;
  const std::vector<std::string> choices = StringChoices(name);
  if (!choices.empty()) {
    const auto match = std::find_if(choices.begin(), choices.end(), [&](const std::string& c) {
      return c.size() == value.size() &&
             std::equal(c.begin(), c.end(), value.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
             });
    });
    if (match == choices.end()) {
      error = "The scanner's \"" + Title(*option) + "\" cannot be \"" + value + "\"; it takes " +
              JoinNames(choices) + ".";
      return false;
    }
    chosen = *match;
  }
  if (option->size <= 0 || chosen.size() >= static_cast<size_t>(option->size)) {
    error = "\"" + value + "\" is too long for the scanner's \"" + Title(*option) + "\".";
    return false;
  }
  std::vector<char> text(static_cast<size_t>(option->size), '\0');
  std::memcpy(text.data(), chosen.data(), chosen.size());
  return Control(index, *option, text.data(), "\"" + chosen + "\"", error);
}

bool DeviceOptions::SetText(const std::string& name, const std::string& text, std::string& error) {
  const SANE_Option_Descriptor* option = nullptr;
  int index = 0;
  if (!Usable(name, option, index, error)) return false;
  switch (option->type) {
    case SANE_TYPE_STRING: return SetString(name, text, error);
    case SANE_TYPE_BUTTON: return Control(index, *option, nullptr, "a press", error);
    case SANE_TYPE_BOOL: {
      std::string t = text;
      std::transform(t.begin(), t.end(), t.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      SANE_Bool value;
      if (t == "yes" || t == "true" || t == "on" || t == "1") {
        value = SANE_TRUE;
      } else if (t == "no" || t == "false" || t == "off" || t == "0") {
        value = SANE_FALSE;
      } else {
        error = "The scanner's \"" + Title(*option) + "\" takes yes or no, not \"" + text + "\".";
        return false;
      }
      return Control(index, *option, &value, t, error);
    }
    default: {
      char* end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !std::isfinite(value)) {
        error = "The scanner's \"" + Title(*option) + "\" takes a number, not \"" + text + "\".";
        return false;
      }
      return SetNumber(name, value, error);
    }
  }
}

}  // namespace leaf::scan
