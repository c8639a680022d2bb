// What "info" shows for a DjVu or IW44 file: for a multipage document its
// kind and every page's size and resolution, then the probe of one page's
// structure and the decoded page's own description.
#include <cstdio>
#include <string>

#include "Command.h"
#include "formats/CodecErrorCapture.h"
#include "formats/DjvuDocumentHandle.h"
#include "formats/DjvuReader.h"
#include "image/Messages.h"
#include "libAPI/djvu_document.h"
#include "libAPI/djvu_render.h"

namespace leaf::cli {

namespace {

std::string ChunkNames(int flags) {
  static const struct {
    int flag;
    const char* name;
  } kNames[] = {{kDjvuChunkMask, "mask"},
                {kDjvuChunkBackground, "background"},
                {kDjvuChunkForeground, "foreground"},
                {kDjvuChunkColorIw44, "colour-iw44"},
                {kDjvuChunkGrayIw44, "gray-iw44"}};
  std::string names;
  for (const auto& entry : kNames) {
    if (!(flags & entry.flag)) continue;
    if (!names.empty()) names += ' ';
    names += entry.name;
  }
  return names.empty() ? "none" : names;
}

const char* KindName(int kind) {
  switch (kind) {
    case kDjvuKindCompound: return "compound or colour page, layers to choose from";
    case kDjvuKindBilevel: return "bilevel or gray page";
    case kDjvuKindBackground: return "background only";
    default: return "nothing to show";
  }
}

const char* DocumentKindName(int kind) {
  switch (kind) {
    case DJVU_DOCUMENT_BUNDLED: return "bundled document";
    case DJVU_DOCUMENT_INDIRECT: return "indirect document";
    case DJVU_DOCUMENT_OLD_BUNDLED: return "bundled document (obsolete form)";
    case DJVU_DOCUMENT_OLD_INDEXED: return "indexed document (obsolete form)";
    default: return "single page";
  }
}

const char* RotationName(int rotation) {
  switch (rotation) {
    case 1: return ", turned 90 degrees counter-clockwise";
    case 2: return ", turned upside down";
    case 3: return ", turned 90 degrees clockwise";
    default: return "";
  }
}

// One line per page: size as shown, resolution, name and title. False when
// a page cannot be read (its line says why).
bool PrintPages(djvu_document* document) {
  bool all = true;
  const int pages = djvu_document_page_count(document);
  for (int page = 0; page < pages; ++page) {
    const CodecErrorCapture reports;
    djvu_page_info info{};
    std::printf("  %-13s", ("page " + std::to_string(page + 1) + ":").c_str());
    if (djvu_document_page_info(document, page, &info) != 0) {
      std::printf("cannot be read: %s\n", reports.first().c_str());
      all = false;
      continue;
    }
    const std::string name = djvu_document_page_name(document, page);
    const std::string title = djvu_document_page_title(document, page);
    std::printf("%u x %u, %u dpi%s, %s", info.width, info.height, info.resolution,
                RotationName(info.rotation), name.c_str());
    if (title != name) std::printf(" \"%s\"", title.c_str());
    std::printf("\n");
  }
  return all;
}

// The document's kind, page list and outline; false when it cannot be
// opened or a page cannot be read.
bool PrintDocument(const std::string& path) {
  const CodecErrorCapture reports;
  const DjvuDocumentHandle document(djvu_document_open(path.c_str()));
  if (!document) {
    CopyMessage(reports.first().c_str());
    return false;
  }
  const int pages = djvu_document_page_count(document.get());
  std::printf("  document:    %s, %d page%s\n",
              DocumentKindName(djvu_document_kind(document.get())), pages, pages == 1 ? "" : "s");
  const bool all = PrintPages(document.get());
  std::printf("  outline:     %zu bookmarks\n", djvu_document_outline(document.get()).size());
  if (!all) SetMessage("some pages of %s cannot be read", path.c_str());
  return all;
}

}  // namespace

bool PrintDjvuInfo(const std::string& path, int page) {
  DibImage image;
  DjvuFileInfo info;
  const bool probed = ProbeDjvuFile(image, path, info, page);
  const bool document = DjvuFormName(info.formType) == "DJVM";
  // A page that cannot be read still leaves the document to list.
  if (!probed && !document) return false;
  const std::string failure = probed ? "" : LastMessage();
  const FileTypeCode type = DjvuFileType(info);
  std::printf("%s:\n", path.c_str());
  std::printf("  type:        %s\n", FileTypeName(type));
  std::printf("  form:        %s\n", DjvuFormName(info.formType).c_str());
  bool documentRead = true;
  if (document) {
    documentRead = PrintDocument(path);
    if (!probed) {
      CopyMessage(failure.c_str());
      return false;
    }
    std::printf("  page %d of %d:\n", page + 1, info.pageCount);
  }
  if (type == kFileDjvu) {
    std::printf("  size:        %d x %d%s\n", info.width, info.height, RotationName(info.rotation));
    std::printf("  version:     %d (major %d)\n", info.minorVersion, info.majorVersion);
    std::printf("  resolution:  %d dpi\n", info.resolution);
    std::printf("  gamma:       %.1f\n", info.gamma / 10.0);
  }
  std::printf("  chunks:      %s (flags %d)\n", ChunkNames(info.chunkFlags).c_str(),
              info.chunkFlags);
  const int kind = DjvuHeaderKind(info);
  std::printf("  header kind: %d (%s)\n", kind, KindName(kind));
  if (!LoadHalfCoded(image, path, page)) return false;
  const djvu_halfcoded_image& decoded = *image.raster.pageLink;
  std::printf("  page:        %u x %u, image %u x %u, %u dpi, gamma %.1f\n", decoded.page_width,
              decoded.page_height, decoded.image_width, decoded.image_height, decoded.resolution,
              static_cast<double>(decoded.gamma));
  std::printf("  decoded:     %u bytes\n", decoded.coded_size);
  std::printf("  chunks of the file:\n%s", decoded.description);
  return documentRead;
}

}  // namespace leaf::cli
