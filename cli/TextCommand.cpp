// leafsmith-cli text: the hidden text of DjVu pages, as plain text or as
// word boxes.
#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "formats/DjvuTexts.h"

namespace leaf::cli {

namespace {

const char kTextUsage[] =
    "usage: leafsmith-cli text FILE [--page N] [--boxes]\n\n"
    "Prints the hidden text of a DjVu file's pages (the text layer that\n"
    "'convert --ocr' and other DjVu encoders with OCR put there): every page,\n"
    "pages parted by a form feed, or only page N. A page without text prints\n"
    "nothing; when no page has any, stderr says so.\n\n"
    "Options:\n"
    "  --page N  only page N (1 = first)\n"
    "  --boxes   one word a line: PAGE LEFT BOTTOM RIGHT TOP WORD, in the page's\n"
    "            pixels from its bottom left corner (right and top exclusive)\n";

struct TextJob {
  std::string path;
  int page = -1;  // every page
  bool boxes = false;
};

TextJob ParseText(Args& args) {
  TextJob job;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item == "--page") {
      job.page = ParseInt(item, args.valueFor(item), 1, 1 << 30) - 1;
    } else if (item == "--boxes") {
      job.boxes = true;
    } else if (item.size() > 1 && item[0] == '-') {
      throw UsageError("text: unknown option " + item);
    } else if (job.path.empty()) {
      job.path = item;
    } else {
      throw UsageError("text takes one file");
    }
  }
  if (job.path.empty()) throw UsageError("text needs a DjVu file");
  return job;
}

void PrintBoxes(const DjvuPageWords& page, int number) {
  for (const djvu_text_word& word : page.words) {
    std::printf("%d %d %d %d %d %s\n", number, word.left, word.bottom, word.right, word.top,
                word.text.c_str());
  }
}

}  // namespace

std::string TextUsage() { return kTextUsage; }

int RunText(Context&, Args& args) {
  const TextJob job = ParseText(args);
  std::vector<DjvuPageWords> pages;
  if (!ReadDjvuTexts(job.path, pages, job.page)) return ReportFailure("cannot read the text");
  bool anyText = false;
  for (size_t i = 0; i < pages.size(); ++i) {
    const int number = (job.page >= 0 ? job.page : static_cast<int>(i)) + 1;
    anyText = anyText || !pages[i].words.empty() || !pages[i].plain.empty();
    if (job.boxes) {
      PrintBoxes(pages[i], number);
      continue;
    }
    if (i > 0) std::fputs("\f", stdout);
    std::fputs(pages[i].plain.c_str(), stdout);
  }
  if (!anyText) {
    std::fprintf(stderr, "leafsmith-cli: %s: %s no hidden text (convert --ocr adds it)\n",
                 job.path.c_str(), job.page >= 0 ? "the page has" : "no page has");
  }
  return kExitOk;
}

}  // namespace leaf::cli
