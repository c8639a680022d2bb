// The probe walks the top-level chunks of the file's FORM without decoding
// anything: enough to tell the file's type and which layers a page has.
#include <cstdio>
#include <cstring>

#include "CodecErrorCapture.h"
#include "DjvuDocumentHandle.h"
#include "DjvuReader.h"
#include "FileHandle.h"

namespace leaf {

namespace {

constexpr uint32_t FourCc(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 |
         uint32_t(uint8_t(text[2])) << 8 | uint32_t(uint8_t(text[3]));
}

bool ReadBigEndian32(std::FILE* file, uint32_t& value) {
  uint8_t b[4];
  if (std::fread(b, 1, 4, file) != 4) return false;
  value = uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
  return true;
}

// The flag a chunk sets; 0 for chunks that carry no layer.
int ChunkFlag(uint32_t id) {
  switch (id) {
    case FourCc("Sjbz"):
    case FourCc("Smmr"): return kDjvuChunkMask;
    case FourCc("BG44"):
    case FourCc("BGjp"): return kDjvuChunkBackground;
    case FourCc("FG44"):
    case FourCc("FGbz"):
    case FourCc("FGjp"): return kDjvuChunkForeground;
    case FourCc("PM44"): return kDjvuChunkColorIw44;
    case FourCc("BM44"): return kDjvuChunkGrayIw44;
    default: return 0;
  }
}

// Pages of this version and later keep their orientation in the last INFO
// byte.
constexpr int kFirstVersionWithRotation = 22;

// Quarter turns counter-clockwise of the last INFO byte's orientation code.
int RotationOfInfoFlags(uint8_t flags) {
  switch (flags & 7) {
    case 6: return 1;
    case 2: return 2;
    case 5: return 3;
    default: return 0;
  }
}

// Reads the INFO fields that the chunk holds (a short chunk leaves the rest 0).
void ReadInfo(const uint8_t* data, uint32_t size, DjvuFileInfo& info) {
  if (size >= 2) info.width = static_cast<uint16_t>(data[0] << 8 | data[1]);
  if (size >= 4) info.height = static_cast<uint16_t>(data[2] << 8 | data[3]);
  if (size >= 5) info.minorVersion = data[4];
  if (size >= 6) info.majorVersion = data[5];
  if (size >= 8) info.resolution = static_cast<uint16_t>(data[6] | data[7] << 8);
  if (size >= 9) info.gamma = data[8];
  const int version = info.minorVersion | info.majorVersion << 8;
  if (size >= 10 && version >= kFirstVersionWithRotation)
    info.rotation = RotationOfInfoFlags(data[9]);
}

// One page of a multipage document, through the coding layer: its INFO and
// the chunks of its file and the files it includes.
bool ProbeDocumentPage(const DibImage& image, const std::string& path, int page, DjvuFileInfo& info,
                       DjvuDocumentHandle& document) {
  const CodecErrorCapture reports;
  if (!document) document.reset(djvu_document_open(path.c_str()));
  const auto failed = [&] {
    return image.Fail("%s", reports.first().empty() ? "Failed to read the DjVu document."
                                                    : reports.first().c_str());
  };
  if (!document) return failed();
  info.pageCount = djvu_document_page_count(document.get());
  info.pageIndex = page;
  if (page < 0 || page >= info.pageCount) {
    return FailNoSuchPage(image, path, page, info.pageCount);
  }
  djvu_page_info page_info{};
  if (djvu_document_page_info(document.get(), page, &page_info) != 0) return failed();
  // The INFO chunk's own width and height, before the page is turned.
  const bool sideways = page_info.rotation % 2 == 1;
  info.width = static_cast<uint16_t>(sideways ? page_info.height : page_info.width);
  info.height = static_cast<uint16_t>(sideways ? page_info.width : page_info.height);
  info.minorVersion = static_cast<uint8_t>(page_info.version & 0xff);
  info.majorVersion = static_cast<uint8_t>(page_info.version >> 8);
  info.resolution = static_cast<uint16_t>(page_info.resolution);
  info.gamma = static_cast<uint8_t>(page_info.gamma * 10 + 0.5f);
  info.rotation = page_info.rotation;
  for (const std::string& id : djvu_document_page_chunks(document.get(), page)) {
    if (id.size() != 4) continue;
    const uint32_t code = uint32_t(uint8_t(id[0])) << 24 | uint32_t(uint8_t(id[1])) << 16 |
                          uint32_t(uint8_t(id[2])) << 8 | uint32_t(uint8_t(id[3]));
    info.chunkFlags = static_cast<uint8_t>(info.chunkFlags | ChunkFlag(code));
  }
  return true;
}

// Walks the chunks from the current position to the end of the form,
// skipping those that carry no layer (annotations, text, dictionaries, ...).
void WalkChunks(std::FILE* file, long long formEnd, DjvuFileInfo& info) {
  for (;;) {
    const long long at = std::ftell(file);
    uint32_t id, size;
    if (at < 0 || at + 8 > formEnd || !ReadBigEndian32(file, id) || !ReadBigEndian32(file, size)) {
      return;
    }
    const long long end = at + 8 + static_cast<long long>(size);
    if (end > formEnd) return;
    info.chunkFlags = static_cast<uint8_t>(info.chunkFlags | ChunkFlag(id));
    if (std::fseek(file, static_cast<long>(end + (size & 1)), SEEK_SET) != 0) return;
  }
}

}  // namespace

int DjvuHeaderKind(const DjvuFileInfo& info) {
  const int flags = info.chunkFlags;
  if (flags & kDjvuChunkColorIw44) return kDjvuKindCompound;
  if (flags & kDjvuChunkGrayIw44) return kDjvuKindBilevel;
  const bool colour = (flags & (kDjvuChunkBackground | kDjvuChunkForeground)) != 0;
  if (flags & kDjvuChunkMask) return colour ? kDjvuKindCompound : kDjvuKindBilevel;
  if (flags & kDjvuChunkBackground) return kDjvuKindBackground;
  return kDjvuKindNone;
}

FileTypeCode DjvuFileType(const DjvuFileInfo& info) {
  switch (info.formType) {
    case FourCc("DJVU"):
    case FourCc("DJVM"): return kFileDjvu;
    case FourCc("PM44"):
    case FourCc("BM44"): return kFileIw44;
    default: return kFileUnknown;
  }
}

std::string DjvuFormName(uint32_t formType) {
  std::string name(4, ' ');
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(formType >> (24 - 8 * i));
    name[static_cast<size_t>(i)] = c >= 32 && c < 127 ? c : '?';
  }
  return name;
}

bool ProbeDjvuFile(const DibImage& image, const std::string& path, DjvuFileInfo& info, int page) {
  DjvuDocumentHandle document;
  return ProbeDjvuFile(image, path, info, page, document);
}

bool ProbeDjvuFile(const DibImage& image, const std::string& path, DjvuFileInfo& info, int page,
                   DjvuDocumentHandle& document) {
  FileHandle file = OpenInputFile(image, path);
  if (!file) return false;
  info = DjvuFileInfo{};
  char preamble[4];
  if (std::fread(preamble, 1, 4, file.get()) != 4 || std::memcmp(preamble, "AT&T", 4) != 0) {
    return image.Fail("No preamble. %s is not a valid DjVu or IW44 file!\n", path.c_str());
  }
  uint32_t form, formSize;
  if (!ReadBigEndian32(file.get(), form) || form != FourCc("FORM")) {
    return image.Fail("No FORM chunk found!\n");
  }
  if (!ReadBigEndian32(file.get(), formSize)) return image.Fail("No FORM chunk found!\n");
  const long long remaining = RemainingBytes(file.get());
  if (remaining != static_cast<long long>(formSize)) {
    return image.Fail("Error! Stored FORM chunk size is %u, but actual file chunk is %u.\n",
                      formSize, static_cast<unsigned>(remaining < 0 ? 0 : remaining));
  }
  const long long formEnd = 12 + static_cast<long long>(formSize);
  uint8_t type[4] = {0, 0, 0, 0};
  const size_t got = std::fread(type, 1, 4, file.get());
  info.formType =
      uint32_t{type[0]} << 24 | uint32_t{type[1]} << 16 | uint32_t{type[2]} << 8 | type[3];
  if (got != 4 || DjvuFileType(info) == kFileUnknown) {
    return image.Fail("Error! Unknown secondary identifier: %c%c%c%c\n", type[0], type[1], type[2],
                      type[3]);
  }
  if (info.formType == FourCc("DJVM")) {
    return ProbeDocumentPage(image, path, page, info, document);
  }
  if (page != 0) return FailNoSuchPage(image, path, page, 1);
  if (info.formType == FourCc("DJVU")) {
    uint32_t id, size;
    if (!ReadBigEndian32(file.get(), id) || id != FourCc("INFO") ||
        !ReadBigEndian32(file.get(), size) || 24 + static_cast<long long>(size) > formEnd) {
      return image.Fail("Error! No INFO chunk in %s!\n", path.c_str());
    }
    uint8_t data[10] = {};
    const uint32_t wanted = size < sizeof data ? size : sizeof data;
    if (std::fread(data, 1, wanted, file.get()) != wanted) {
      return image.Fail("Error! No INFO chunk in %s!\n", path.c_str());
    }
    ReadInfo(data, wanted, info);
    std::fseek(file.get(), static_cast<long>(24 + size + (size & 1)), SEEK_SET);
  }
  WalkChunks(file.get(), formEnd, info);
  return true;
}

}  // namespace leaf
