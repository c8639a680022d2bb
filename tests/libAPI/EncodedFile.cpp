#include "EncodedFile.h"

#include <cstring>

#include "libAPI/djvu_error.h"

namespace leaf::test {

namespace {

std::vector<std::string> g_errors;
std::vector<std::string> g_progress;

void RecordError(const char* message, const char*, int) { g_errors.emplace_back(message); }

void RecordProgress(const char* text, int percent, void*) {
  g_progress.push_back(std::string(text) + " " + std::to_string(percent));
}

uint32_t BigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

size_t AppendOutput(void* context, const void* buffer, size_t length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(context);
  const auto* begin = static_cast<const unsigned char*>(buffer);
  bytes->insert(bytes->end(), begin, begin + length);
  return length;
}

std::vector<std::string> IffFile::ids() const {
  std::vector<std::string> result;
  for (const Chunk& chunk : chunks) result.push_back(chunk.id);
  return result;
}

IffFile ParseIff(const std::vector<unsigned char>& bytes) {
  IffFile file;
  if (bytes.size() < 16 || std::memcmp(bytes.data(), "AT&TFORM", 8) != 0) return file;
  const uint32_t formSize = BigEndian32(&bytes[8]);
  if (formSize + 12 != bytes.size()) return file;
  file.formType.assign(reinterpret_cast<const char*>(&bytes[12]), 4);
  size_t at = 16;
  while (at + 8 <= bytes.size()) {
    Chunk chunk;
    chunk.id.assign(reinterpret_cast<const char*>(&bytes[at]), 4);
    const uint32_t size = BigEndian32(&bytes[at + 4]);
    at += 8;
    if (at + size > bytes.size()) return IffFile{};
    chunk.data.assign(bytes.begin() + static_cast<ptrdiff_t>(at),
                      bytes.begin() + static_cast<ptrdiff_t>(at + size));
    file.chunks.push_back(std::move(chunk));
    at += size + (size & 1);
  }
  return file;
}

LayerReports::LayerReports() {
  clear();
  djvu_set_error_handler(RecordError);
  djvu_set_progress_handler(RecordProgress);
}

LayerReports::~LayerReports() {
  djvu_set_error_handler(nullptr);
  djvu_set_progress_handler(nullptr);
}

const std::vector<std::string>& LayerReports::errors() const { return g_errors; }
const std::vector<std::string>& LayerReports::progress() const { return g_progress; }

void LayerReports::clear() {
  g_errors.clear();
  g_progress.clear();
}

TestPage::TestPage(unsigned w, unsigned h, bool gray)
    : bytes(static_cast<size_t>(w) * h * (gray ? 1 : 3), 255) {
  image.flags = DJVU_TOPDOWN | (gray ? DJVU_GRAY : DJVU_RGB);
  image.w = w;
  image.h = h;
  image.pixsize = gray ? 1 : 3;
  image.rowsize = w * image.pixsize;
  image.data = bytes.data();
}

unsigned char* TestPage::pixel(unsigned x, unsigned yFromTop) {
  return &bytes[(static_cast<size_t>(yFromTop) * image.w + x) * image.pixsize];
}

void TestMask::Add(bool black) {
  const unsigned char white = black ? 0 : 0x80;
  if (!runs.empty() && (runs.back() & 0x80) == white && (runs.back() & 0x7F) < 127) {
    ++runs.back();
  } else {
    runs.push_back(white);
  }
}

void TestMask::Finish(unsigned w, unsigned h, unsigned dpi) {
  image.w = w;
  image.h = h;
  image.nruns = static_cast<unsigned>(runs.size());
  image.runs = runs.data();
  image.xres = dpi;
  image.yres = dpi;
  image.runtype = DJVU_RUN_BW;
}

}  // namespace leaf::test
