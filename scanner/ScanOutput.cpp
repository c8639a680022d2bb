#include "ScanOutput.h"

#include <cstdio>
#include <filesystem>

#include "image/Messages.h"

namespace leaf::scan {

ScanOutput::ScanOutput(std::string path, FileTypeCode type, SaveParameters parameters, bool batch)
    : path_(std::move(path)), type_(type), parameters_(std::move(parameters)), batch_(batch) {}

std::string ScanOutput::PathFor(int index) const {
  return batch_ ? NumberedPagePath(path_, index) : path_;
}

bool ScanOutput::Write(DibImage& page, std::string& error) {
  const std::string path = PathFor(static_cast<int>(written_.size()));
  ClearMessage();
  if (!SaveImageFile(path, type_, page, parameters_)) {
    const std::string reason = LastMessage();
    error = "Failed to save " + path + (reason.empty() ? "." : ": " + reason);
    return false;
  }
  written_.push_back(path);
  return true;
}

bool ScanOutput::Finish(std::string&) { return true; }

std::string NumberedPagePath(const std::string& path, int index) {
  const std::filesystem::path p(path);
  char number[16];
  std::snprintf(number, sizeof number, "-%04d", index + 1);
  std::filesystem::path numbered = p.parent_path() / (p.stem().string() + number);
  numbered += p.extension();
  return numbered.string();
}

}  // namespace leaf::scan
