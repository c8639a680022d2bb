#include "DjvuReader.h"

#include <cstdio>

#include "CodecErrorCapture.h"
#include "FileHandle.h"
#include "libAPI/djvu_error.h"
#include "libAPI/djvu_render.h"

namespace leaf {

namespace {

size_t ReadFromFile(void* context, void* buffer, size_t length) {
  return std::fread(buffer, 1, length, static_cast<std::FILE*>(context));
}

}  // namespace

bool LoadHalfCoded(DibImage& image, const std::string& path) {
  image.Release(true);
  FileHandle file = OpenInputFile(image, path);
  if (!file) return false;
  const CodecErrorCapture errors;
  djvu_halfcoded_image* page = djvu_decode(ReadFromFile, file.get());
  if (!page) {
    return image.Fail("Cannot decode the DjVu file: %s.",
                      errors.Cause("the decoder gave no reason").c_str());
  }
  // Shared with every clone of the raster; freed once, with the last of them.
  image.raster.clear();
  image.raster.pageLink = PageLink(page, djvu_halfcoded_image_free);
  image.raster.width = static_cast<int>(page->page_width);
  image.raster.height = static_cast<int>(page->page_height);
  return true;
}

bool ReadDjvu(DibImage& image, const std::string& path, int layer, int depth, int zoom,
              double gamma) {
  DjvuFileInfo info;
  if (!ProbeDjvuFile(image, path, info)) {
    image.Release(true);
    return false;
  }
  if (DjvuHeaderKind(info) == kDjvuKindNone) {
    image.Release(true);
    return image.Fail("%s has no mask, background or colour image to show.", path.c_str());
  }
  return LoadHalfCoded(image, path) && RenderDjvu(image, layer, depth, zoom, gamma);
}

}  // namespace leaf
