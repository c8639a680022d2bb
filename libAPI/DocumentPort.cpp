#include "DocumentPort.h"

#include <sys/stat.h>

#include <string>

#include "DataPool.h"
#include "GURL.h"
#include "djvu_error.h"

namespace djvu {

namespace {

// False (with the reason recorded) for a local name of something that is
// not a regular file with data: a device, a pipe, a terminal, or a file of
// the kernel's (/proc), whose size says nothing of what reading it gives.
// Names that do not exist pass: the members of a bundle have names inside
// the bundle's own, and the codec reports missing files.
bool IsReadableLocalFile(const GURL& url, DocumentPort& port) {
  if (!url.is_local_file_url()) return true;
  struct stat status;
  if (stat(url.UTF8Filename(), &status) != 0) return true;
  if (S_ISREG(status.st_mode) && status.st_size > 0) return true;
  port.Record("'" + std::string(static_cast<const char*>(url.fname())) +
              "' is empty or not a regular file.");
  return false;
}

}  // namespace

GP<DataPool> DocumentPort::request_data(const DjVuPort*, const GURL& url) {
  if (!url.is_local_file_url() || !IsReadableLocalFile(url, *this)) return nullptr;
  return DataPool::create(url);
}

bool DocumentPort::notify_error(const DjVuPort*, const GUTF8String& message) {
  Record(CodecText(message));
  return true;
}

bool DocumentPort::notify_status(const DjVuPort*, const GUTF8String&) { return true; }

std::string DocumentPort::TakeFirstReport() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string first;
  first.swap(first_);
  return first;
}

void DocumentPort::Record(const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (first_.empty()) first_ = message;
}

GP<DataPool> LocalDocument::request_data(const DjVuPort* source, const GURL& url) {
  if (!IsReadableLocalFile(url, *port_)) return nullptr;
  return DjVuDocument::request_data(source, url);
}

}  // namespace djvu
