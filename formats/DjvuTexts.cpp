#include "DjvuTexts.h"

#include <algorithm>

#include "CodecErrorCapture.h"
#include "DjvuDocumentHandle.h"
#include "image/Messages.h"

namespace leaf {

namespace {

bool IsSeparator(char c) { return c == '\n' || c == '\v' || c == '\x1d' || c == '\x1f'; }

}  // namespace

std::string PlainDjvuText(const std::string& text) {
  std::string plain;
  int lineEnds = 0;
  for (const char c : text) {
    if (IsSeparator(c)) {
      // A paragraph or larger ends with an empty line; a line with one end.
      lineEnds = std::max(lineEnds, c == '\n' ? 1 : 2);
      continue;
    }
    if (lineEnds > 0 && !plain.empty()) plain.append(static_cast<size_t>(lineEnds), '\n');
    lineEnds = 0;
    plain.push_back(c);
  }
  // Spaces around a line go, and the text ends with one line end.
  std::string trimmed;
  trimmed.reserve(plain.size() + 1);
  for (const char c : plain) {
    if (c == '\n') {
      while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    }
    if (c == ' ' && (trimmed.empty() || trimmed.back() == '\n')) continue;
    trimmed.push_back(c);
  }
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\n')) trimmed.pop_back();
  if (!trimmed.empty()) trimmed.push_back('\n');
  return trimmed;
}

bool ReadDjvuTexts(const std::string& path, std::vector<DjvuPageWords>& pages, int onlyPage) {
  const CodecErrorCapture reports;
  const DjvuDocumentHandle document(djvu_document_open(path.c_str()));
  if (!document) {
    SetMessage("%s: %s", path.c_str(), reports.Cause("not a DjVu file").c_str());
    return false;
  }
  const int count = djvu_document_page_count(document.get());
  if (onlyPage >= count) {
    SetMessage("%s has %d page%s; there is no page %d", path.c_str(), count, count == 1 ? "" : "s",
               onlyPage + 1);
    return false;
  }
  const int first = onlyPage >= 0 ? onlyPage : 0;
  const int last = onlyPage >= 0 ? onlyPage : count - 1;
  for (int page = first; page <= last; ++page) {
    djvu_page_info info{};
    djvu_page_text text;
    if (djvu_document_page_info(document.get(), page, &info) != 0 ||
        djvu_document_page_text(document.get(), page, &text) != 0) {
      SetMessage("%s: %s", path.c_str(), reports.Cause("a page cannot be read").c_str());
      return false;
    }
    DjvuPageWords words;
    // The boxes are in the page's own pixels, before its INFO turns it.
    const bool turned = info.rotation % 2 != 0;
    words.width = static_cast<int>(turned ? info.height : info.width);
    words.height = static_cast<int>(turned ? info.width : info.height);
    words.rotation = info.rotation;
    words.plain = PlainDjvuText(text.text);
    words.words = std::move(text.words);
    pages.push_back(std::move(words));
  }
  return true;
}

}  // namespace leaf
