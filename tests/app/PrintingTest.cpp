// Printing: the printed size and place of a page, and whole print jobs to a
// PDF file whose placed image poppler's pdfimages measures.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <cmath>

#include "DesktopFixtures.h"
#include "FakePrompts.h"
#include "app/CLeafDoc.h"
#include "app/PagePrinting.h"
#include "app/PrintLayout.h"

namespace leaf {
namespace {

constexpr double kMmPerInch = 25.4;

PrintInput Letter600(int width, int height, int xDpi, int yDpi) {
  PrintInput input;
  input.width = width;
  input.height = height;
  input.xDpi = xDpi;
  input.yDpi = yDpi;
  input.shrink = false;
  input.printerXDpi = input.printerYDpi = 600;
  input.printableWidthMm = 8.5 * kMmPerInch;
  input.printableHeightMm = 11 * kMmPerInch;
  return input;
}

TEST(PrintLayoutTest, SizesFromResolutionOrScreenShrunkAndCentred) {
  struct Case {
    const char* what;
    PrintInput input;
    int xPercent, yPercent, width, height, left, top;
  };
  std::vector<Case> cases;
  // A letter page at 300 dpi on a 600-dpi printer fills the sheet.
  cases.push_back({"original size", Letter600(2550, 3300, 300, 300), 200, 200, 5100, 6600, 0, 0});
  // Shrunk into 8 x 10.5 inches by the smaller factor, 8 / 8.5, in both directions.
  PrintInput shrunk = Letter600(2550, 3300, 300, 300);
  shrunk.shrink = true;
  shrunk.printableWidthMm = 8 * kMmPerInch;
  shrunk.printableHeightMm = 10.5 * kMmPerInch;
  cases.push_back({"shrunk", shrunk, 188, 188, 4794, 6204, 3, 48});
  // A fax page keeps its true proportions: its rows are twice as far apart.
  cases.push_back({"fax", Letter600(1728, 1100, 204, 98), 294, 612, 5080, 6732, 10, 0});
  // Shrinking never enlarges; a small page is centred.
  PrintInput small = Letter600(300, 150, 300, 300);
  small.shrink = true;
  cases.push_back({"small", small, 200, 200, 600, 300, 2250, 3150});
  // The screen size: 50 % on a 100-dpi screen is 3 printer pixels a pixel.
  PrintInput screen = Letter600(1000, 500, 0, 0);
  screen.printSize = kPrintScreenSize;
  screen.zoomPercent = 50;
  screen.screenXDpi = screen.screenYDpi = 100;
  cases.push_back({"screen", screen, 300, 300, 3000, 1500, 1050, 2550});
  PrintInput screenFax = screen;
  screenFax.xDpi = 200;
  screenFax.yDpi = 100;
  cases.push_back({"screen fax", screenFax, 300, 600, 3000, 3000, 1050, 1800});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(CheckPrintInput(c.input), PrintCheck::Ok);
    const PrintPlacement p = PlacePrintedPage(c.input);
    EXPECT_EQ(p.xPercent, c.xPercent);
    EXPECT_EQ(p.yPercent, c.yPercent);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.top, c.top);
  }
}

TEST(PrintLayoutTest, UnknownResolutionAndSettingsAreCaught) {
  PrintInput input = Letter600(100, 100, 0, 300);
  EXPECT_EQ(CheckPrintInput(input), PrintCheck::UnknownResolution);
  input.printSize = kPrintScreenSize;  // asks nothing
  EXPECT_EQ(CheckPrintInput(input), PrintCheck::Ok);
  input.printSize = 2;
  EXPECT_EQ(CheckPrintInput(input), PrintCheck::UnknownPrintSize);
  input = Letter600(0, 100, 300, 300);
  EXPECT_EQ(CheckPrintInput(input), PrintCheck::Empty);
  input = Letter600(100, 100, 300, 300);
  input.printerXDpi = 0;
  EXPECT_EQ(CheckPrintInput(input), PrintCheck::Empty);
}

// ----- whole print jobs, to PDF -----

struct PlacedImage {
  int width = 0, height = 0;
  int xPpi = 0, yPpi = 0;
};

// The images pdfimages finds in the file, with their resolution on the page.
std::vector<PlacedImage> PlacedImages(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
  EXPECT_TRUE(process.waitForFinished(30000));
  std::vector<PlacedImage> found;
  const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
  for (const QString& line : lines.mid(2)) {
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList f = line.split(' ', Qt::SkipEmptyParts);
    if (f.size() < 14 || f[2] == QLatin1String("smask")) continue;
    found.push_back({f[3].toInt(), f[4].toInt(), f[12].toInt(), f[13].toInt()});
  }
  return found;
}

class PrintJobTest : public ::testing::Test {
 protected:
  PrintJobTest() : settings(AppSettings::Defaults(dir.path())), doc(settings, prompts) {}

  void SetUp() override {
    if (QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty()) {
      GTEST_SKIP() << "pdfimages (poppler-utils) is not installed";
    }
  }

  void open(int width, int height, int dpi, int bits) {
    test::BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bits = bits;
    recipe.pixelsPerMetre = static_cast<int32_t>(std::floor(dpi * 100 * 0.39370078740157477));
    recipe.pixel = [bits](int x, int y) {
      return bits == 1 ? static_cast<uint32_t>((x / 7 + y / 5) % 2) : 0x2060A0u + x % 64;
    };
    ASSERT_TRUE(doc.openDocument(
        QString::fromStdString(test::WriteBmpPage(dir, "page.bmp", recipe)), FitArea{800, 600, 3}));
  }

  // Prints to a letter-sized PDF with half-inch margins; the placed image.
  PlacedImage print(int zoom = 0) {
    const QString pdf = QString::fromStdString(dir.file("out.pdf"));
    QFile::remove(pdf);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                      QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter));
    if (!PrintDocumentPage(printer, doc, zoom, settings, prompts)) return {};
    const std::vector<PlacedImage> images = PlacedImages(pdf);
    EXPECT_EQ(images.size(), 1u);
    return images.empty() ? PlacedImage{} : images.front();
  }

  test::TempDir dir;
  AppSettings settings;
  test::FakePrompts prompts;
  CLeafDoc doc;
};

TEST_F(PrintJobTest, OriginalSizeFollowsTheResolution) {
  settings.printSize = kPrintOriginalSize;
  settings.shrinkPrint = 1;
  for (const auto& [dpi, bits] : {std::pair{300, 24}, std::pair{600, 1}}) {
    SCOPED_TRACE(dpi);
    open(900, 600, dpi, bits);
    const PlacedImage placed = print();
    EXPECT_EQ(placed.width, 900);
    EXPECT_EQ(placed.height, 600);
    EXPECT_NEAR(placed.xPpi, dpi, 1);
    EXPECT_NEAR(placed.yPpi, dpi, 1);
  }
  // Wider than the 7.5 printable inches: shrunk to them, or printed as it is.
  open(3000, 600, 300, 24);
  EXPECT_NEAR(print().xPpi, 400, 2);  // 3000 pixels over 7.5 inches
  settings.shrinkPrint = 0;
  EXPECT_NEAR(print().xPpi, 300, 1);
  EXPECT_TRUE(prompts.questions.isEmpty());
}

TEST_F(PrintJobTest, ScreenSizeFollowsTheZoomAndTheScreen) {
  settings.printSize = kPrintScreenSize;
  settings.shrinkPrint = 1;
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const double screenDpi = screen->physicalDotsPerInchX();
  for (const auto& [dpi, bits] : {std::pair{300, 24}, std::pair{600, 1}}) {
    SCOPED_TRACE(dpi);
    open(400, 300, dpi, bits);
    EXPECT_NEAR(print(0).xPpi, screenDpi, screenDpi * 0.02);       // at 100 %
    EXPECT_NEAR(print(-1).xPpi, screenDpi * 2, screenDpi * 0.04);  // at 50 %: half the size
  }
}

TEST_F(PrintJobTest, UnknownResolutionAsksForTheScreenSize) {
  settings.printSize = kPrintOriginalSize;
  open(400, 300, 0, 24);
  prompts.answers = {CUserPrompts::Answer::No};
  EXPECT_EQ(print().width, 0);  // nothing printed
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_TRUE(prompts.questions.front().startsWith("The original document resolution is unknown."));
  prompts.answers = {CUserPrompts::Answer::Yes};
  EXPECT_EQ(print().width, 400);
  EXPECT_EQ(settings.printSize, kPrintOriginalSize);  // kept for the next print

  settings.printSize = 7;
  EXPECT_EQ(print().width, 0);
  EXPECT_EQ(prompts.errors, QStringList{"Unknown print size setting!"});
}

}  // namespace
}  // namespace leaf
