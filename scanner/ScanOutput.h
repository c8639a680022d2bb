// Where scanned pages are written: a single page to the path itself, the
// pages of a feeder batch to numbered files beside it ("scan-0001.jpg",
// "scan-0002.jpg", ...), each as soon as it is scanned.
#pragma once

#include <string>
#include <vector>

#include "formats/SaveImageFile.h"
#include "image/DibImage.h"

namespace leaf::scan {

class ScanOutput {
 public:
  ScanOutput(std::string path, FileTypeCode type, SaveParameters parameters, bool batch);

  // Writes the next page (its progress callback hears the writer). False,
  // with the reason in error, when it cannot be written; nothing is left
  // half-written.
  bool Write(DibImage& page, std::string& error);
  // Ends the output once the last page is in.
  bool Finish(std::string& error);

  // The files written so far, in page order.
  const std::vector<std::string>& written() const { return written_; }
  // The file page index (0 = first) goes to.
  std::string PathFor(int index) const;

 private:
  std::string path_;
  FileTypeCode type_;
  SaveParameters parameters_;
  bool batch_;
  std::vector<std::string> written_;
};

// The path with the page number (index + 1, four digits at least) before
// its extension: "out/scan.djvu", 0 -> "out/scan-0001.djvu".
std::string NumberedPagePath(const std::string& path, int index);

}  // namespace leaf::scan
