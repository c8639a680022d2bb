// The outline (bookmarks) of a bundled or indirect document.
#include <cstdlib>
#include <vector>

#include "DecodedPage.h"
#include "DjVmDir.h"
#include "DjVmNav.h"
#include "djvu_error.h"

namespace djvu {

namespace {

// The page a bookmark's target names: "#name" (a page's name or title in
// the directory, or its number from 1); -1 for anything else.
int TargetPage(const djvu_document& document, const GUTF8String& target) {
  if (target.length() < 2 || target[0] != '#') return -1;
  const GUTF8String name = target.substr(1, target.length() - 1);
  if (const GP<DjVmDir> directory = document.document->get_djvm_dir()) {
    GP<DjVmDir::File> file = directory->id_to_file(name);
    if (!file) file = directory->name_to_file(name);
    if (!file) file = directory->title_to_file(name);
    if (file && file->is_page()) return file->get_page_num();
  }
  char* end = nullptr;
  const long number = std::strtol(name, &end, 10);
  if (end && *end == '\0' && number >= 1 && number <= document.pages) {
    return static_cast<int>(number - 1);
  }
  return -1;
}

std::vector<djvu_outline_entry> Outline(const djvu_document& document) {
  std::vector<djvu_outline_entry> entries;
  const GP<DjVmNav> navigation = document.document->get_djvm_nav();
  if (!navigation) return entries;
  // Children left to read at each open level.
  std::vector<int> remaining;
  const int count = navigation->getBookMarkCount();
  for (int i = 0; i < count; ++i) {
    GP<DjVmNav::DjVuBookMark> mark;
    if (!navigation->getBookMark(mark, i) || !mark) break;
    while (!remaining.empty() && remaining.back() == 0) remaining.pop_back();
    const int level = static_cast<int>(remaining.size());
    if (!remaining.empty()) --remaining.back();
    entries.push_back({level, static_cast<const char*>(mark->displayname),
                       static_cast<const char*>(mark->url), TargetPage(document, mark->url)});
    if (mark->count > 0) remaining.push_back(mark->count);
  }
  return entries;
}

}  // namespace

}  // namespace djvu

std::vector<djvu_outline_entry> djvu_document_outline(const djvu_document* document) {
  return djvu::Guard(std::vector<djvu_outline_entry>{}, [&] {
    if (!document || !document->document) return std::vector<djvu_outline_entry>{};
    return djvu::Outline(*document);
  });
}
