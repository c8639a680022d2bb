#include "LabelRaster.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "image/DibRaster.h"

namespace leaf {

namespace {

constexpr int kDefaultPixelHeight = 13;
constexpr int kLayoutRoom = 1 << 24;  // the text is laid out in a box this large

int AlignmentFlags(int align) {
  const int horizontal = align == 1   ? Qt::AlignHCenter
                         : align == 2 ? Qt::AlignRight
                                      : Qt::AlignLeft;
  return horizontal | Qt::AlignTop | Qt::TextExpandTabs;
}

// Warnings of the platform plugin (a missing runtime folder and the like)
// are no business of the command line's user.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
}

std::mutex& DrawingMutex() {
  static std::mutex mutex;
  return mutex;
}

DrawnLabelText Failure(std::string why) {
  DrawnLabelText drawn;
  drawn.error = std::move(why);
  return drawn;
}

std::string Size(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

}  // namespace

bool PrepareQtTextDrawing() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return true;
  if (QCoreApplication::instance()) return false;
  static int argc = 3;
  static char program[] = "leafsmith", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {program, option, platform, nullptr};
  qInstallMessageHandler(QuietMessages);
  // Kept for the whole run: Qt's text drawing lives inside it.
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  return application != nullptr;
}

QFont LabelFont(const TextSettings& text) {
  QFont font(QString::fromStdString(text.fontName));
  font.setStyleStrategy(QFont::NoAntialias);  // drawn on one bit per pixel
  font.setWeight(static_cast<QFont::Weight>(std::clamp(text.fontWeight, 1, 1000)));
  font.setItalic(text.fontItalic != 0);
  font.setUnderline(text.fontUnderline != 0);
  font.setStrikeOut(text.fontStrikeout != 0);
  int pixels = text.fontSize < 0 ? -text.fontSize : text.fontSize;
  if (pixels == 0) pixels = kDefaultPixelHeight;
  font.setPixelSize(std::min(pixels, 4096));
  if (text.fontSize > 0) {
    // A line height: the characters take what the ascent and descent leave.
    const QFontMetrics metrics(font);
    const int line = metrics.ascent() + metrics.descent();
    if (line > 0) font.setPixelSize(std::max(1, pixels * pixels / line));
  }
  return font;
}

DrawnLabelText DrawLabelText(const TextSettings& text, const std::string& content) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    return Failure("Text labels cannot be drawn here: there is no text drawing.");
  }
  const std::lock_guard lock(DrawingMutex());
  if (QFontDatabase::families().isEmpty()) {
    return Failure("No fonts are installed to draw the text label with.");
  }
  QString lines = QString::fromStdString(content);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines.replace(QChar('\r'), QChar('\n'));
  if (lines.trimmed().isEmpty()) return Failure("The text label has no text.");

  const QFont font = LabelFont(text);
  const int flags = AlignmentFlags(text.align);
  const QRect box =
      QFontMetrics(font).boundingRect(QRect(0, 0, kLayoutRoom, kLayoutRoom), flags, lines);
  const int width = box.width();
  const int height = box.height();
  // One bit per pixel, rows of whole 32-bit words, as QImage lays them out.
  const size_t stride = RowStride(width, 1);
  if (width < 1 || height < 1 || stride == 0 ||
      static_cast<size_t>(height) > kMaxBlockBytes / stride) {
    return Failure("The text label would be too large (" + Size(width, height) + ").");
  }
  QImage drawn(width, height, QImage::Format_Mono);
  if (drawn.isNull()) {
    return Failure("There is not enough memory for the text label (" + Size(width, height) + ").");
  }
  drawn.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // 1 where the text is
  drawn.fill(0);
  QPainter painter(&drawn);
  painter.setFont(font);
  painter.setPen(QColor(Qt::black));
  painter.drawText(QRect(0, 0, width, height), flags, lines);
  painter.end();

  DrawnLabelText result;
  result.width = width;
  result.height = height;
  result.bytesPerRow = static_cast<size_t>(drawn.bytesPerLine());
  result.bits.assign(drawn.constBits(), drawn.constBits() + drawn.sizeInBytes());
  result.fontUsed = QFontInfo(font).family().toStdString();
  return result;
}

}  // namespace leaf
