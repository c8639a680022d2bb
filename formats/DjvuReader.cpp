#include "DjvuReader.h"

#include "CodecErrorCapture.h"
#include "DjvuDocumentHandle.h"
#include "FileHandle.h"
#include "libAPI/djvu_render.h"

namespace leaf {

bool LoadHalfCoded(DibImage& image, const std::string& path, int page) {
  DjvuDocumentHandle document;
  return LoadHalfCoded(image, path, page, document);
}

bool LoadHalfCoded(DibImage& image, const std::string& path, int page,
                   DjvuDocumentHandle& document) {
  image.Release(true);
  const CodecErrorCapture reports;
  if (!document) {
    // The file's own reason (missing, no permission, a folder) comes first.
    if (!OpenInputFile(image, path)) return false;
    document.reset(djvu_document_open(path.c_str()));
  }
  djvu_halfcoded_image* decoded =
      document ? djvu_document_decode_page(document.get(), page) : nullptr;
  if (!decoded) {
    return image.Fail("Cannot decode the DjVu file: %s.",
                      reports.Cause("the decoder gave no reason").c_str());
  }
  // Shared with every clone of the raster; freed once, with the last of them.
  image.raster.clear();
  image.raster.pageLink = PageLink(decoded, djvu_halfcoded_image_free);
  image.raster.width = static_cast<int>(decoded->page_width);
  image.raster.height = static_cast<int>(decoded->page_height);
  image.raster.pageCount = decoded->document_pages;
  image.raster.pageIndex = decoded->page_index;
  return true;
}

bool ReadDjvu(DibImage& image, const std::string& path, int layer, int depth, int zoom,
              double gamma, int page) {
  DjvuFileInfo info;
  DjvuDocumentHandle document;
  if (!ProbeDjvuFile(image, path, info, page, document)) {
    image.Release(true);
    return false;
  }
  if (DjvuHeaderKind(info) == kDjvuKindNone) {
    image.Release(true);
    if (info.pageCount > 1) {
      return image.Fail("Page %d of %s has no mask, background or colour image to show.", page + 1,
                        path.c_str());
    }
    return image.Fail("%s has no mask, background or colour image to show.", path.c_str());
  }
  return LoadHalfCoded(image, path, page, document) && RenderDjvu(image, layer, depth, zoom, gamma);
}

int CountDjvuPages(const DibImage& image, const std::string& path) {
  const CodecErrorCapture reports;
  const DjvuDocumentHandle document(djvu_document_open(path.c_str()));
  if (!document) {
    image.Fail("%s", reports.first().empty() ? "Failed to read the DjVu document."
                                             : reports.first().c_str());
    return -1;
  }
  return djvu_document_page_count(document.get());
}

bool FailNoSuchPage(const DibImage& image, const std::string& path, int page, int pageCount) {
  if (pageCount == 0) return image.Fail("%s has no pages.", path.c_str());
  return image.Fail("There is no page %d: %s has %d page%s.", page + 1, path.c_str(), pageCount,
                    pageCount == 1 ? "" : "s");
}

}  // namespace leaf
