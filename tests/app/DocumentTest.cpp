// The document's open and save flows, with the questions answered by a fake.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <filesystem>

#include "DesktopFixtures.h"
#include "FakePrompts.h"
#include "app/CLeafDoc.h"
#include "app/FileDialogFilters.h"
#include "app/SettingsLocation.h"
#include "formats/Bmp.h"
#include "formats/DjvuReader.h"
#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "image/Transforms.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TiffFixtures.h"

namespace leaf {
namespace {

using Answer = CUserPrompts::Answer;

QString Q(const std::string& text) { return QString::fromStdString(text); }

FitArea NoFit() { return FitArea{800, 600, 3}; }

class DocumentTest : public ::testing::Test {
 protected:
  DocumentTest() : settings(AppSettings::Defaults(dir.path())), doc(settings, prompts) {
    settings.saveDir = dir.path();
  }

  test::TempDir dir;
  AppSettings settings;
  test::FakePrompts prompts;
  CLeafDoc doc;
};

TEST_F(DocumentTest, OpensABitmapWithTitleAndNoChanges) {
  const std::string path = WriteGrayPage(dir, "page.bmp");
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit()));
  EXPECT_TRUE(doc.hasImage());
  EXPECT_EQ(doc.title(), "page.bmp");
  EXPECT_EQ(doc.documentType(), kFileBmp);
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.image().raster.width, 120);
  EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(DocumentTest, AFailedOpenLeavesTheDocumentAsItWas) {
  const std::string good = WriteGrayPage(dir, "good.bmp");
  ASSERT_TRUE(doc.openDocument(Q(good), NoFit()));
  test::WriteText(dir.file("broken.bmp"), "BM this is not a bitmap");
  test::WriteText(dir.file("notes.txt"), "hello");
  struct Case {
    std::string path;
    int requestedType;
    const char* message;
  } cases[] = {
      {dir.file("broken.bmp"), 0, "Failed to open the image!"},
      {dir.file("missing.bmp"), 0, "Failed to open the image!"},
      {dir.file("notes.txt"), 0, "File type not recognized!"},
      {good, kFileJpeg, "Failed to open the image!"},  // the JPEG filter on a bitmap
      {dir.file("broken.djvu"), 0, "File type not recognized!"},
  };
  test::WriteText(dir.file("broken.djvu"), "AT&TFORM not really");
  // Empty files, noise and a folder under every name the program reads.
  std::vector<Case> all(std::begin(cases), std::end(cases));
  std::filesystem::create_directory(dir.file("folder.tif"));
  all.push_back({dir.file("folder.tif"), 0, "Failed to open the image!"});
  std::vector<uint8_t> noise(3000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
  for (const char* extension : {".djvu", ".iw44", ".bmp", ".ppm", ".pgm", ".pbm", ".jpg", ".tif"}) {
    const std::string empty = dir.file(std::string("empty") + extension);
    const std::string noisy = dir.file(std::string("noise") + extension);
    test::WriteBytes(empty, {});
    test::WriteBytes(noisy, noise);
    const bool djvu = std::string(extension) == ".djvu" || std::string(extension) == ".iw44";
    const char* message = djvu ? "File type not recognized!" : "Failed to open the image!";
    all.push_back({empty, 0, message});
    all.push_back({noisy, 0, message});
  }
  for (const Case& c : all) {
    prompts.errors.clear();
    doc.setRequestedOpenType(c.requestedType);
    EXPECT_FALSE(doc.openDocument(Q(c.path), NoFit())) << c.path;
    ASSERT_EQ(prompts.errors.size(), 1) << c.path;
    EXPECT_EQ(prompts.errors.front(), c.message) << c.path;
    EXPECT_EQ(doc.title(), "good.bmp");
    EXPECT_EQ(doc.path(), Q(good));
    EXPECT_EQ(doc.image().raster.width, 120);
  }
}

TEST_F(DocumentTest, OpenFitsTheArea) {
  const std::string path = WriteGrayPage(dir, "wide.bmp", 400, 100);
  ASSERT_TRUE(doc.openDocument(Q(path), FitArea{150, 150, 0}));
  EXPECT_EQ(doc.zoom(), -2);  // 400 / 150 = 2
  ASSERT_TRUE(doc.openDocument(Q(path), FitArea{150, 150, 1}));
  EXPECT_EQ(doc.zoom(), 0);
}

TEST_F(DocumentTest, MultipageTiffTitlesAndPages) {
  const std::string path = dir.file("scan.tif");
  test::TiffRecipe page;
  test::WriteTiff(path, {page, page, page});
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit()));
  EXPECT_EQ(doc.title(), "scan.tif (page 1 of 3)");
  EXPECT_EQ(doc.pageCount(), 3);
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit(), 2));
  EXPECT_EQ(doc.pageIndex(), 2);
  EXPECT_EQ(doc.title(), "scan.tif (page 3 of 3)");

  const std::string single = dir.file("one.tif");
  test::WriteTiff(single, {page});
  ASSERT_TRUE(doc.openDocument(Q(single), NoFit()));
  EXPECT_EQ(doc.title(), "one.tif");
}

// A fixture of the DjVu reader's tests.
std::string DjvuFixture(const std::string& name) {
  return std::string(LEAF_SOURCE_DIR) + "/tests/data/djvu/" + name;
}

TEST_F(DocumentTest, DjvuDocumentsOpenPageByPage) {
  const std::string path = DjvuFixture("rotated.djvu");
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit()));
  EXPECT_EQ(doc.documentType(), kFileDjvu);
  EXPECT_EQ(doc.pageCount(), 3);
  EXPECT_EQ(doc.title(), "rotated.djvu (page 1 of 3)");
  EXPECT_EQ(doc.djvuKind(), kDjvuKindBilevel);
  // Page 2 is compound and turned a quarter.
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit(), 1));
  EXPECT_EQ(doc.pageIndex(), 1);
  EXPECT_EQ(doc.djvuKind(), kDjvuKindCompound);
  EXPECT_EQ(doc.image().raster.width, 90);
  EXPECT_EQ(doc.image().raster.height, 120);
  EXPECT_EQ(doc.title(), "rotated.djvu (page 2 of 3)");

  // A page that cannot be shown names itself; the document keeps its page.
  const std::string folder = dir.file("indirect");
  std::filesystem::copy(DjvuFixture("indirect"), folder);
  std::filesystem::remove(folder + "/photo.djvu");
  EXPECT_FALSE(doc.openDocument(Q(folder + "/index.djvu"), NoFit(), 2));
  ASSERT_EQ(prompts.errorDetails.size(), 1);
  EXPECT_TRUE(prompts.errorDetails.front().startsWith("Page 3 of 3 (photo.djvu): "))
      << prompts.errorDetails.front().toStdString();
  EXPECT_EQ(doc.pageIndex(), 1);
  ASSERT_TRUE(doc.openDocument(Q(folder + "/index.djvu"), NoFit(), 1));
  EXPECT_EQ(doc.pageIndex(), 1);
}

TEST_F(DocumentTest, SavingAsDjvuOffersAllPagesOrThisPage) {
  const std::string path = dir.file("scan.tif");
  std::vector<test::TiffRecipe> pages(3);
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i].width = 40 + static_cast<uint32_t>(i);
    pages[i].resolutionUnit = 2;  // 300 dpi: no question about the resolution
    pages[i].xResolution = pages[i].yResolution = 300;
  }
  test::WriteTiff(path, pages);
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit(), 1));
  // The page on the screen goes with its edits, the others as they are.
  ASSERT_TRUE(RotateRight(doc.image()));
  doc.setModified(true);
  const int djvuRow = SaveFilterRowForType(kFileDjvu);
  const std::string book = dir.file("book.djvu");
  prompts.saveChoice = {true, Q(book), djvuRow};
  prompts.pagesChoice = CUserPrompts::PagesChoice::AllPages;
  ASSERT_TRUE(doc.saveAsCommand()) << prompts.errorDetails.join(" ").toStdString();
  EXPECT_EQ(prompts.pagesAsked, QList<int>{3});
  EXPECT_FALSE(doc.isModified());
  const auto sizes = [](const std::string& file) {
    DibImage image;
    std::vector<std::pair<int, int>> found;
    for (int page = 0; page < CountDjvuPages(image, file); ++page) {
      DjvuFileInfo info;
      EXPECT_TRUE(ProbeDjvuFile(image, file, info, page));
      found.emplace_back(info.width, info.height);
    }
    return found;
  };
  EXPECT_EQ(sizes(book), (std::vector<std::pair<int, int>>{{40, 4}, {4, 41}, {42, 4}}));

  // Save writes all pages again, as the last Save As did.
  doc.setModified(true);
  doc.saveCommand();
  EXPECT_EQ(sizes(book).size(), 3u);
  EXPECT_EQ(prompts.pagesAsked.size(), 1);

  // "this page" writes the one page; Cancel writes nothing.
  const std::string one = dir.file("one.djvu");
  prompts.saveChoice = {true, Q(one), djvuRow};
  prompts.pagesChoice = CUserPrompts::PagesChoice::ThisPage;
  ASSERT_TRUE(doc.saveAsCommand());
  EXPECT_EQ(sizes(one), (std::vector<std::pair<int, int>>{{4, 41}}));
  prompts.saveChoice = {true, Q(dir.file("none.djvu")), djvuRow};
  prompts.pagesChoice = CUserPrompts::PagesChoice::Cancel;
  EXPECT_FALSE(doc.saveAsCommand());
  EXPECT_FALSE(test::FileExists(dir.file("none.djvu")));
  // Other types, and documents of one page, are not asked about.
  prompts.saveChoice = {true, Q(dir.file("page.bmp")), SaveFilterRowForType(kFileBmp)};
  ASSERT_TRUE(doc.saveAsCommand());
  EXPECT_EQ(prompts.pagesAsked.size(), 3);
}

TEST_F(DocumentTest, AllPagesAreSavedAfterAnEditThatMadeThePageAPlainRaster) {
  const std::string path = dir.file("scan.tif");
  std::vector<test::TiffRecipe> pages(3);
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i].width = 40 + static_cast<uint32_t>(i);
    pages[i].resolutionUnit = 2;
    pages[i].xResolution = pages[i].yResolution = 300;
  }
  test::WriteTiff(path, pages);
  ASSERT_TRUE(doc.openDocument(Q(path), NoFit(), 1));
  ASSERT_TRUE(doc.crop(QRect(QPoint(0, 0), QPoint(9, 1))));
  ASSERT_EQ(doc.documentType(), kFileBmp);
  const std::string book = dir.file("book.djvu");
  prompts.saveChoice = {true, Q(book), SaveFilterRowForType(kFileDjvu)};
  prompts.pagesChoice = CUserPrompts::PagesChoice::AllPages;
  // The other pages still come from the TIFF file.
  ASSERT_TRUE(doc.saveAsCommand()) << prompts.errorDetails.join(" ").toStdString();
  DibImage image;
  ASSERT_EQ(CountDjvuPages(image, book), 3);
  const int widths[] = {40, 10, 42};
  for (int page = 0; page < 3; ++page) {
    DjvuFileInfo info;
    ASSERT_TRUE(ProbeDjvuFile(image, book, info, page));
    EXPECT_EQ(info.width, widths[page]) << page;
  }
}

TEST_F(DocumentTest, DjvuPagesRenderAtTheZoomShownAndByLayer) {
  const std::string path = WriteCompoundDjvu(dir);
  ASSERT_TRUE(doc.openDocument(Q(path), FitArea{100, 100, 2}));
  EXPECT_EQ(doc.documentType(), kFileDjvu);
  EXPECT_EQ(doc.djvuKind(), kDjvuKindCompound);
  EXPECT_EQ(doc.zoom(), -3);  // 300 / 100 = 3
  EXPECT_TRUE(doc.isRenderedAtZoom());
  EXPECT_EQ(doc.image().raster.width, 75);  // rendered at 1/4, not scaled from full size
  EXPECT_EQ(doc.image().raster.fullWidth, 300);

  ASSERT_TRUE(doc.setZoomAndLayer(-1, 0));
  EXPECT_EQ(doc.image().raster.width, 150);
  ASSERT_TRUE(doc.setZoomAndLayer(2, 0));
  EXPECT_EQ(doc.image().raster.width, 300);  // full size; the view enlarges
  EXPECT_FALSE(doc.isRenderedAtZoom());

  ASSERT_TRUE(doc.setZoomAndLayer(0, kDjvuLayerMask));
  EXPECT_EQ(doc.layer(), kDjvuLayerMask);
  EXPECT_EQ(doc.image().raster.width, 300);

  settings.fancyZoom = 0;  // without fancy zoom the full-size pixels stay
  ASSERT_TRUE(doc.setZoomAndLayer(-2, kDjvuLayerMask));
  EXPECT_EQ(doc.image().raster.width, 300);
}

TEST_F(DocumentTest, SaveAsProposesUntitledNamesInTurn) {
  test::BmpRecipe recipe;
  test::MakeImage(doc.image(), recipe);  // a page that came from no file (a scan, a paste)
  settings.saveType = kFileBmp;
  prompts.saveChoice = {};  // cancelled
  EXPECT_FALSE(doc.saveAsCommand());
  EXPECT_EQ(prompts.proposedName, "untitled0001.bmp");
  EXPECT_EQ(prompts.saveFilterRow, 2);
  EXPECT_EQ(prompts.saveFolder, Q(dir.path()));
  doc.saveAsCommand();
  EXPECT_EQ(prompts.proposedName, "untitled0002.bmp");
}

TEST_F(DocumentTest, SaveAsWritesTheTypeOfTheFilterAndRetitles) {
  const std::string source = WriteGrayPage(dir, "scan.bmp");
  ASSERT_TRUE(doc.openDocument(Q(source), NoFit()));
  doc.setModified(true);
  settings.saveType = kFilePnm;
  const std::string folder = dir.file("new/folder");        // made on the way
  prompts.saveChoice = {true, Q(folder + "/page.txt"), 4};  // the PNM row
  ASSERT_TRUE(doc.saveAsCommand());
  EXPECT_EQ(prompts.proposedName, "scan.pgm");
  const std::string written = folder + "/page.txt.pgm";
  ASSERT_TRUE(test::FileExists(written));
  EXPECT_EQ(doc.path(), Q(written));
  EXPECT_EQ(doc.title(), "scan.bmp (last saved as page.txt.pgm)");
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(settings.saveType, kFilePnm);
  EXPECT_EQ(settings.saveDir, folder);
  EXPECT_EQ(doc.saveType(), kFilePnm);
  DibImage back;
  ASSERT_TRUE(ReadImageFile(back, written, kFilePnm));
  EXPECT_EQ(back.raster.width, 120);
  // No stray temporary files beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator{}),
            1);
}

TEST_F(DocumentTest, ResolutionQuestionBeforeSavingAsDjvu) {
  const std::string source = WriteGrayPage(dir, "scan.bmp");  // 300 dpi
  ASSERT_TRUE(doc.openDocument(Q(source), NoFit()));
  const std::string target = dir.file("scan.djvu");
  prompts.saveChoice = {true, Q(target), 0};

  settings.djvuUpsample = 0;  // suits 300 dpi: nothing asked
  ASSERT_TRUE(doc.saveAsCommand());
  EXPECT_TRUE(prompts.questions.isEmpty());
  std::filesystem::remove(target);

  settings.djvuUpsample = 1;  // Cancel: nothing saved
  prompts.answers = {Answer::Cancel};
  EXPECT_FALSE(doc.saveAsCommand());
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_TRUE(prompts.questions.front().contains("high resolution"));
  EXPECT_FALSE(test::FileExists(target));

  prompts.answers = {Answer::Yes};  // review the settings, then save
  EXPECT_TRUE(doc.saveAsCommand());
  EXPECT_EQ(prompts.djvuSettingsShown, 1);
  EXPECT_TRUE(test::FileExists(target));
}

TEST_F(DocumentTest, DjvuDocumentSavesItsFullSizePage) {
  const std::string path = WriteCompoundDjvu(dir);
  ASSERT_TRUE(doc.openDocument(Q(path), FitArea{100, 100, 2}));
  ASSERT_EQ(doc.image().raster.width, 75);
  const std::string target = dir.file("copy.bmp");
  ASSERT_TRUE(doc.saveDocument(Q(target), kFileBmp));
  DibImage back;
  ASSERT_TRUE(ReadBmp(back, target));
  EXPECT_EQ(back.raster.width, 300);
  EXPECT_EQ(back.raster.bitsPerPixel, 24);
  EXPECT_EQ(doc.image().raster.width, 75);  // the view's pixels are untouched
}

TEST_F(DocumentTest, AFailedSaveKeepsTheDocumentModifiedAndTheOldFile) {
  const std::string source = WriteGrayPage(dir, "scan.bmp");
  ASSERT_TRUE(doc.openDocument(Q(source), NoFit()));
  doc.setModified(true);
  // A folder that cannot be made: its parent is a file.
  test::WriteText(dir.file("plain"), "x");
  EXPECT_FALSE(doc.saveDocument(Q(dir.file("plain/sub/out.bmp")), kFileBmp));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(prompts.errors.front(), "Failed to save the image!");
  EXPECT_FALSE(prompts.errorDetails.front().isEmpty());
  EXPECT_TRUE(doc.isModified());

  // An unsupported type leaves an existing file untouched.
  const std::string existing = dir.file("keep.bmp");
  test::WriteText(existing, "precious");
  EXPECT_FALSE(doc.saveDocument(Q(existing), kFileTiff));
  EXPECT_EQ(test::ReadBytes(existing).size(), 8u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator{}),
            3);  // scan.bmp, plain, keep.bmp and nothing half-written
  EXPECT_TRUE(test::FileExists(dir.file("plain")));
}

TEST_F(DocumentTest, SaveFirstQuestion) {
  const std::string source = WriteGrayPage(dir, "scan.bmp");
  ASSERT_TRUE(doc.openDocument(Q(source), NoFit()));
  EXPECT_TRUE(doc.confirmDiscard());  // not modified: nothing asked
  EXPECT_TRUE(prompts.questions.isEmpty());

  doc.setModified(true);
  prompts.answers = {Answer::Cancel};
  EXPECT_FALSE(doc.confirmDiscard());
  EXPECT_EQ(prompts.questions.front(), "Save scan.bmp first?");
  EXPECT_TRUE(doc.isModified());

  prompts.answers = {Answer::Yes};  // Yes runs Save As; cancelling it stops
  prompts.saveChoice = {};
  EXPECT_FALSE(doc.confirmDiscard());
  EXPECT_TRUE(doc.isModified());

  prompts.answers = {Answer::No};
  EXPECT_TRUE(doc.confirmDiscard());
  EXPECT_FALSE(doc.isModified());
}

TEST_F(DocumentTest, SaveWritesAnOpenedFileInItsOwnType) {
  const std::string source = WriteGrayPage(dir, "scan.bmp");
  ASSERT_TRUE(doc.openDocument(Q(source), NoFit()));
  doc.saveCommand();  // not modified: nothing happens
  EXPECT_EQ(prompts.proposedName, "");
  const auto before = std::filesystem::last_write_time(source);
  doc.setModified(true);
  doc.saveCommand();
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(prompts.proposedName, "");  // no Save As dialog
  EXPECT_GE(std::filesystem::last_write_time(source), before);
  EXPECT_EQ(doc.title(), "scan.bmp (last saved as scan.bmp)");
}

}  // namespace
}  // namespace leaf
