#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "formats/AtomicFile.h"
#include "formats/SaveImageFile.h"
#include "image/Messages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

bool WriteFile(const std::string& path, const std::string& text) {
  AtomicFile file(path);
  return file.Open() && file.Write(text.data(), text.size()) && file.Commit();
}

// Runs body in a child process with named (or unnamed) temporaries; the
// child is expected to die of the signal it raises.
void DieWhileWriting(const std::string& path, bool named, int signal) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("LEAFSMITH_NAMED_TEMPORARIES", named ? "1" : "0", 1);
    RemoveTemporariesOnSignals();
    AtomicFile file(path);
    if (!file.Open() || !file.Write("half", 4)) _exit(3);
    std::fflush(file.stream());
    raise(signal);
    _exit(4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), signal);
}

TEST(AtomicFileTest, CommitReplacesTheTargetKeepingItsPermissions) {
  for (const char* named : {"0", "1"}) {
    setenv("LEAFSMITH_NAMED_TEMPORARIES", named, 1);
    test::TempDir dir;
    const std::string path = dir.file("out.bin");
    test::WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    AtomicFile file(path);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new contents", 12));
    EXPECT_EQ(test::ReadBytes(path).size(), 3u);  // untouched until commit
    ASSERT_TRUE(file.Commit()) << file.Reason();
    EXPECT_EQ(test::ReadBytes(path).size(), 12u);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
  }
  unsetenv("LEAFSMITH_NAMED_TEMPORARIES");
}

TEST(AtomicFileTest, InterruptedWritesLeaveNothingBehind) {
  test::TempDir dir;
  const std::string path = dir.file("keep.bin");
  test::WriteText(path, "precious");
  {
    AtomicFile file(path);
    ASSERT_TRUE(file.Open());
    file.Write("half", 4);
  }  // abandoned
  // Killed outright: an unnamed temporary disappears with the process; a
  // named one is removed when the signal can be caught.
  DieWhileWriting(path, false, SIGKILL);
  DieWhileWriting(path, true, SIGTERM);
  DieWhileWriting(path, true, SIGINT);
  DieWhileWriting(dir.file("new.bin"), false, SIGKILL);
  EXPECT_EQ(test::ReadBytes(path).size(), 8u);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFileTest, LinksDevicesAndLongNames) {
  test::TempDir dir;
  // A symbolic link stays a link; its target gets the new contents.
  const std::string target = dir.file("target.bin");
  test::WriteText(target, "old");
  const std::string link = dir.file("link.bin");
  ASSERT_EQ(symlink("target.bin", link.c_str()), 0);
  ASSERT_TRUE(WriteFile(link, "through the link"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::ReadBytes(target).size(), 16u);

  // A device is written into and stays a device.
  ASSERT_TRUE(WriteFile("/dev/null", "gone"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  AtomicFile full("/dev/full");
  ASSERT_TRUE(full.Open());
  std::string big(1 << 16, 'x');
  EXPECT_FALSE(full.Write(big.data(), big.size()) && full.Commit());
  EXPECT_STREQ(full.Reason(), "No space left on device");

  // A FIFO is written into.
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::FILE* in = std::fopen(fifo.c_str(), "rb");
    for (int c; in && (c = std::fgetc(in)) != EOF;) received += static_cast<char>(c);
    if (in) std::fclose(in);
  });
  EXPECT_TRUE(WriteFile(fifo, "through the pipe"));
  reader.join();
  EXPECT_EQ(received, "through the pipe");

  // A name of 250 bytes leaves no room for a suffix: the temporary's is cut.
  const std::string longName(250, 'n');
  const std::string temporary = TemporaryNameFor(dir.file(longName), 123456);
  EXPECT_LE(std::filesystem::path(temporary).filename().string().size(), 255u);
  for (const char* named : {"0", "1"}) {
    setenv("LEAFSMITH_NAMED_TEMPORARIES", named, 1);
    EXPECT_TRUE(WriteFile(dir.file(longName), "long")) << named;
  }
  unsetenv("LEAFSMITH_NAMED_TEMPORARIES");
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
  EXPECT_STREQ(file.Reason(), "No such file or directory");
  EXPECT_FALSE(file.Commit());
}

TEST(AtomicFileTest, SavesKeepWriteProtectedFilesAndFoldersOfFailedSaves) {
  test::TempDir dir;
  DibImage image;
  test::MakeImage(image, test::BmpRecipe{});
  const std::string kept = dir.file("kept.bmp");
  test::WriteText(kept, "read only");
  ASSERT_EQ(chmod(kept.c_str(), 0444), 0);
  EXPECT_TRUE(IsWriteProtected(kept));
  EXPECT_FALSE(SaveImageFile(kept, kFileBmp, image));
  EXPECT_EQ(std::string(LastMessage()), kept + " is write-protected, so it was left as it is.");
  SaveParameters force;
  force.replaceProtected = true;
  EXPECT_TRUE(SaveImageFile(kept, kFileBmp, image, force)) << LastMessage();
  EXPECT_GT(test::ReadBytes(kept).size(), 9u);

  // A failed save takes the folders it made with it, and only those.
  std::filesystem::create_directory(dir.file("there"));
  DibImage empty;
  EXPECT_FALSE(SaveImageFile(dir.file("there/a/b/out.bmp"), kFileBmp, empty));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("there")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("there/a")));
  EXPECT_TRUE(SaveImageFile(dir.file("there/a/b/out.bmp"), kFileBmp, image));
}

}  // namespace
}  // namespace leaf
