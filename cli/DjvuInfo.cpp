// What "info" shows for a DjVu or IW44 file: the probe of its structure and
// the decoded page's own description.
#include <cstdio>

#include "Command.h"
#include "formats/DjvuReader.h"
#include "image/Messages.h"
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

}  // namespace

bool PrintDjvuInfo(const std::string& path) {
  DibImage image;
  DjvuFileInfo info;
  if (!ProbeDjvuFile(image, path, info)) return false;
  const FileTypeCode type = DjvuFileType(info);
  std::printf("%s:\n", path.c_str());
  std::printf("  type:        %s\n", FileTypeName(type));
  std::printf("  form:        %s\n", DjvuFormName(info.formType).c_str());
  if (type == kFileDjvu) {
    std::printf("  size:        %d x %d\n", info.width, info.height);
    std::printf("  version:     %d (major %d)\n", info.minorVersion, info.majorVersion);
    std::printf("  resolution:  %d dpi\n", info.resolution);
    std::printf("  gamma:       %.1f\n", info.gamma / 10.0);
  }
  std::printf("  chunks:      %s (flags %d)\n", ChunkNames(info.chunkFlags).c_str(),
              info.chunkFlags);
  const int kind = DjvuHeaderKind(info);
  std::printf("  header kind: %d (%s)\n", kind, KindName(kind));
  if (!LoadHalfCoded(image, path)) return false;
  const djvu_halfcoded_image& page = *image.raster.pageLink;
  std::printf("  page:        %u x %u, image %u x %u, %u dpi, gamma %.1f\n", page.page_width,
              page.page_height, page.image_width, page.image_height, page.resolution,
              static_cast<double>(page.gamma));
  std::printf("  decoded:     %u bytes\n", page.coded_size);
  std::printf("  chunks of the file:\n%s", page.description);
  return true;
}

}  // namespace leaf::cli
