// An open DjVu document of the coding layer, released with its owner.
#pragma once

#include <memory>

#include "libAPI/djvu_document.h"

namespace leaf {

struct DjvuDocumentDeleter {
  void operator()(djvu_document* document) const { djvu_document_free(document); }
};
using DjvuDocumentHandle = std::unique_ptr<djvu_document, DjvuDocumentDeleter>;

}  // namespace leaf
