#include "ScanOutput.h"

#include <cstdio>
#include <filesystem>

#include "image/Messages.h"

namespace leaf::scan {

ScanOutput::ScanOutput(std::string path, FileTypeCode type, SaveParameters parameters, bool batch)
    : path_(std::move(path)), type_(type), parameters_(std::move(parameters)), batch_(batch) {
  if (batch_ && type_ == kFileDjvu)
    book_ = std::make_unique<DjvuBookBuilder>(path_, parameters_.djvu);
}

ScanOutput::~ScanOutput() = default;

namespace {

std::string FailedToSave(const std::string& path) {
  const std::string reason = LastMessage();
  return "Failed to save " + path + (reason.empty() ? "." : ": " + reason);
}

}  // namespace

std::string ScanOutput::PathFor(int index) const {
  return batch_ && !book_ ? NumberedPagePath(path_, index) : path_;
}

bool ScanOutput::Write(DibImage& page, std::string& error) {
  const std::string path = PathFor(pages_);
  ClearMessage();
  if (book_ ? !book_->Add(page) : !SaveImageFile(path, type_, page, parameters_)) {
    error = FailedToSave(path);
    return false;
  }
  ++pages_;
  if (!book_) written_.push_back(path);
  return true;
}

bool ScanOutput::Finish(std::string& error) {
  if (!book_) return true;
  ClearMessage();
  if (!book_->Finish()) {
    error = FailedToSave(path_);
    return false;
  }
  written_.push_back(path_);
  return true;
}

std::string NumberedPagePath(const std::string& path, int index) {
  const std::filesystem::path p(path);
  char number[16];
  std::snprintf(number, sizeof number, "-%04d", index + 1);
  std::filesystem::path numbered = p.parent_path() / (p.stem().string() + number);
  numbered += p.extension();
  return numbered.string();
}

}  // namespace leaf::scan
