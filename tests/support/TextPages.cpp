#include "TextPages.h"

#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "GuiApplication.h"

namespace leaf::test {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The box of the dark pixels inside the rectangle given.
TextPageWord InkBox(const QImage& image, const QRect& area, const std::string& text) {
  TextPageWord word{text, area.right() + 1, area.bottom() + 1, area.left(), area.top()};
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    const uchar* row = image.constScanLine(y);
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (row[x] >= 128) continue;
      word.left = std::min(word.left, x);
      word.right = std::max(word.right, x + 1);
      word.top = std::min(word.top, y);
      word.bottom = std::max(word.bottom, y + 1);
    }
  }
  return word;
}

}  // namespace

TextPage RenderTextPage(const std::vector<std::string>& lines, int pointSize, int dpi) {
  EnsureGuiApplication();
  QFont font("DejaVu Serif");
  font.setPixelSize(std::max(8, pointSize * dpi / 72));
  const QFontMetrics metrics(font);
  const int margin = dpi / 4;
  const int lineHeight = metrics.lineSpacing() * 3 / 2;
  int width = 0;
  for (const std::string& line : lines) {
    width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(line)));
  }
  TextPage page;
  page.dpi = dpi;
  page.width = width + 2 * margin;
  page.height = static_cast<int>(lines.size()) * lineHeight + 2 * margin;
  QImage image(page.width, page.height, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(QColor(20, 20, 20));
  std::vector<std::pair<QRect, std::string>> areas;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int baseline = margin + static_cast<int>(i) * lineHeight + metrics.ascent();
    int x = margin;
    for (const std::string& word : Words(lines[i])) {
      const QString text = QString::fromStdString(word);
      painter.drawText(x, baseline, text);
      const int advance = metrics.horizontalAdvance(text);
      areas.push_back(
          {QRect(x - 2, baseline - metrics.ascent() - 2, advance + 4, metrics.height() + 4), word});
      x += advance + metrics.horizontalAdvance(' ');
    }
  }
  painter.end();
  for (const auto& [area, word] : areas) page.words.push_back(InkBox(image, area, word));
  page.gray.resize(static_cast<size_t>(page.width) * page.height);
  for (int y = 0; y < page.height; ++y) {
    std::copy_n(image.constScanLine(y), page.width,
                page.gray.begin() + static_cast<ptrdiff_t>(y) * page.width);
  }
  return page;
}

void WritePnm(const TextPage& page, const std::string& path, bool bilevel) {
  std::ofstream out(path, std::ios::binary);
  if (!bilevel) {
    out << "P5\n" << page.width << " " << page.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(page.gray.data()),
              static_cast<std::streamsize>(page.gray.size()));
    return;
  }
  out << "P4\n" << page.width << " " << page.height << "\n";
  const int stride = (page.width + 7) / 8;
  std::vector<char> row(static_cast<size_t>(stride));
  for (int y = 0; y < page.height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < page.width; ++x) {
      if (page.gray[static_cast<size_t>(y) * page.width + x] < 128)
        row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
    out.write(row.data(), stride);
  }
}

std::vector<std::string> SampleLines() {
  return {"Searchable pages keep their words", "hidden under the picture of the scan,",
          "so that readers find and copy them."};
}

double BoxOverlap(int aLeft, int aTop, int aRight, int aBottom, int bLeft, int bTop, int bRight,
                  int bBottom) {
  const auto area = [](int l, int t, int r, int b) {
    return static_cast<double>(std::max(0, r - l)) * std::max(0, b - t);
  };
  const double common = area(std::max(aLeft, bLeft), std::max(aTop, bTop), std::min(aRight, bRight),
                             std::min(aBottom, bBottom));
  const double both =
      area(aLeft, aTop, aRight, aBottom) + area(bLeft, bTop, bRight, bBottom) - common;
  return both > 0 ? common / both : 0.0;
}

}  // namespace leaf::test
