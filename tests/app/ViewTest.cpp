// The view and the main window on the offscreen platform: zoom, mouse
// coordinates, selection, page commands, recent files, closing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

#include "FakePrompts.h"
#include "app/CHelpWindow.h"
#include "app/CLeafDoc.h"
#include "app/CLeafView.h"
#include "app/CMainFrame.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TiffFixtures.h"

namespace leaf {
namespace {

using Answer = CUserPrompts::Answer;

class MainFrameTest : public ::testing::Test {
 protected:
  MainFrameTest() : settings(AppSettings::Defaults(dir.path())) {
    settings.windowFit = 0;  // the window keeps its size: the view is 1000 x 700 or so
    settings.imageFit = 2;
    auto fake = std::make_unique<test::FakePrompts>();
    prompts = fake.get();
    frame = std::make_unique<CMainFrame>(
        settings, QString::fromStdString(dir.file("Leafsmith.ini")), std::move(fake));
    frame->resize(1000, 800);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  }

  std::string writeBmp(const std::string& name, int width, int height, int dpi = 300) {
    test::BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.pixelsPerMetre = static_cast<int32_t>(dpi / 0.0254 + 0.5);
    const std::string path = dir.file(name);
    test::WriteBytes(path, test::MakeBmpFile(recipe));
    return path;
  }

  QAction* command(const char* name) { return frame->action(QString::fromUtf8(name)); }

  test::TempDir dir;
  AppSettings settings;
  test::FakePrompts* prompts = nullptr;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, EmptyWindowHasOnlyFileCommands) {
  EXPECT_EQ(frame->sizePaneText(), " WxHxBits");
  EXPECT_EQ(frame->dpiPaneText(), " DPI");
  EXPECT_TRUE(frame->windowTitle().startsWith("Untitled"));
  EXPECT_TRUE(command("Open")->isEnabled());
  EXPECT_TRUE(command("DjVu Settings")->isEnabled());
  EXPECT_TRUE(command("New Scan")->isEnabled());
  for (const char* name :
       {"Save", "Save As", "Zoom In", "Next Page", "Color", "Cut", "Print", "Slideshow", "Flip"}) {
    ASSERT_NE(command(name), nullptr) << name;
    EXPECT_FALSE(command(name)->isEnabled()) << name;
  }
  EXPECT_EQ(command("Open")->shortcut(), QKeySequence(QKeySequence::Open));
  EXPECT_EQ(command("Exit")->shortcut(), QKeySequence(QKeySequence::Quit));
  EXPECT_EQ(command("Next Page")->shortcut(), QKeySequence(Qt::Key_PageDown));
}

TEST_F(MainFrameTest, OpenShowsThePageFittedWithPanesAndZoomBox) {
  const std::string path = writeBmp("page.bmp", 2550, 3300);
  prompts->openChoice = {true, QString::fromStdString(path), 7};
  frame->openCommand();
  EXPECT_EQ(prompts->openFilterRow, 7);  // "OpenType" 7 preselects all supported types
  EXPECT_EQ(settings.openType, 100);
  EXPECT_EQ(settings.openDir, dir.path());
  ASSERT_TRUE(frame->document().hasImage());
  const int zoom = frame->view().zoom();
  EXPECT_LT(zoom, 0);
  const QSize drawn = frame->view().drawnSize();
  EXPECT_LE(drawn.height(), frame->view().viewport()->height());  // fits the height
  EXPECT_EQ(frame->zoomBox()->currentIndex(), 9 - zoom);
  EXPECT_EQ(frame->sizePaneText(), "2550x3300x8g");  // a gray ramp
  EXPECT_EQ(frame->dpiPaneText(), "300 DPI");
  EXPECT_TRUE(frame->windowTitle().startsWith("page.bmp"));
  EXPECT_EQ(settings.recentFiles.front(), path);
  EXPECT_TRUE(command("Save As")->isEnabled());
  EXPECT_FALSE(command("Save")->isEnabled());  // not modified
  frame->document().imageEdited();
  EXPECT_TRUE(command("Save")->isEnabled());
  EXPECT_TRUE(frame->windowTitle().startsWith("page.bmp[*]"));
  EXPECT_TRUE(frame->isWindowModified());
  EXPECT_FALSE(command("Color")->isEnabled());  // not a DjVu page
}

TEST_F(MainFrameTest, ZoomCommandsAndTheirLimits) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("small.bmp", 200, 100))));
  CLeafView& view = frame->view();
  EXPECT_EQ(view.zoom(), 0);
  EXPECT_EQ(view.drawnSize(), QSize(200, 100));
  command("Zoom In")->trigger();
  EXPECT_EQ(view.zoom(), 1);
  EXPECT_EQ(view.drawnSize(), QSize(400, 200));
  EXPECT_EQ(frame->zoomBox()->currentText(), "200 %");
  view.setZoom(9);
  EXPECT_FALSE(command("Zoom In")->isEnabled());
  view.setZoom(-9);
  EXPECT_FALSE(command("Zoom Out")->isEnabled());
  EXPECT_EQ(view.drawnSize(), QSize(20, 10));
  frame->zoomBox()->activated(9);  // the 100 % entry
  EXPECT_EQ(view.zoom(), 0);
  QTest::keyClick(&view, Qt::Key_Plus);
  EXPECT_EQ(view.zoom(), 1);
  QTest::keyClick(&view, Qt::Key_Minus);
  EXPECT_EQ(view.zoom(), 0);
}

TEST_F(MainFrameTest, MouseCoordinatesAndRubberBandSelection) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("small.bmp", 200, 100))));
  CLeafView& view = frame->view();
  view.setZoom(1);  // 400 x 200, centred in the view
  QWidget* port = view.viewport();
  const QPoint origin((port->width() - 400) / 2, (port->height() - 200) / 2);
  EXPECT_EQ(view.imagePointAt(origin + QPoint(20, 10)), QPoint(10, 5));
  EXPECT_EQ(view.imagePointAt(origin + QPoint(-50, -50)), QPoint(0, 0));  // clamped
  EXPECT_EQ(view.imagePointAt(origin + QPoint(1000, 1000)), QPoint(199, 99));

  QTest::mouseMove(port, origin + QPoint(20, 10));
  EXPECT_EQ(frame->statusBar()->currentMessage(), "(10,5)");

  command("Select")->trigger();
  EXPECT_EQ(view.mouseMode(), CLeafView::MouseMode::Selecting);
  QTest::mousePress(port, Qt::LeftButton, {}, origin + QPoint(20, 10));
  QTest::mouseMove(port, origin + QPoint(120, 60));
  QTest::mouseRelease(port, Qt::LeftButton, {}, origin + QPoint(120, 60));
  ASSERT_TRUE(view.hasSelection());
  EXPECT_EQ(view.selection(), QRect(QPoint(10, 5), QPoint(60, 30)));
  QTest::mouseMove(port, origin + QPoint(40, 40));
  EXPECT_EQ(frame->statusBar()->currentMessage(), "(20,20)   Selection: (10,5)->(60,30) = (51x26)");

  // A single pixel row is no selection.
  QTest::mousePress(port, Qt::LeftButton, {}, origin + QPoint(20, 10));
  QTest::mouseMove(port, origin + QPoint(120, 10));
  QTest::mouseRelease(port, Qt::LeftButton, {}, origin + QPoint(120, 10));
  EXPECT_FALSE(view.hasSelection());

  command("Select")->trigger();
  EXPECT_EQ(view.mouseMode(), CLeafView::MouseMode::Normal);
}

TEST_F(MainFrameTest, EditCommandsFollowThePageTheSelectionAndTheClipboard) {
  QGuiApplication::clipboard()->clear();
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("small.bmp", 200, 100))));
  for (const char* name : {"Cut", "Copy", "Clear", "Flip", "Mirror", "90 degrees left", "Resize",
                           "Negative", "Convert To Gray"}) {
    EXPECT_TRUE(command(name)->isEnabled()) << name;
  }
  for (const char* name :
       {"Undo", "Empty Undo Buffer", "Crop", "Paste", "Paste As New", "Empty Clipboard"}) {
    EXPECT_FALSE(command(name)->isEnabled()) << name;
  }
  command("90 degrees right")->trigger();
  EXPECT_TRUE(command("Undo")->isEnabled());
  EXPECT_EQ(frame->sizePaneText(), "100x200x8g");
  EXPECT_TRUE(frame->windowTitle().contains("[*]"));
  EXPECT_TRUE(frame->isWindowModified());
  command("Undo")->trigger();
  EXPECT_EQ(frame->sizePaneText(), "200x100x8g");

  command("Select")->trigger();
  frame->view().setSelection(QRect(10, 10, 30, 20));
  EXPECT_TRUE(command("Crop")->isEnabled());
  command("Copy")->trigger();
  EXPECT_TRUE(command("Paste")->isEnabled());
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(30, 20));
  command("Crop")->trigger();
  EXPECT_EQ(frame->sizePaneText(), "30x20x8g");
  EXPECT_FALSE(frame->view().hasSelection());
  EXPECT_FALSE(command("Crop")->isEnabled());
  command("Empty Clipboard")->trigger();
  EXPECT_FALSE(command("Paste")->isEnabled());
  EXPECT_TRUE(prompts->errors.isEmpty());
}

TEST_F(MainFrameTest, APastedPictureFollowsTheMouseAndGoesWhereClicked) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("small.bmp", 200, 100))));
  CLeafView& view = frame->view();
  view.setZoom(1);  // 400 x 200, centred
  QWidget* port = view.viewport();
  const QPoint origin((port->width() - 400) / 2, (port->height() - 200) / 2);
  QImage black(8, 6, QImage::Format_Grayscale8);
  black.fill(0);
  QGuiApplication::clipboard()->setImage(black);
  command("Select")->trigger();  // pasting leaves selection mode

  command("Paste")->trigger();
  EXPECT_EQ(view.mouseMode(), CLeafView::MouseMode::Placing);
  EXPECT_FALSE(command("Select")->isChecked());
  QTest::mouseMove(port, origin + QPoint(40, 40));
  view.viewport()->repaint();
  QTest::keyClick(&view, Qt::Key_Escape);  // changed my mind
  EXPECT_EQ(view.mouseMode(), CLeafView::MouseMode::Normal);
  EXPECT_EQ(frame->document().floatingImage(), nullptr);
  EXPECT_FALSE(frame->document().isModified());

  command("Paste")->trigger();
  QTest::mouseMove(port, origin + QPoint(40, 40));
  QTest::mouseClick(port, Qt::LeftButton, {}, origin + QPoint(40, 40));
  EXPECT_EQ(view.mouseMode(), CLeafView::MouseMode::Normal);
  const DibRaster& r = frame->document().image().raster;
  EXPECT_EQ(test::PixelAt(r, 20, 20), 0u);  // the top left corner at the clicked pixel
  EXPECT_EQ(test::PixelAt(r, 27, 25), 0u);
  EXPECT_NE(test::PixelAt(r, 28, 25), 0u);
  EXPECT_TRUE(frame->document().isModified());
  QGuiApplication::clipboard()->clear();
}

TEST_F(MainFrameTest, FaxPageShowsInItsTrueProportions) {
  const std::string path = dir.file("fax.tif");
  test::TiffRecipe page;
  page.width = 200;
  page.height = 100;
  page.resolutionUnit = 2;
  page.xResolution = 204;
  page.yResolution = 98;
  test::WriteTiff(path, {page});
  ASSERT_TRUE(frame->openFile(QString::fromStdString(path)));
  EXPECT_EQ(frame->dpiPaneText(), "204,98 DPI");
  frame->view().setZoom(0);
  EXPECT_EQ(frame->view().drawnSize(), QSize(200, 208));  // 100 x 204 / 98
  frame->view().setZoom(-1);
  EXPECT_EQ(frame->view().drawnSize(), QSize(100, 104));
}

TEST_F(MainFrameTest, DragScrollsAnOverflowingPage) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("big.bmp", 3000, 3000))));
  CLeafView& view = frame->view();
  view.setZoom(0);
  QWidget* port = view.viewport();
  QTest::mousePress(port, Qt::LeftButton, {}, QPoint(300, 300));
  QTest::mouseMove(port, QPoint(200, 250));
  QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(200, 250));
  EXPECT_EQ(frame->statusBar()->currentMessage(), "Scroll offset: (100,50)");
  view.setZoom(1);  // the same image point stays at the top left
  EXPECT_EQ(view.imagePointAt(QPoint(0, 0)), QPoint(100, 50));
}

TEST_F(MainFrameTest, PageCommandsFollowThePage) {
  const std::string path = dir.file("scan.tif");
  test::TiffRecipe page;
  test::WriteTiff(path, {page, page, page});
  ASSERT_TRUE(frame->openFile(QString::fromStdString(path)));
  EXPECT_FALSE(command("Previous Page")->isEnabled());
  EXPECT_FALSE(command("First Page")->isEnabled());
  ASSERT_TRUE(command("Next Page")->isEnabled());
  command("Next Page")->trigger();
  EXPECT_EQ(frame->document().pageIndex(), 1);
  EXPECT_TRUE(frame->windowTitle().startsWith("scan.tif (page 2 of 3)"));
  command("Last Page")->trigger();
  EXPECT_EQ(frame->document().pageIndex(), 2);
  EXPECT_FALSE(command("Next Page")->isEnabled());
  EXPECT_FALSE(command("Last Page")->isEnabled());
  frame->view().nextPage();  // stays on the last page
  EXPECT_EQ(frame->document().pageIndex(), 2);

  // A modified page asks first; Cancel stays.
  frame->document().setModified(true);
  prompts->answers = {Answer::Cancel};
  command("First Page")->trigger();
  EXPECT_EQ(frame->document().pageIndex(), 2);
  prompts->answers = {Answer::No};
  command("First Page")->trigger();
  EXPECT_EQ(frame->document().pageIndex(), 0);

  // Through a DjVu document, whose second page is compound.
  const std::string book = std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/book.djvu";
  ASSERT_TRUE(frame->openFile(QString::fromStdString(book)));
  EXPECT_TRUE(frame->windowTitle().startsWith("book.djvu (page 1 of 3)"));
  command("Next Page")->trigger();
  EXPECT_EQ(frame->document().pageIndex(), 1);
  EXPECT_TRUE(command("Color")->isEnabled());
  command("Last Page")->trigger();
  EXPECT_TRUE(frame->windowTitle().startsWith("book.djvu (page 3 of 3)"));
}

TEST_F(MainFrameTest, RecentFilesMenuOpensAndForgetsMissingFiles) {
  const std::string a = writeBmp("a.bmp", 20, 10);
  const std::string b = writeBmp("b.bmp", 30, 10);
  ASSERT_TRUE(frame->openFile(QString::fromStdString(a)));
  ASSERT_TRUE(frame->openFile(QString::fromStdString(b)));
  EXPECT_EQ(settings.recentFiles, (std::vector<std::string>{b, a}));
  std::filesystem::remove(a);
  QList<QAction*> entries;
  for (QAction* action : frame->findChildren<QAction*>()) {
    if (action->text().startsWith("&2 ")) entries << action;
  }
  ASSERT_EQ(entries.size(), 1);
  entries.front()->trigger();
  EXPECT_EQ(prompts->errors.size(), 1);
  EXPECT_EQ(settings.recentFiles, (std::vector<std::string>{b}));
}

TEST_F(MainFrameTest, ClosingAsksFirstAndWritesTheSettingsOnce) {
  const std::string ini = dir.file("Leafsmith.ini");
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("a.bmp", 20, 10))));
  frame->document().setModified(true);
  prompts->answers = {Answer::Cancel};
  EXPECT_FALSE(frame->close());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_FALSE(test::FileExists(ini));  // Cancel leaves the settings file alone

  prompts->answers = {Answer::No};
  settings.noStartupInfo = 1;
  EXPECT_TRUE(frame->close());
  ASSERT_TRUE(test::FileExists(ini));
  const AppSettings back = LoadSettings(ini, dir.path());
  EXPECT_EQ(back.noStartupInfo, 1);
  EXPECT_EQ(back.recentFiles.size(), 1u);
}

TEST_F(MainFrameTest, DroppedFileOpensAfterTheSaveQuestion) {
  const std::string a = writeBmp("a.bmp", 20, 10);
  const std::string b = writeBmp("b.bmp", 30, 10);
  ASSERT_TRUE(frame->openFile(QString::fromStdString(a)));
  frame->document().setModified(true);
  auto drop = [&](const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    const bool accepted = enter.isAccepted();
    if (accepted) {
      QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(frame.get(), &dropped);
      QApplication::processEvents();
    }
    return accepted;
  };
  // Not a file: refused.
  EXPECT_FALSE(drop({QUrl("https://example.org/page.djvu"),
                     QUrl::fromLocalFile(QString::fromStdString(dir.path()))}));
  prompts->answers = {Answer::Cancel};
  EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(b))}));
  EXPECT_EQ(frame->document().title(), "a.bmp");
  prompts->answers = {Answer::No};
  EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(b))}));
  EXPECT_EQ(frame->document().title(), "b.bmp");
}

TEST_F(MainFrameTest, EndingTheSessionAsksToSaveThenToQuit) {
  ASSERT_TRUE(frame->openFile(QString::fromStdString(writeBmp("a.bmp", 20, 10))));
  frame->document().setModified(true);
  prompts->answers = {Answer::No, Answer::No};
  EXPECT_FALSE(frame->queryEndSession());
  EXPECT_EQ(prompts->questions,
            (QStringList{"Save a.bmp first?", "Do you want to quit Leafsmith?"}));
  prompts->answers = {Answer::Yes};  // not modified any more: only the quit question
  EXPECT_TRUE(frame->queryEndSession());
}

TEST_F(MainFrameTest, HelpTopicsAndTheDefaultViewer) {
  ASSERT_TRUE(command("Help Topics")->isEnabled());
  EXPECT_EQ(command("Help Topics")->shortcut(), QKeySequence(Qt::Key_F1));
  command("Help Topics")->trigger();
  ASSERT_NE(CHelpWindow::instance(), nullptr);
  EXPECT_EQ(CHelpWindow::instance()->currentTopic(), "Contents.html");
  CHelpWindow::instance()->close();

  // Registered for this user only: in folders of the test's own.
  struct ScopedVariable {
    const char* name;
    bool wasSet = qEnvironmentVariableIsSet(name);
    QByteArray old = qgetenv(name);
    ScopedVariable(const char* n, const std::string& value) : name(n) {
      qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedVariable() { wasSet ? qputenv(name, old) : qunsetenv(name); }
  };
  {
    const ScopedVariable data("XDG_DATA_HOME", dir.file("data"));
    const ScopedVariable config("XDG_CONFIG_HOME", dir.file("config"));
    command("Register as Default Viewer")->trigger();
  }
  ASSERT_EQ(prompts->messages.size() + prompts->errors.size(), 1);
  if (!prompts->errors.isEmpty()) {
    FAIL() << prompts->errorDetails.front().toStdString();
  }
  EXPECT_TRUE(prompts->messages.front().contains("default viewer"));
  EXPECT_TRUE(test::FileExists(dir.file("data/applications/leafsmith.desktop")));
}

}  // namespace
}  // namespace leaf
