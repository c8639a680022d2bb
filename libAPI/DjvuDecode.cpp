// Decoding a single-page DjVu or IW44 file into a djvu_halfcoded_image.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DecodedPage.h"
#include "DjVuMessage.h"
#include "GPixmap.h"
#include "IOSubByteStream.h"
#include "IW44Image.h"
#include "JB2Image.h"
#include "djvu_error.h"

namespace djvu {

namespace {

constexpr size_t kHeaderSize = 16;

uint32_t BigEndian32(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The header refusals; null when the form can be decoded.
const char* HeaderRefusal(const unsigned char* header) {
  if (std::memcmp(header, "AT&TFORM", 8) != 0) return "Not a DjVu document.";
  const char* form = reinterpret_cast<const char*>(header + 12);
  if (!std::memcmp(form, "DJVU", 4) || !std::memcmp(form, "PM44", 4) ||
      !std::memcmp(form, "BM44", 4)) {
    return nullptr;
  }
  if (!std::memcmp(form, "DJVM", 4))
    return "Multipage Bundled DjVu Documents Are Not Supported Yet.";
  if (!std::memcmp(form, "DJVI", 4)) return "DjVu Index Files Are Not Supported Yet.";
  return "This DjVu Files Is Not A Recognized Format.";
}

// What the top-level chunks say before the codec sees them.
struct ChunkSummary {
  bool includesOtherFiles = false;
  bool oversizedWavelets = false;
};

// The codec's wavelet images work on sizes rounded up to 32 and count their
// area in 32 bits: an image more than 65504 pixels wide and high overflows
// that count, and rendering it crashes inside the codec.
constexpr unsigned kLargestWaveletSide = 65504;

bool IsWaveletChunk(const unsigned char* id) {
  return !std::memcmp(id, "BG44", 4) || !std::memcmp(id, "FG44", 4) ||
         !std::memcmp(id, "PM44", 4) || !std::memcmp(id, "BM44", 4);
}

ChunkSummary SummariseChunks(const std::vector<unsigned char>& file) {
  ChunkSummary summary;
  if (file.size() < kHeaderSize) return summary;
  const size_t formEnd = std::min<size_t>(file.size(), 12 + size_t{BigEndian32(&file[8])});
  for (size_t at = kHeaderSize; at + 8 <= formEnd;) {
    const unsigned char* chunk = &file[at];
    const unsigned char* data = chunk + 8;
    const size_t available = formEnd - at - 8;
    const size_t length = BigEndian32(chunk + 4);
    if (!std::memcmp(chunk, "INCL", 4)) summary.includesOtherFiles = true;
    // The first chunk of a wavelet image (serial 0) carries its size.
    if (IsWaveletChunk(chunk) && length >= 8 && available >= 8 && data[0] == 0) {
      const unsigned width = unsigned{data[4]} << 8 | data[5];
      const unsigned height = unsigned{data[6]} << 8 | data[7];
      if (width > kLargestWaveletSide && height > kLargestWaveletSide) {
        summary.oversizedWavelets = true;
      }
    }
    if (length > available) break;
    at += 8 + length + (length & 1);
  }
  return summary;
}

std::vector<unsigned char> ReadAll(ByteStream& stream) {
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  for (size_t n; (n = stream.read(buffer, sizeof buffer)) > 0;) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

// The codec's chunk lines ("  4.0 Kb 'Sjbz' JB2 foreground mask ..."),
// translated and lined up: size, identifier, what it is.
std::string DescribeChunks(const DjVuImage& page) {
  const GUTF8String text = DjVuMessage::LookUpUTF8(page.get_long_description());
  std::string out;
  const char* p = text;
  while (*p) {
    const char* end = std::strchr(p, '\n');
    const std::string line(p, end ? end : p + std::strlen(p));
    p = end ? end + 1 : p + std::strlen(p);
    double kilobytes;
    char id[5];
    int consumed = 0;
    if (std::sscanf(line.c_str(), " %lf Kb '%4[^']'%n", &kilobytes, id, &consumed) != 2 ||
        consumed == 0) {
      continue;
    }
    std::string what = line.substr(static_cast<size_t>(consumed));
    what.erase(0, what.find_first_not_of(' '));
    char row[64];
    std::snprintf(row, sizeof row, "%7.1f Kb  %-4s  ", kilobytes, id);
    out += row + what + "\n";
  }
  return out;
}

unsigned CodedSize(const DjVuImage& page) {
  size_t size = 92;
  const GP<DjVuFile> file = page.get_djvu_file();
  if (file) {
    if (file->fgjb) size += file->fgjb->get_memory_usage();
    if (file->fgjd) size += file->fgjd->get_memory_usage();
    if (file->bg44) size += file->bg44->get_memory_usage();
    if (file->bgpm) size += file->bgpm->get_memory_usage();
    if (file->fgpm) size += file->fgpm->get_memory_usage();
    if (file->anno) size += static_cast<size_t>(file->anno->size());
  }
  return static_cast<unsigned>(std::min<size_t>(size, UINT32_MAX));
}

// Collects what the codec's decoder reports while it works (it may run on a
// thread of its own).
class DecodeReports : public DjVuPort {
 public:
  bool notify_error(const DjVuPort*, const GUTF8String& message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (first_.empty()) first_ = static_cast<const char*>(message);
    return true;
  }
  std::string first() {
    std::lock_guard<std::mutex> lock(mutex_);
    return first_;
  }

 private:
  std::mutex mutex_;
  std::string first_;
};

// Decodes the whole file into a page. The codec's file decoder is driven
// directly and its outcome checked: a file that fails to decode never
// reaches the page object.
GP<DjVuImage> DecodePage(const std::vector<unsigned char>& bytes) {
  const GP<DjVuFile> file = DjVuFile::create(ByteStream::create(bytes.data(), bytes.size()));
  const GP<DecodeReports> reports = new DecodeReports;
  DjVuPort::get_portcaster()->add_route(file, reports);
  file->resume_decode(true);
  DjVuPort::get_portcaster()->del_route(file, reports);
  if (!file->is_decode_ok()) {
    const std::string report = reports->first();
    const GUTF8String text = DjVuMessage::LookUpUTF8(report.c_str());
    ReportError(report.empty() ? "DejaVu decoder: a DJVU or IW44 image was expected"
                               : static_cast<const char*>(text),
                kLibdjvuSource, __LINE__);
    return nullptr;
  }
  return DjVuImage::create(file);
}

struct HalfCodedDeleter {
  void operator()(djvu_halfcoded_image* image) const { djvu_halfcoded_image_free(image); }
};

djvu_halfcoded_image* Decode(djvu_read_routine read, void* context) {
  const GP<DjVu_IOSubByteStream> input = DjVu_IOSubByteStream::create(read, nullptr, context);
  unsigned char header[kHeaderSize];
  if (input->readall(header, kHeaderSize) != kHeaderSize) {
    ReportError("Failed to read DjVu file header", kLibdjvuSource, __LINE__);
    return nullptr;
  }
  if (const char* refusal = HeaderRefusal(header)) {
    ReportError(refusal, kLibdjvuSource, __LINE__);
    return nullptr;
  }
  input->unread(header, kHeaderSize);
  const std::vector<unsigned char> file = ReadAll(*input);
  const ChunkSummary summary = SummariseChunks(file);
  if (summary.includesOtherFiles) {
    ReportError("DjVu Pages Including Other Files Are Not Supported Yet.", kLibdjvuSource,
                __LINE__);
    return nullptr;
  }
  if (summary.oversizedWavelets) {
    ReportError("IW44 Images Larger Than 65504 x 65504 Pixels Are Not Supported.", kLibdjvuSource,
                __LINE__);
    return nullptr;
  }

  const GP<DjVuImage> decoded = DecodePage(file);
  if (!decoded) return nullptr;
  std::unique_ptr<djvu_halfcoded_image, HalfCodedDeleter> result(new djvu_halfcoded_image{});
  result->page = new djvu_decoded_page{decoded};
  DjVuImage& page = *decoded;
  const int width = page.get_width(), height = page.get_height();
  if (width <= 0 || height <= 0) {
    Throw("DejaVu decoder: a DJVU or IW44 image was expected", kLibdjvuSource, __LINE__);
  }
  result->page_width = static_cast<unsigned>(width);
  result->page_height = static_cast<unsigned>(height);
  // INFO's last byte is the page's orientation (djvused set-rotation writes
  // it), never a size factor: the image is the page.
  result->image_width = result->page_width;
  result->image_height = result->page_height;
  result->coded_size = CodedSize(page);
  result->resolution = static_cast<unsigned>(std::max(0, page.get_dpi()));
  const GP<DjVuInfo> info = page.get_info();
  result->gamma = info ? static_cast<float>(info->gamma) : 2.2f;
  const std::string description = DescribeChunks(page);
  result->description = static_cast<char*>(_djvu_malloc(description.size() + 1));
  if (!result->description) Throw("Failed to allocate memory", kLibdjvuSource, __LINE__);
  std::memcpy(result->description, description.c_str(), description.size() + 1);
  return result.release();
}

}  // namespace

}  // namespace djvu

djvu_halfcoded_image* djvu_decode(djvu_read_routine read, void* context) {
  return djvu::Guard<djvu_halfcoded_image*>(nullptr, [&] { return djvu::Decode(read, context); });
}

void djvu_halfcoded_image_free(djvu_halfcoded_image* image) {
  if (!image) return;
  djvu::Guard(0, [&] {
    // Whatever the codec raises while letting go of the page, the record goes.
    struct Release {
      djvu_halfcoded_image* image;
      ~Release() {
        _djvu_free(image->description);
        delete image;
      }
    } release{image};
    djvu_decoded_page* page = image->page;
    image->page = nullptr;
    delete page;
    return 0;
  });
}
