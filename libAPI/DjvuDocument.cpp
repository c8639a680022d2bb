// Opening DjVu documents of every kind and reaching their pages one by one.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "DataPool.h"
#include "DecodedPage.h"
#include "DjVmDir.h"
#include "DjVuMessage.h"
#include "GURL.h"
#include "IOSubByteStream.h"
#include "PageChunks.h"
#include "djvu_error.h"

namespace djvu {

namespace {

int KindOf(int documentType) {
  switch (documentType) {
    case DjVuDocument::BUNDLED: return DJVU_DOCUMENT_BUNDLED;
    case DjVuDocument::INDIRECT: return DJVU_DOCUMENT_INDIRECT;
    case DjVuDocument::OLD_BUNDLED: return DJVU_DOCUMENT_OLD_BUNDLED;
    case DjVuDocument::OLD_INDEXED: return DJVU_DOCUMENT_OLD_INDEXED;
    default: return DJVU_DOCUMENT_SINGLE_PAGE;
  }
}

struct DocumentDeleter {
  void operator()(djvu_document* document) const { djvu_document_free(document); }
};

// Waits for the codec to learn the document's structure.
djvu_document* Finish(const GP<DjVuDocument>& document, const GP<DocumentPort>& port) {
  std::unique_ptr<djvu_document, DocumentDeleter> result(new djvu_document{document, port});
  document->wait_for_complete_init();
  if (!document->is_init_ok()) {
    const std::string report = port->TakeFirstReport();
    Throw(report.empty() ? "Not a DjVu document." : report.c_str(), kLibdjvuSource, __LINE__);
  }
  result->kind = KindOf(document->get_doc_type());
  result->pages = std::max(0, document->get_pages_num());
  return result.release();
}

// Raises the port's first report, or the codec's own message.
[[noreturn]] void FailOpening(DocumentPort& port, const GException& exception) {
  const std::string report = port.TakeFirstReport();
  if (report.empty()) throw exception;
  Throw(report.c_str(), kLibdjvuSource, __LINE__);
}

djvu_document* Open(const char* path) {
  if (!path) Throw("No file name given.", kLibdjvuSource, __LINE__);
  const GP<DocumentPort> port = new DocumentPort;
  const GP<LocalDocument> document = LocalDocument::create(port);
  try {
    document->start_init(GURL::Filename::UTF8(path),
                         GP<DjVuPort>(static_cast<DocumentPort*>(port)));
  } catch (const GException& exception) {
    FailOpening(*port, exception);
  }
  return Finish(GP<DjVuDocument>(static_cast<LocalDocument*>(document)), port);
}

djvu_document* Read(djvu_read_routine read, void* context) {
  const GP<DjVu_IOSubByteStream> input = DjVu_IOSubByteStream::create(read, nullptr, context);
  return ReadDocument(ReadAll(*input));
}

void CheckPage(const djvu_document& document, int page) {
  if (document.pages == 0) Throw("The document has no pages.", kLibdjvuSource, __LINE__);
  if (page < 0 || page >= document.pages) {
    char message[96];
    std::snprintf(message, sizeof message, "There is no page %d: the document has %d pages.",
                  page + 1, document.pages);
    Throw(message, kLibdjvuSource, __LINE__);
  }
}

const djvu_document& Checked(const djvu_document* document) {
  if (!document || !document->document) {
    Throw("djvu_document: no document given", kLibdjvuSource, __LINE__);
  }
  return *document;
}

void ReadPageInfo(const GP<DjVuFile>& file, djvu_page_info& info) {
  GP<DjVuInfo> found;
  bool wavelet = false;
  WalkPageChunks(
      file,
      [&](const GUTF8String& id, ByteStream& data) {
        if (id == "INFO" && !found) {
          found = DjVuInfo::create();
          found->decode(data);
        } else if ((id == "PM44" || id == "BM44") && !found && !wavelet) {
          unsigned char bytes[8];
          if (data.readall(bytes, 8) == 8 && bytes[0] == 0) {
            wavelet = true;
            info.width = unsigned{bytes[4]} << 8 | bytes[5];
            info.height = unsigned{bytes[6]} << 8 | bytes[7];
          }
        }
      },
      IncludedFiles::kSkip);
  if (!found) {
    if (!wavelet) Throw("The page has no INFO chunk.", kLibdjvuSource, __LINE__);
    info.gamma = 2.2f;
    return;
  }
  info.rotation = found->orientation & 3;
  const bool sideways = info.rotation % 2 == 1;
  info.width = static_cast<unsigned>(sideways ? found->height : found->width);
  info.height = static_cast<unsigned>(sideways ? found->width : found->height);
  info.resolution = static_cast<unsigned>(std::max(0, found->dpi));
  info.gamma = static_cast<float>(found->gamma);
  info.version = static_cast<unsigned>(found->version);
}

GP<DjVmDir::File> DirectoryEntry(const djvu_document& document, int page) {
  if (page < 0 || page >= document.pages) return nullptr;
  if (document.kind != DJVU_DOCUMENT_BUNDLED && document.kind != DJVU_DOCUMENT_INDIRECT) {
    return nullptr;
  }
  const GP<DjVmDir> directory = document.document->get_djvm_dir();
  return directory ? directory->page_to_file(page) : nullptr;
}

}  // namespace

GP<DjVuFile> PageFile(const djvu_document& document, int page) {
  CheckPage(document, page);
  document.port->TakeFirstReport();
  GP<DjVuFile> file;
  std::string what = "The page's file cannot be found.";
  try {
    file = document.document->get_djvu_file(page);
  } catch (const GException& exception) {
    what = CodecText(exception.get_cause());
  }
  if (!file || !file->get_init_data_pool()) {
    const std::string report = document.port->TakeFirstReport();
    Throw(PageMessage(document, page, report.empty() ? what : report).c_str(), kLibdjvuSource,
          __LINE__);
  }
  return file;
}

djvu_document* ReadDocument(const std::vector<unsigned char>& bytes) {
  const GP<DocumentPort> port = new DocumentPort;
  GP<DjVuDocument> document;
  try {
    document = DjVuDocument::create(ByteStream::create(bytes.data(), bytes.size()),
                                    GP<DjVuPort>(static_cast<DocumentPort*>(port)));
  } catch (const GException& exception) {
    FailOpening(*port, exception);
  }
  return Finish(document, port);
}

std::vector<unsigned char> ReadAll(ByteStream& stream) {
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  for (size_t n; (n = stream.read(buffer, sizeof buffer)) > 0;) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

}  // namespace djvu

djvu_document* djvu_document_open(const char* path) {
  return djvu::Guard<djvu_document*>(nullptr, [&] { return djvu::Open(path); });
}

djvu_document* djvu_document_read(djvu_read_routine read, void* context) {
  return djvu::Guard<djvu_document*>(nullptr, [&] { return djvu::Read(read, context); });
}

void djvu_document_free(djvu_document* document) {
  if (!document) return;
  djvu::Guard(0, [&] {
    std::unique_ptr<djvu_document> owned(document);
    if (owned->document) owned->document->stop_init();
    return 0;
  });
}

int djvu_document_page_count(const djvu_document* document) {
  return document ? document->pages : 0;
}

int djvu_document_kind(const djvu_document* document) { return document ? document->kind : 0; }

djvu_halfcoded_image* djvu_document_decode_page(djvu_document* document, int page) {
  return djvu::Guard<djvu_halfcoded_image*>(nullptr, [&] {
    djvu_document& checked = const_cast<djvu_document&>(djvu::Checked(document));
    return djvu::DecodeDocumentPage(checked, page);
  });
}

int djvu_document_page_info(djvu_document* document, int page, djvu_page_info* info) {
  return djvu::Guard(-1, [&] {
    const djvu_document& checked = djvu::Checked(document);
    if (!info) djvu::Throw("djvu_document_page_info: no record given", djvu::kLibdjvuSource, 0);
    const GP<DjVuFile> file = djvu::PageFile(checked, page);
    djvu_page_info found{};
    try {
      djvu::ReadPageInfo(file, found);
    } catch (const GException& exception) {
      djvu::Throw(djvu::PageMessage(checked, page, djvu::CodecText(exception.get_cause())).c_str(),
                  djvu::kLibdjvuSource, __LINE__);
    }
    *info = found;
    return 0;
  });
}

std::vector<std::string> djvu_document_page_chunks(djvu_document* document, int page) {
  return djvu::Guard(std::vector<std::string>{}, [&] {
    const GP<DjVuFile> file = djvu::PageFile(djvu::Checked(document), page);
    std::vector<std::string> ids;
    djvu::WalkPageChunks(file, [&](const GUTF8String& id, ByteStream&) {
      ids.emplace_back(static_cast<const char*>(id));
    });
    return ids;
  });
}

std::string djvu_document_page_name(const djvu_document* document, int page) {
  return djvu::Guard(std::string(), [&] {
    const djvu_document& checked = djvu::Checked(document);
    if (const GP<DjVmDir::File> entry = djvu::DirectoryEntry(checked, page)) {
      return std::string(static_cast<const char*>(entry->get_load_name()));
    }
    if (checked.kind == DJVU_DOCUMENT_SINGLE_PAGE || page < 0 || page >= checked.pages) {
      return std::string();
    }
    return std::string(static_cast<const char*>(checked.document->page_to_url(page).fname()));
  });
}

std::string djvu_document_page_title(const djvu_document* document, int page) {
  return djvu::Guard(std::string(), [&] {
    if (const GP<DjVmDir::File> entry = djvu::DirectoryEntry(djvu::Checked(document), page)) {
      return std::string(static_cast<const char*>(entry->get_title()));
    }
    return djvu_document_page_name(document, page);
  });
}
