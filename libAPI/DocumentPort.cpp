#include "DocumentPort.h"

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

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
  // The codec also complains that a stream's made-up name ("djvufile:/0x...")
  // is no proper URL, which tells nothing about the file.
  const std::string text = CodecText(message);
  if (!text.empty() && text.find("URL '") == std::string::npos) Record(text);
  return true;
}

bool DocumentPort::notify_status(const DjVuPort*, const GUTF8String&) { return true; }

std::string DocumentPort::TakeFirstReport() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string first;
  first.swap(first_);
  return first;
}

bool DocumentPort::AwaitReport() {
  constexpr int kWaits = 100;
  for (int wait = 0; wait < kWaits; ++wait) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!first_.empty()) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
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
