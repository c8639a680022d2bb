#include "TextLabelDrawing.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "image/Messages.h"

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

}  // namespace

bool PrepareTextDrawing() {
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

LabelPlacement LabelPlacementOf(const TextSettings& text) {
  LabelPlacement placement;
  placement.position = text.position;
  placement.anchor = text.insideAnchor;
  placement.paddingX = text.paddingX;
  placement.paddingY = text.paddingY;
  return placement;
}

bool MakeTextLabel(const TextSettings& text, const std::string& fileName, DibImage& label,
                   std::string* fontUsed) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    return label.Fail("Text labels cannot be drawn here: there is no text drawing.");
  }
  const std::lock_guard lock(DrawingMutex());
  if (QFontDatabase::families().isEmpty()) {
    return label.Fail("No fonts are installed to draw the text label with.");
  }
  const std::time_t clock = std::time(nullptr);
  std::tm now{};
  localtime_r(&clock, &now);
  QString content = QString::fromStdString(ExpandLabelPlaceholders(text.content, fileName, now));
  content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  content.replace(QChar('\r'), QChar('\n'));
  if (content.trimmed().isEmpty()) return label.Fail("The text label has no text.");

  const QFont font = LabelFont(text);
  const int flags = AlignmentFlags(text.align);
  const QRect box =
      QFontMetrics(font).boundingRect(QRect(0, 0, kLayoutRoom, kLayoutRoom), flags, content);
  const int width = box.width();
  const int height = box.height();
  const size_t stride = RowStride(width, 1);
  if (width < 1 || height < 1 || stride == 0 ||
      static_cast<size_t>(height) > kMaxBlockBytes / stride) {
    return label.Fail("The text label would be too large (%d x %d pixels).", width, height);
  }
  QImage drawn(width, height, QImage::Format_Mono);
  if (drawn.isNull()) {
    return label.Fail("There is not enough memory for the text label (%d x %d pixels).", width,
                      height);
  }
  drawn.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // 1 where the text is
  drawn.fill(0);
  QPainter painter(&drawn);
  painter.setFont(font);
  painter.setPen(QColor(Qt::black));
  painter.drawText(QRect(0, 0, width, height), flags, content);
  painter.end();
  if (fontUsed) *fontUsed = QFontInfo(font).family().toStdString();
  return BuildTextLabel(label, drawn.constBits(), static_cast<size_t>(drawn.bytesPerLine()), width,
                        height, static_cast<uint32_t>(text.foregroundColor),
                        static_cast<uint32_t>(text.backgroundColor), text.orientation,
                        text.transparentBackground != 0);
}

bool StampSettingsLabel(const TextSettings& text, const std::string& fileName, DibImage& page,
                        std::string* fontUsed) {
  DibImage label;
  if (!MakeTextLabel(text, fileName, label, fontUsed)) {
    const std::string reason = LastMessage();
    SetMessage("the label could not be made: %s", reason.c_str());
    return false;
  }
  return StampTextLabel(page, label, LabelPlacementOf(text));
}

}  // namespace leaf
