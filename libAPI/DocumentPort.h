// The port through which the codec asks a document for its files and tells
// what went wrong while reading them, and the document that hands out only
// regular local files.
#pragma once

#include <mutex>
#include <string>

#include "DjVuDocument.h"
#include "DjVuPort.h"

namespace djvu {

class DocumentPort : public DjVuPort {
 public:
  GP<DataPool> request_data(const DjVuPort* source, const GURL& url) override;

  // Keeps the first report (the codec's reports may come from its decoding
  // threads); nothing is printed.
  bool notify_error(const DjVuPort* source, const GUTF8String& message) override;
  bool notify_status(const DjVuPort* source, const GUTF8String& message) override;

  // The first report since the last call, as readable text; empty when
  // there was none.
  std::string TakeFirstReport();

  // Waits a moment for a report: the codec's decoding thread marks a failure
  // before it reports the error. True when there is one.
  bool AwaitReport();

  // Notes a failure of the layer's own.
  void Record(const std::string& message);

 private:
  std::mutex mutex_;
  std::string first_;
};

// A document whose files are local regular files only: an index that names
// a device, a pipe or a terminal as a page would hang or exhaust the reader.
class LocalDocument : public DjVuDocument {
 public:
  static GP<LocalDocument> create(const GP<DocumentPort>& port) { return new LocalDocument(port); }
  GP<DataPool> request_data(const DjVuPort* source, const GURL& url) override;

 private:
  explicit LocalDocument(const GP<DocumentPort>& port) : port_(port) {}
  GP<DocumentPort> port_;
};

}  // namespace djvu
