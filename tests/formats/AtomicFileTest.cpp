#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "formats/AtomicFile.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(AtomicFileTest, CommitReplacesTheTargetKeepingItsPermissions) {
  test::TempDir dir;
  const std::string path = dir.file("out.bin");
  test::WriteText(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  AtomicFile file(path);
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(WriteAll(file.stream(), "new contents", 12));
  EXPECT_EQ(test::ReadBytes(path).size(), 3u);  // untouched until commit
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(test::ReadBytes(path).size(), 12u);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFileTest, AbandonedWriteLeavesTheOldFileAndNoLeftovers) {
  test::TempDir dir;
  const std::string path = dir.file("keep.bin");
  test::WriteText(path, "precious");
  {
    AtomicFile file(path);
    ASSERT_TRUE(file.Open());
    WriteAll(file.stream(), "half", 4);
  }
  EXPECT_EQ(test::ReadBytes(path).size(), 8u);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFileTest, ClosedFilesWaitForTheirCommit) {
  test::TempDir dir;
  const std::string kept = dir.file("kept.bin"), replaced = dir.file("replaced.bin");
  test::WriteText(kept, "old");
  test::WriteText(replaced, "old");
  {
    AtomicFile abandoned(kept), committed(replaced);
    for (AtomicFile* file : {&abandoned, &committed}) {
      ASSERT_TRUE(file->Open());
      ASSERT_TRUE(WriteAll(file->stream(), "written", 7));
      ASSERT_TRUE(file->Close());
      EXPECT_EQ(file->stream(), nullptr);
    }
    EXPECT_EQ(EntriesIn(dir.path()), 4u);  // both written beside their targets
    ASSERT_TRUE(committed.Commit());
    EXPECT_FALSE(committed.Commit());
  }
  EXPECT_EQ(test::ReadBytes(kept).size(), 3u);
  EXPECT_EQ(test::ReadBytes(replaced).size(), 7u);
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(AtomicFileTest, OpenFailsInAMissingDirectory) {
  test::TempDir dir;
  AtomicFile file(dir.file("missing/out.bin"));
  EXPECT_FALSE(file.Open());
  EXPECT_FALSE(file.Commit());
}

}  // namespace
}  // namespace leaf
