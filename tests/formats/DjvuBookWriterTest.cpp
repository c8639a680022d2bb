#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "formats/DjvuBookWriter.h"
#include "formats/DjvuReader.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

// Page index as a picture: a bilevel page of width 40 + index with a bar
// whose place tells the index, or (every third page) a gray page.
void MakeTestPage(int index, DibImage& image) {
  test::BmpRecipe recipe;
  recipe.width = 40 + index;
  recipe.height = 30;
  const bool gray = index % 3 == 2;
  recipe.bits = gray ? 8 : 1;
  recipe.palette = gray ? test::GrayPalette(8) : std::vector<uint32_t>{0xFFFFFF, 0x000000};
  recipe.pixel = [index, gray](int x, int y) -> uint32_t {
    const bool ink = x >= index && x < index + 6 && y > 4 && y < 25;
    return gray ? (ink ? 10 : 200 + (x + y) % 40) : (ink ? 1 : 0);
  };
  test::MakeImage(image, recipe);
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The width of each page of a written document.
std::vector<int> PageWidths(const std::string& path) {
  DibImage image;
  std::vector<int> widths;
  const int pages = CountDjvuPages(image, path);
  for (int page = 0; page < pages; ++page) {
    DjvuFileInfo info;
    EXPECT_TRUE(ProbeDjvuFile(image, path, info, page)) << LastMessage();
    widths.push_back(info.width);
  }
  return widths;
}

class DjvuBookWriterTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  DjvuSaveParameters parameters_;
};

TEST_F(DjvuBookWriterTest, PagesComeOutInOrderWhicheverIsEncodedFirst) {
  constexpr int kPages = 12, kThreads = 4;
  std::atomic<int> written{0};
  std::atomic<int> beyondWindow{0};
  std::mutex mutex;
  std::condition_variable anotherThread;
  std::set<std::thread::id> threads;
  const DjvuPageSource source = [&](int index, DibImage& page) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      threads.insert(std::this_thread::get_id());
      anotherThread.notify_all();
      // The first page is held until a second worker has taken a page, so
      // the encoding is seen to be parallel however busy the machine is (a
      // writer working alone gives up waiting and fails the check below).
      if (index == 0) {
        anotherThread.wait_for(lock, std::chrono::seconds(20), [&] { return threads.size() > 1; });
      }
    }
    // Never more pages in hand than twice the threads ahead of the writer.
    // The writer reports a page just after it is in place, so the count seen
    // here may lag by that one page.
    if (index >= written.load() + 2 * kThreads + 1) ++beyondWindow;
    // Early pages take longest, so later ones finish first.
    std::this_thread::sleep_for(std::chrono::milliseconds(4 * ((kPages - index) % 5)));
    MakeTestPage(index, page);
    return true;
  };
  DjvuBookOptions options;
  options.threads = kThreads;
  std::vector<int> progress;
  options.progress = [&](int done, int total) {
    EXPECT_EQ(total, kPages);
    written = done;
    progress.push_back(done);
  };
  const std::string path = dir_.file("book.djvu");
  ASSERT_TRUE(SaveDjvuBook(path, kPages, source, parameters_, options)) << LastMessage();
  EXPECT_EQ(beyondWindow, 0);
  EXPECT_GT(threads.size(), 1u);
  ASSERT_EQ(progress.size(), static_cast<size_t>(kPages));
  EXPECT_EQ(progress.back(), kPages);
  std::vector<int> expected;
  for (int page = 0; page < kPages; ++page) expected.push_back(40 + page);
  EXPECT_EQ(PageWidths(path), expected);
  // Only the document remains: no spool, no temporary files.
  EXPECT_EQ(Listing(dir_.path()), std::vector<std::string>{"book.djvu"});

  // Each page is what saving it alone gives.
  for (int page : {0, 2}) {
    DibImage alone;
    MakeTestPage(page, alone);
    const std::string single = dir_.file("alone.djvu");
    ASSERT_TRUE(SaveImageFile(single, kFileDjvu, alone));
    DibImage fromBook, fromFile;
    ASSERT_TRUE(ReadDjvu(fromBook, path, 0, 24, 0, 2.2, page)) << LastMessage();
    ASSERT_TRUE(ReadDjvu(fromFile, single, 0, 24, 0, 2.2));
    ASSERT_EQ(fromBook.raster.pixelSize, fromFile.raster.pixelSize);
    EXPECT_EQ(
        std::memcmp(fromBook.raster.pixels(), fromFile.raster.pixels(), fromBook.raster.pixelSize),
        0);
  }
}

TEST_F(DjvuBookWriterTest, AFailingPageNamesItselfAndReplacesNothing) {
  const std::string bundled = dir_.file("book.djvu");
  test::WriteText(bundled, "the old book");
  const DjvuPageSource source = [](int index, DibImage& page) {
    if (index == 2) {
      SetMessage("the scanner jammed");
      return false;
    }
    MakeTestPage(index, page);
    return true;
  };
  DjvuBookOptions options;
  options.threads = 2;
  EXPECT_FALSE(SaveDjvuBook(bundled, 6, source, parameters_, options));
  EXPECT_STREQ(LastMessage(), "Page 3 of 6: the scanner jammed");
  options.indirect = true;
  EXPECT_FALSE(SaveDjvuBook(bundled, 6, source, parameters_, options));
  EXPECT_STREQ(LastMessage(), "Page 3 of 6: the scanner jammed");
  EXPECT_EQ(Listing(dir_.path()), std::vector<std::string>{"book.djvu"});
  const std::vector<uint8_t> content = test::ReadBytes(bundled);
  EXPECT_EQ(std::string(content.begin(), content.end()), "the old book");

  // A page that cannot be encoded (a depth the encoder does not take).
  const DjvuPageSource deep = [](int, DibImage& page) {
    test::BmpRecipe recipe;
    recipe.bits = 16;
    test::MakeImage(page, recipe);
    return true;
  };
  EXPECT_FALSE(SaveDjvuBook(bundled, 2, deep, parameters_));
  EXPECT_STREQ(LastMessage(),
               "Page 1 of 2: DjVu saving not supported for this color depth (16 bits per pixel; "
               "pictures of 1, 4, 8 and 24 bits are saved).");
  EXPECT_FALSE(SaveDjvuBook(bundled, 0, deep, parameters_));
  EXPECT_STREQ(LastMessage(), "There are no pages to save.");
}

TEST_F(DjvuBookWriterTest, IndirectDocumentsAreAnIndexBesideTheirPages) {
  const std::string index = dir_.file("made/here/scan.djvu");
  const DjvuPageSource source = [](int index, DibImage& page) {
    MakeTestPage(index, page);
    return true;
  };
  DjvuBookOptions options;
  options.indirect = true;
  ASSERT_TRUE(SaveDjvuBook(index, 3, source, parameters_, options)) << LastMessage();
  EXPECT_EQ(Listing(dir_.file("made/here")),
            (std::vector<std::string>{"scan-p0001.djvu", "scan-p0002.djvu", "scan-p0003.djvu",
                                      "scan-shapes0001.djbz", "scan.djvu"}));
  EXPECT_EQ(PageWidths(index), (std::vector<int>{40, 41, 42}));
  DibImage image;
  DjvuFileInfo info;
  ASSERT_TRUE(ProbeDjvuFile(image, dir_.file("made/here/scan-p0002.djvu"), info));
  EXPECT_EQ(DjvuFormName(info.formType), "DJVU");
  // One page, unless indirect, is a plain single-page file.
  ASSERT_TRUE(SaveDjvuBook(dir_.file("one.djvu"), 1, source, parameters_));
  ASSERT_TRUE(ProbeDjvuFile(image, dir_.file("one.djvu"), info));
  EXPECT_EQ(DjvuFormName(info.formType), "DJVU");
  EXPECT_EQ(DjvuPageName("x/book.djvu", 9, 12345, false), "p00010.djvu");
  EXPECT_EQ(DjvuPageName("x/book.djvu", 0, 3, true), "book-p0001.djvu");
  EXPECT_EQ(DjvuSharedShapesPrefix("x/book.djvu", true), "book-shapes");
  EXPECT_EQ(DjvuSharedShapesPrefix("x/book.djvu", false), "shapes");
}

}  // namespace
}  // namespace leaf

namespace leaf {
namespace {

TEST_F(DjvuBookWriterTest, ABuilderTakesPagesOneByOneAndWritesOnlyAtTheEnd) {
  const std::string path = dir_.file("out/fed.djvu");
  std::filesystem::create_directories(dir_.file("out"));
  const size_t counts[] = {0, 1, 4};
  for (size_t count : counts) {
    SCOPED_TRACE(count);
    test::WriteText(path, "old contents");
    {
      DjvuBookBuilder builder(path, parameters_);
      for (size_t index = 0; index < count; ++index) {
        DibImage page;
        MakeTestPage(static_cast<int>(index), page);
        ASSERT_TRUE(builder.Add(page)) << LastMessage();
      }
      EXPECT_EQ(test::ReadBytes(path).size(), 12u) << "nothing replaced before Finish";
      EXPECT_EQ(builder.Finish(), count > 0);
      EXPECT_EQ(builder.pages(), static_cast<int>(count));
    }
    if (count == 0) {
      EXPECT_EQ(test::ReadBytes(path).size(), 12u) << "no pages, nothing written";
      continue;
    }
    std::vector<int> expected;
    for (size_t page = 0; page < count; ++page) expected.push_back(40 + static_cast<int>(page));
    EXPECT_EQ(PageWidths(path), expected);
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    ASSERT_GT(bytes.size(), 16u);
    // One page is a plain page file; more make a bundled document.
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), count == 1 ? "DJVU" : "DJVM");
    EXPECT_EQ(Listing(dir_.file("out")), std::vector<std::string>{"fed.djvu"}) << "spool removed";
  }
}

// Two pages of one block each, the second with a one-pixel notch: in lossy
// coding a 300-dpi book shows the first page's block on both pages, but at
// 150 dpi a pixel may tell one letter from another, and the notch stays.
TEST_F(DjvuBookWriterTest, LowResolutionBooksShareOnlyIdenticalShapes) {
  for (const int dpi : {150, 300}) {
    const DjvuPageSource source = [dpi](int index, DibImage& page) {
      test::BmpRecipe recipe;
      recipe.width = 120;
      recipe.height = 60;
      recipe.bits = 1;
      recipe.pixelsPerMetre = dpi * 10000 / 254;
      recipe.palette = {0xFFFFFF, 0x000000};
      recipe.pixel = [index](int x, int y) -> uint32_t {
        const bool block = y >= 10 && y < 46 && x >= 10 && x < 34;
        return block && !(index == 1 && y == 10 && x == 22);
      };
      test::MakeImage(page, recipe);
      return true;
    };
    DjvuSaveParameters lossy = parameters_;
    lossy.encode.flags |= DJVU_AGGRESSIVE;
    const std::string path = dir_.file("book.djvu");
    ASSERT_TRUE(SaveDjvuBook(path, 2, source, lossy, DjvuBookOptions{})) << LastMessage();
    DibImage second;
    ASSERT_TRUE(ReadDjvu(second, path, 0, 24, 0, 2.2, 1)) << LastMessage();
    const auto black = [&](int x, int y) {
      return (test::PixelAt(second.raster, x, y) & 0xFF) < 128;
    };
    EXPECT_TRUE(black(21, 10)) << dpi;
    EXPECT_EQ(black(22, 10), dpi == 300) << dpi;
  }
}

}  // namespace
}  // namespace leaf
