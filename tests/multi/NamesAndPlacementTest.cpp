#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "formats/ImageFiles.h"
#include "multi/FilePlacement.h"
#include "multi/OutputNames.h"
#include "tests/support/PnmFixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::FileExists;
using test::TempDir;
using test::WriteText;

TEST(OutputNames, NumberedNamesAndExtensions) {
  struct Case {
    std::string path;
    int number;
    std::string numbered;
    std::string djvu;
  };
  const Case cases[] = {
      {"out/a.djvu", 1, "out/a-1.djvu", "out/a.djvu"},
      {"out/scan.page.tif", 12, "out/scan.page-12.tif", "out/scan.page.djvu"},
      {"out.d/noext", 3, "out.d/noext-3", "out.d/noext.djvu"},
      {"out/.hidden", 2, "out/.hidden-2", "out/.hidden.djvu"},
      {"plain.bmp", 998, "plain-998.bmp", "plain.djvu"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumberedName(c.path, c.number), c.numbered) << c.path;
    EXPECT_EQ(ReplaceExtension(c.path, ".djvu"), c.djvu) << c.path;
  }
}

TEST(OutputNames, PnmExtensionFollowsTheDepth) {
  TempDir dir;
  test::WriteBitmapPbm(dir.file("b.pbm"));
  test::WriteGrayPgm(dir.file("g.pgm"), 1);
  test::WriteColourPpm(dir.file("c.ppm"));
  const std::pair<const char*, const char*> cases[] = {
      {"b.pbm", ".pbm"}, {"g.pgm", ".pgm"}, {"c.ppm", ".ppm"}};
  for (const auto& [name, extension] : cases) {
    DibImage image;
    ASSERT_TRUE(ReadImageFile(image, dir.file(name), kFilePnm));
    EXPECT_EQ(OutputExtension(kFilePnm, image), extension) << name;
    EXPECT_EQ(OutputExtension(kFileDjvu, image), ".djvu");
    EXPECT_EQ(OutputExtension(kFileJpeg, image), ".jpg");
  }
}

TEST(FilePlacement, TakenNamesAreNeverReplaced) {
  TempDir dir;
  WriteText(dir.file("a.djvu"), "old");
  WriteText(dir.file("a-1.djvu"), "old one");
  WriteText(dir.file("new"), "new");
  std::string placed;
  ASSERT_TRUE(PlaceUnderFreeName(dir.file("new"), dir.file("a.djvu"), false, placed));
  EXPECT_EQ(placed, dir.file("a-2.djvu"));
  EXPECT_FALSE(FileExists(dir.file("new")));
  EXPECT_EQ(test::ReadBytes(dir.file("a.djvu")).size(), 3u);

  WriteText(dir.file("kept"), "kept");
  ASSERT_TRUE(PlaceUnderFreeName(dir.file("kept"), dir.file("a.djvu"), true, placed));
  EXPECT_EQ(placed, dir.file("a-3.djvu"));
  EXPECT_TRUE(FileExists(dir.file("kept"))) << "a link keeps the first name";
}

TEST(FilePlacement, FailsWhenEveryNumberedNameIsTaken) {
  TempDir dir;
  WriteText(dir.file("x.bmp"), "");
  for (int n = 1; n <= kMaxNameNumber; ++n) WriteText(NumberedName(dir.file("x.bmp"), n), "");
  WriteText(dir.file("new"), "new");
  std::string placed;
  EXPECT_FALSE(PlaceUnderFreeName(dir.file("new"), dir.file("x.bmp"), false, placed));
  EXPECT_TRUE(FileExists(dir.file("new"))) << "the file stays where it was";
  EXPECT_FALSE(FileExists(dir.file("x-999.bmp")));
}

TEST(FilePlacement, ConcurrentWritersGetDistinctNames) {
  TempDir dir;
  constexpr int kWriters = 8;
  for (int i = 0; i < kWriters; ++i) WriteText(dir.file("t" + std::to_string(i)), "x");
  std::vector<std::string> placed(kWriters);
  std::vector<std::thread> threads;
  for (int i = 0; i < kWriters; ++i) {
    threads.emplace_back([&, i] {
      PlaceUnderFreeName(dir.file("t" + std::to_string(i)), dir.file("page.djvu"), false,
                         placed[static_cast<size_t>(i)]);
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::sort(placed.begin(), placed.end());
  EXPECT_EQ(std::unique(placed.begin(), placed.end()), placed.end());
  EXPECT_EQ(test::AllFilesBelow(dir.path()).size(), static_cast<size_t>(kWriters));
}

TEST(FilePlacement, MoveNoReplaceLeavesBothFilesWhenTaken) {
  TempDir dir;
  WriteText(dir.file("from"), "from");
  WriteText(dir.file("to"), "to");
  EXPECT_EQ(MoveNoReplace(dir.file("from"), dir.file("to")), Placement::Taken);
  EXPECT_EQ(test::ReadBytes(dir.file("to")).size(), 2u);
  EXPECT_EQ(MoveNoReplace(dir.file("from"), dir.file("free")), Placement::Placed);
  EXPECT_EQ(MoveNoReplace(dir.file("missing"), dir.file("other")), Placement::Failed);
}

}  // namespace
}  // namespace leaf
