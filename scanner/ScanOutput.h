// Where scanned pages are written: a single page to the path itself; the
// pages of a feeder batch into one DjVu document at the path, or in the
// other types to numbered files beside it ("scan-0001.jpg", "scan-0002.jpg",
// ...), each as soon as it is scanned.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formats/DjvuBookWriter.h"
#include "formats/SaveImageFile.h"
#include "image/DibImage.h"

namespace leaf::scan {

class ScanOutput {
 public:
  ScanOutput(std::string path, FileTypeCode type, SaveParameters parameters, bool batch);
  ~ScanOutput();

  // Writes the next page (its progress callback hears the writer); a page
  // of a DjVu document is encoded and kept until Finish. False, with the
  // reason in error, when it cannot be written; nothing is left
  // half-written.
  bool Write(DibImage& page, std::string& error);
  // Ends the output once the last page is in: writes the DjVu document of a
  // batch.
  bool Finish(std::string& error);

  // True when the pages go into one DjVu document.
  bool makesDocument() const { return book_ != nullptr; }
  // Pages taken so far.
  int pages() const { return pages_; }
  // The files written so far, in page order (the document once finished).
  const std::vector<std::string>& written() const { return written_; }
  // The file page index (0 = first) goes to.
  std::string PathFor(int index) const;

 private:
  std::string path_;
  FileTypeCode type_;
  SaveParameters parameters_;
  bool batch_;
  std::unique_ptr<DjvuBookBuilder> book_;
  int pages_ = 0;
  std::vector<std::string> written_;
};

// The path with the page number (index + 1, four digits at least) before
// its extension: "out/scan.djvu", 0 -> "out/scan-0001.djvu".
std::string NumberedPagePath(const std::string& path, int index);

}  // namespace leaf::scan
