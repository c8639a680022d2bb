// Decoding one page of a DjVu or IW44 document into a djvu_halfcoded_image.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DecodedPage.h"
#include "DjVuMessage.h"
#include "GPixmap.h"
#include "IOSubByteStream.h"
#include "IW44Image.h"
#include "JB2Image.h"
#include "PageChunks.h"
#include "djvu_error.h"

namespace djvu {

namespace {

constexpr size_t kHeaderSize = 16;

// The header refusals of a stream; null when the form can be decoded.
const char* HeaderRefusal(const unsigned char* header) {
  if (std::memcmp(header, "AT&TFORM", 8) != 0) return "Not a DjVu document.";
  const char* form = reinterpret_cast<const char*>(header + 12);
  for (const char* known : {"DJVU", "DJVM", "PM44", "BM44"}) {
    if (!std::memcmp(form, known, 4)) return nullptr;
  }
  if (!std::memcmp(form, "DJVI", 4)) {
    return "This file holds data shared by the pages of a DjVu document; it has no page to show.";
  }
  return "This DjVu Files Is Not A Recognized Format.";
}

// What the page's chunks say before the codec sees them.
struct ChunkSummary {
  bool oversizedWavelets = false;
};

// The codec's wavelet images work on sizes rounded up to 32 and count their
// area in 32 bits: an image more than 65504 pixels wide and high overflows
// that count, and rendering it crashes inside the codec.
constexpr unsigned kLargestWaveletSide = 65504;

bool IsWaveletChunk(const GUTF8String& id) {
  return id == "BG44" || id == "FG44" || id == "PM44" || id == "BM44";
}

ChunkSummary SummariseChunks(const GP<DjVuFile>& file) {
  ChunkSummary summary;
  WalkPageChunks(file, [&](const GUTF8String& id, ByteStream& data) {
    unsigned char bytes[8];
    // The first chunk of a wavelet image (serial 0) carries its size.
    if (IsWaveletChunk(id) && data.readall(bytes, 8) == 8 && bytes[0] == 0) {
      const unsigned width = unsigned{bytes[4]} << 8 | bytes[5];
      const unsigned height = unsigned{bytes[6]} << 8 | bytes[7];
      if (width > kLargestWaveletSide && height > kLargestWaveletSide) {
        summary.oversizedWavelets = true;
      }
    }
  });
  return summary;
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

struct HalfCodedDeleter {
  void operator()(djvu_halfcoded_image* image) const { djvu_halfcoded_image_free(image); }
};

djvu_halfcoded_image* MakeHalfCoded(const GP<DjVuImage>& decoded, const djvu_document& document,
                                    int page) {
  std::unique_ptr<djvu_halfcoded_image, HalfCodedDeleter> result(new djvu_halfcoded_image{});
  result->page = new djvu_decoded_page{decoded, document.document};
  result->page_index = page;
  result->document_pages = document.pages;
  DjVuImage& image = *decoded;
  const int width = image.get_width(), height = image.get_height();
  if (width <= 0 || height <= 0) {
    Throw("DejaVu decoder: a DJVU or IW44 image was expected", kLibdjvuSource, __LINE__);
  }
  const GP<DjVuInfo> info = image.get_info();
  result->page_width = static_cast<unsigned>(width);
  result->page_height = static_cast<unsigned>(height);
  // INFO's last byte is the page's orientation (djvused set-rotation writes
  // it), never a size factor: the image is the page.
  result->image_width = result->page_width;
  result->image_height = result->page_height;
  result->coded_size = CodedSize(image);
  result->resolution = static_cast<unsigned>(std::max(0, image.get_dpi()));
  result->gamma = info ? static_cast<float>(info->gamma) : 2.2f;
  const std::string description = DescribeChunks(image);
  result->description = static_cast<char*>(_djvu_malloc(description.size() + 1));
  if (!result->description) Throw("Failed to allocate memory", kLibdjvuSource, __LINE__);
  std::memcpy(result->description, description.c_str(), description.size() + 1);
  return result.release();
}

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
  const std::vector<unsigned char> bytes = ReadAll(*input);
  djvu_document* document = ReadDocument(bytes);
  if (!document) return nullptr;
  djvu_halfcoded_image* page = djvu_document_decode_page(document, 0);
  djvu_document_free(document);
  return page;
}

}  // namespace

std::string PageMessage(const djvu_document& document, int page, const std::string& what) {
  if (document.pages <= 1) return what;
  const std::string name = djvu_document_page_name(&document, page);
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "Page %d of %d", page + 1, document.pages);
  return std::string(prefix) + (name.empty() ? "" : " (" + name + ")") + ": " + what;
}

djvu_halfcoded_image* DecodeDocumentPage(djvu_document& document, int page) {
  const auto fail = [&](const std::string& what, int line) {
    const std::string report = document.port->TakeFirstReport();
    Throw(PageMessage(document, page, report.empty() ? what : report).c_str(), kLibdjvuSource,
          line);
  };
  const GP<DjVuFile> file = PageFile(document, page);
  const ChunkSummary summary = SummariseChunks(file);
  if (summary.oversizedWavelets) {
    fail("IW44 Images Larger Than 65504 x 65504 Pixels Are Not Supported.", __LINE__);
  }
  // The codec's file decoder is driven directly and its outcome checked: a
  // file that fails to decode never reaches the page object.
  file->resume_decode(true);
  if (!file->is_decode_ok()) {
    document.port->AwaitReport();
    fail("DejaVu decoder: a DJVU or IW44 image was expected", __LINE__);
  }
  const GP<DjVuImage> image = DjVuImage::create(file);
  if (file->info) image->set_rotate(file->info->orientation);
  return MakeHalfCoded(image, document, page);
}

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
