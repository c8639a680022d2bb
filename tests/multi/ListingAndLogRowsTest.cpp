#include <gtest/gtest.h>

#include <filesystem>

#include "formats/FileType.h"
#include "multi/FolderListing.h"
#include "multi/LogRows.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

std::vector<std::string> Names(const std::vector<FolderEntry>& entries) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(FolderListing, FilterSortAndTypes) {
  test::TempDir dir;
  test::WriteText(dir.file("notes.txt"), "x");
  test::WriteText(dir.file("photo.JPG"), "1234567");
  test::WriteText(dir.file("b.djvu"), "12");
  test::WriteText(dir.file("A.pgm"), "1234");
  std::filesystem::create_directories(dir.file("sub"));
  std::vector<FolderEntry> all = ListFolder(dir.path(), kFileAllSupported);
  SortFolderEntries(all, kFolderColumnName, 1);
  EXPECT_EQ(Names(all), (std::vector<std::string>{"..", "sub", "A.pgm", "b.djvu", "photo.JPG"}));
  EXPECT_STREQ(FileTypeLabel(all[4].type), "Jpeg");
  EXPECT_STREQ(FileTypeLabel(all[1].type), "");

  SortFolderEntries(all, kFolderColumnSize, -1);
  EXPECT_EQ(Names(all), (std::vector<std::string>{"photo.JPG", "A.pgm", "b.djvu", "sub", ".."}))
      << "largest first, folders last";

  std::vector<FolderEntry> jpeg = ListFolder(dir.path(), kFileJpeg);
  SortFolderEntries(jpeg, kFolderColumnType, 1);
  EXPECT_EQ(Names(jpeg), (std::vector<std::string>{"..", "sub", "photo.JPG"}));
  EXPECT_TRUE(ListFolder(dir.file("missing"), kFileAllSupported).empty());
}

TEST(LogRows, NamesDurationsFactorsAndOrder) {
  ConversionLogEntry page;
  page.outputName = "page.djvu";
  page.width = 2550;
  page.height = 3300;
  page.bitsPerPixel = 1;
  page.outputSize = 50000;
  page.start = 100;
  page.end = 100 + 3725;
  EXPECT_EQ(FactorText(page), "21");
  EXPECT_EQ(DurationText(page.end - page.start), "1 h 2 min 5 s");
  EXPECT_EQ(DurationText(61), "1 min 1 s");
  EXPECT_EQ(DurationText(59), "59 s");

  ConversionLogEntry failed;
  failed.inputName = "a/broken.tif";
  failed.status = 2;
  failed.start = 50;
  failed.end = 50;
  EXPECT_EQ(LogRowName(failed), "*a/broken.tif");
  EXPECT_EQ(FactorText(failed), "NA");

  ConversionLogEntry small = page;
  small.outputName = "Another.djvu";
  small.outputSize = 400000;
  std::vector<ConversionLogEntry> rows = {page, failed, small};
  SortLogRows(rows, kLogColumnName, true);
  EXPECT_EQ(LogRowName(rows[0]), "*a/broken.tif");
  EXPECT_EQ(rows[1].outputName, "Another.djvu");
  SortLogRows(rows, kLogColumnFactor, false);
  EXPECT_EQ(rows[0].outputName, "page.djvu");
  EXPECT_EQ(rows[2].status, 2);
  SortLogRows(rows, kLogColumnCreated, true);
  EXPECT_EQ(rows[0].status, 2);
}

}  // namespace
}  // namespace leaf
