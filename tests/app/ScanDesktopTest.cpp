// Scanning in the window: Select Source, the scan options dialog and pages
// acquired into the document, on SANE's virtual test scanner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>

#include "FakePrompts.h"
#include "app/CAcquireDlg.h"
#include "app/CLeafDoc.h"
#include "app/CLeafView.h"
#include "app/CMainFrame.h"
#include "app/CSaveProgressDlg.h"
#include "app/CSelectSourceDlg.h"
#include "formats/ImageFiles.h"
#include "scanner/ScanOutput.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SaneTestBackend.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using Answer = CUserPrompts::Answer;
using scan::ScanDevice;
using scan::ScannerCapabilities;
using scan::ScanRequest;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Waits (with events running) until the dialog has listed the scanners.
void WaitForListing(CSelectSourceDlg& dialog) {
  if (!dialog.isListing()) return;
  QSignalSpy listed(&dialog, &CSelectSourceDlg::devicesListed);
  ASSERT_TRUE(listed.wait(30000)) << "the scanners were not listed";
}

TEST(SelectSourceDialog, ListsTheScannersAndKeepsTheChoiceOverARefresh) {
  const test::SaneTestBackend backend;
  SKIP_WITHOUT_SANE_TEST_BACKEND(backend);
  CSelectSourceDlg dialog(QStringLiteral("test:1"));
  EXPECT_TRUE(dialog.isListing()) << "listed off the interface thread";
  WaitForListing(dialog);
  ASSERT_EQ(dialog.deviceList()->count(), 2);
  EXPECT_EQ(dialog.selectedDevice(), QStringLiteral("test:1")) << "the previous choice";
  EXPECT_EQ(dialog.statusText(), QStringLiteral("2 scanners found."));

  dialog.deviceList()->setCurrentRow(0);
  dialog.refresh();
  WaitForListing(dialog);
  EXPECT_EQ(dialog.selectedDevice(), QStringLiteral("test:0")) << "the selection survives";
}

TEST(SelectSourceDialog, SaysWhenThereIsNoScannerOrNoScannerLibrary) {
  struct Case {
    const char* name;
    CSelectSourceDlg::DeviceLister lister;
    const char* status;
  };
  const Case cases[] = {
      {"none connected", [](std::vector<ScanDevice>&, std::string&) { return true; },
       "No scanner was found"},
      {"library broken",
       [](std::vector<ScanDevice>&, std::string& error) {
         error = "Out of memory";
         return false;
       },
       "The scanners could not be listed: Out of memory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSelectSourceDlg dialog(QStringLiteral("test:0"), nullptr, c.lister);
    WaitForListing(dialog);
    EXPECT_TRUE(dialog.statusText().contains(QString::fromUtf8(c.status)))
        << dialog.statusText().toStdString();
    EXPECT_TRUE(dialog.selectedDevice().isEmpty());
    auto* select = dialog.findChild<QPushButton*>();
    for (auto* button : dialog.findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("&Select")) select = button;
    }
    ASSERT_NE(select, nullptr);
    EXPECT_FALSE(select->isEnabled()) << "nothing to select";
  }
}

// A device as scanners commonly present themselves.
ScannerCapabilities FlatbedWithFeeder() {
  ScannerCapabilities caps;
  caps.modes = {"color", "gray", "lineart"};
  caps.currentMode = "gray";
  caps.resolutionList = {75, 150, 300, 600};
  caps.currentResolution = 150;
  caps.sources = {"Flatbed", "ADF Front"};
  caps.sourceIsFeeder = {false, true};
  caps.currentSource = "Flatbed";
  caps.hasArea = true;
  caps.bedWidth = 215.9;
  caps.bedHeight = 297;
  caps.currentArea = {0, 0, 215.9, 297};
  return caps;
}

TEST(AcquireDialog, OffersWhatTheDeviceHasAndTakesTheLastScanWhereItCan) {
  ScanRequest last;
  last.mode = "color";
  last.resolution = 290;  // the nearest offered is taken
  last.source = "Film";   // not offered: the device's own stays
  CAcquireDlg dialog(QStringLiteral("test:0"), FlatbedWithFeeder(), last, false);
  EXPECT_EQ(dialog.modeBox()->count(), 3);
  const ScanRequest request = dialog.request();
  EXPECT_EQ(request.mode, "color");
  EXPECT_EQ(request.resolution, 300);
  EXPECT_EQ(request.source, "Flatbed");
  EXPECT_FALSE(request.area) << "the whole bed unless an area is chosen";
  EXPECT_FALSE(request.allPages);

  dialog.areaBox()->setChecked(true);
  auto boxes = dialog.areaBox()->findChildren<QDoubleSpinBox*>();
  ASSERT_EQ(boxes.size(), 4);
  boxes[2]->setValue(100);
  boxes[3]->setValue(50);
  const ScanRequest part = dialog.request();
  ASSERT_TRUE(part.area);
  EXPECT_DOUBLE_EQ(part.area->width, 100);
  EXPECT_DOUBLE_EQ(part.area->height, 50);
}

TEST(AcquireDialog, TheFeederBoxAndTheSourceFollowEachOther) {
  CAcquireDlg dialog(QStringLiteral("test:0"), FlatbedWithFeeder(), {}, /*allPages=*/true);
  EXPECT_TRUE(dialog.feederBox()->isChecked()) << "Acquire All Pages starts with the feeder";
  EXPECT_EQ(dialog.request().source, "ADF Front");
  EXPECT_TRUE(dialog.request().allPages);

  dialog.sourceBox()->setCurrentIndex(0);
  emit dialog.sourceBox()->activated(0);
  EXPECT_FALSE(dialog.feederBox()->isChecked()) << "the flatbed holds one page";
  EXPECT_FALSE(dialog.request().allPages);

  dialog.feederBox()->setChecked(true);
  EXPECT_EQ(dialog.request().source, "ADF Front");
}

TEST(AcquireDialog, ARangeOfResolutionsAndADeviceWithoutChoices) {
  ScannerCapabilities range;
  range.modes = {"gray"};
  range.resolutionMin = 50;
  range.resolutionMax = 400;
  range.resolutionStep = 1;
  ScanRequest last;
  last.resolution = 1200;
  CAcquireDlg ranged(QStringLiteral("x"), range, last, /*allPages=*/true);
  EXPECT_EQ(ranged.request().resolution, 400) << "clamped to what the device takes";
  EXPECT_FALSE(ranged.request().allPages) << "no feeder, no batch";
  EXPECT_TRUE(ranged.feederBox()->isHidden());

  CAcquireDlg bare(QStringLiteral("x"), ScannerCapabilities{}, last, false);
  const ScanRequest request = bare.request();
  EXPECT_TRUE(request.mode.empty());
  EXPECT_EQ(request.resolution, 0) << "the device's own resolution";
  EXPECT_TRUE(request.source.empty());
  EXPECT_TRUE(bare.areaBox()->isHidden());
}

class ScanDocumentTest : public ::testing::Test {
 protected:
  ScanDocumentTest() : settings(AppSettings::Defaults(dir.path())), doc(settings, prompts) {
    settings.saveDir = dir.path();
  }
  void SetUp() override { SKIP_WITHOUT_SANE_TEST_BACKEND(backend); }

  static ScanRequest Request(const std::string& mode, int dpi) {
    ScanRequest request;
    request.device = "test:0";
    request.mode = mode;
    request.resolution = dpi;
    return request;
  }

  // A page on screen that a failed scan must leave alone.
  void OpenSomePage() {
    const std::string path = dir.file("before.bmp");
    test::BmpRecipe recipe;
    recipe.width = 40;
    recipe.height = 30;
    test::WriteBytes(path, test::MakeBmpFile(recipe));
    ASSERT_TRUE(doc.openDocument(Q(path), FitArea{800, 600, 3}));
  }

  test::SaneTestBackend backend;
  test::TempDir dir;
  test::FakePrompts prompts;
  AppSettings settings;
  CLeafDoc doc;
};

TEST_F(ScanDocumentTest, EachModeMakesAnUntitledPageOfItsDepth) {
  const struct {
    const char* mode;
    int bits;
  } cases[] = {{"color", 24}, {"gray", 8}, {"lineart", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_TRUE(doc.acquire(Request(c.mode, 50))) << prompts.errorDetails.join(" / ").toStdString();
    const DibRaster& page = doc.image().raster;
    EXPECT_EQ(page.bitsPerPixel, c.bits);
    EXPECT_EQ(page.width, test::PixelsFor(80, 50));
    EXPECT_EQ(page.height, test::PixelsFor(100, 50));
    EXPECT_EQ(page.xResolution, 50);
    EXPECT_EQ(doc.title(), QStringLiteral("Untitled scanned image"));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.documentType(), kFileBmp);
    EXPECT_TRUE(doc.path().isEmpty());
    EXPECT_EQ(doc.pageCount(), 1);
    doc.setModified(false);
  }
}

TEST_F(ScanDocumentTest, TheFeederBatchIsOneDocumentSavedAsOneDjvuFile) {
  CLeafView view(doc, settings);
  ScanRequest request = Request("gray", 20);
  request.allPages = true;
  ASSERT_TRUE(doc.acquire(request));
  ASSERT_EQ(doc.pageCount(), 10);
  EXPECT_EQ(doc.pageIndex(), 0);
  EXPECT_EQ(doc.title(), QStringLiteral("Untitled scanned image (page 1 of 10)"));
  ASSERT_TRUE(view.canGoToPage(3));
  view.goToPage(3);
  EXPECT_EQ(doc.pageIndex(), 3);
  EXPECT_EQ(doc.title(), QStringLiteral("Untitled scanned image (page 4 of 10)"));
  view.nextPage();
  EXPECT_EQ(doc.pageIndex(), 4);
  EXPECT_TRUE(prompts.questions.isEmpty()) << "turning pages of a scan asks nothing";

  const std::string book = dir.file("book.djvu");
  prompts.saveChoice = {true, Q(book), 0};
  prompts.answers = {Answer::No};  // no review of the settings for 20-dpi pages
  ASSERT_TRUE(doc.saveAsCommand()) << prompts.errorDetails.join(" / ").toStdString();
  EXPECT_FALSE(doc.isModified());
  DibImage probe;
  EXPECT_EQ(CountPages(probe, book, kFileDjvu), 10);
  EXPECT_EQ(doc.pageIndex(), 4) << "the page on screen stays";

  // Other types hold one page: one numbered file each.
  doc.setModified(true);
  const std::string pages = dir.file("sheet.pgm");
  prompts.saveChoice = {true, Q(pages), 4};
  ASSERT_TRUE(doc.saveAsCommand()) << prompts.errorDetails.join(" / ").toStdString();
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(std::filesystem::exists(scan::NumberedPagePath(pages, i))) << i;
  }
  EXPECT_FALSE(std::filesystem::exists(pages));
}

TEST_F(ScanDocumentTest, FailedAndCancelledScansLeaveTheDocumentAsItWas) {
  OpenSomePage();
  const QString title = doc.title();
  ScanRequest missing = Request("gray", 50);
  missing.device = "test:7";
  EXPECT_FALSE(doc.acquire(missing));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(prompts.errors[0], QStringLiteral("Failed to acquire image!"));
  EXPECT_TRUE(prompts.errorDetails[0].contains(QStringLiteral("\"test:7\" was not found")));
  EXPECT_EQ(doc.title(), title);
  EXPECT_EQ(doc.image().raster.width, 40);

  // Slow pages, cancelled from the progress dialog once the scan runs.
  ScanRequest slow = Request("gray", 300);
  slow.deviceOptions = {{"read-delay", "yes"}, {"read-delay-duration", "200000"}};
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<CSaveProgressDlg*>(w);
      if (progress && progress->isVisible() && progress->position() > 0) progress->reject();
    }
  });
  poll.start(20);
  EXPECT_FALSE(doc.acquire(slow));
  poll.stop();
  EXPECT_EQ(prompts.errors.size(), 1) << "a cancel is no failure";
  EXPECT_EQ(doc.title(), title);
  EXPECT_FALSE(doc.isModified());

  EXPECT_TRUE(doc.acquire(Request("gray", 50))) << "the scanner was released";
}

TEST_F(ScanDocumentTest, TheWindowsCommandsRememberTheScannerAndTheOptions) {
  test::FakePrompts* fake = nullptr;
  auto owned = std::make_unique<test::FakePrompts>();
  fake = owned.get();
  CMainFrame frame(settings, QString(), std::move(owned));
  EXPECT_TRUE(frame.action(QStringLiteral("New Scan"))->isEnabled());
  EXPECT_TRUE(frame.action(QStringLiteral("Acquire All Pages"))->isEnabled());

  fake->scanDevice = QStringLiteral("test:1");
  frame.selectSourceCommand();
  EXPECT_EQ(settings.scanDevice, "test:1");
  EXPECT_EQ(fake->scanDeviceOffered, QString()) << "nothing chosen before";

  fake->scanOptions = Request("color", 40);
  fake->acceptScanOptions = false;
  frame.newScanCommand();
  EXPECT_EQ(fake->scanOptionsDevice, QStringLiteral("test:1"));
  EXPECT_FALSE(frame.document().hasImage()) << "Cancel in the options scans nothing";

  fake->acceptScanOptions = true;
  frame.newScanCommand(/*allPages=*/true);
  EXPECT_TRUE(fake->scanOptionsAllPages);
  ASSERT_TRUE(frame.document().hasImage());
  EXPECT_EQ(frame.document().image().raster.bitsPerPixel, 24);
  EXPECT_EQ(settings.scanMode, "color");
  EXPECT_EQ(settings.scanResolution, 40);
  EXPECT_EQ(frame.sizePaneText(),
            QStringLiteral("%1x%2x24").arg(test::PixelsFor(80, 40)).arg(test::PixelsFor(100, 40)));

  frame.document().setModified(false);
  settings.scanDevice = "test:9";
  const int shown = static_cast<int>(fake->errors.size());
  frame.newScanCommand();
  ASSERT_EQ(fake->errors.size(), shown + 1);
  EXPECT_TRUE(fake->errorDetails.back().contains(QStringLiteral("Select Source")))
      << fake->errorDetails.back().toStdString();
  EXPECT_TRUE(frame.document().hasImage()) << "the page scanned before stays";
}

}  // namespace
}  // namespace leaf
