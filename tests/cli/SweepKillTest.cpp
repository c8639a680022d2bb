// A real sweeper process killed with SIGKILL at random moments and started
// again, over and over: every file must come out converted exactly once and
// archived.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "formats/ImageFiles.h"
#include "tests/support/PnmFixtures.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace leaf {
namespace {

using test::AllFilesBelow;

pid_t StartSweeper(const test::TempDir& dir, bool once) {
  std::vector<std::string> arguments = {LEAF_CLI_PATH,
                                        "--settings",
                                        dir.file("none.ini"),
                                        "sweep",
                                        "--to",
                                        "pnm",
                                        "--settle",
                                        "0",
                                        "--in",
                                        dir.file("in"),
                                        "--out",
                                        dir.file("out"),
                                        "--archive",
                                        dir.file("archive")};
  if (once) arguments.push_back("--once");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, LEAF_CLI_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

// The pixel bytes of a PGM file (what follows its header).
std::vector<uint8_t> Pixels(const std::string& path, size_t count) {
  const std::vector<uint8_t> bytes = test::ReadBytes(path);
  if (bytes.size() < count) return {};
  return std::vector<uint8_t>(bytes.end() - static_cast<long>(count), bytes.end());
}

TEST(SweepKill, EveryFileConvertedExactlyOnceDespiteKills) {
  test::TempDir dir;
  constexpr int kFiles = 200, kWidth = 64, kHeight = 48;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "in/" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".pgm";
    test::WriteGrayPgm(dir.file(name), i, kWidth, kHeight);
  }
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  // Short lives, so that even a fast machine is interrupted many times over
  // the 200 files.
  std::uniform_int_distribution<int> delay(5, 120);
  int kills = 0;
  for (int round = 0; round < 200; ++round) {
    if (AllFilesBelow(dir.file("archive/finished")).size() == kFiles) break;
    const pid_t pid = StartSweeper(dir, false);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    kills += WIFSIGNALED(status);
  }
  const pid_t last = StartSweeper(dir, true);
  ASSERT_GT(last, 0);
  int status = 0;
  waitpid(last, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GE(kills, 2);

  EXPECT_TRUE(AllFilesBelow(dir.file("in")).empty());
  const auto names = [](const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) {
      if (file.find('.') != file.rfind('.') || file.find('-') != std::string::npos) {
        text += file + " ";
      }
    }
    return text;
  };
  const std::vector<std::string> pending = AllFilesBelow(dir.file("archive/pending"));
  EXPECT_TRUE(pending.empty()) << "markers and files gone: " << names(pending);
  const std::vector<std::string> outputs = AllFilesBelow(dir.file("out"));
  EXPECT_EQ(outputs.size(), static_cast<size_t>(kFiles))
      << "no hidden leftovers, no doubles: " << names(outputs);
  EXPECT_EQ(AllFilesBelow(dir.file("archive/finished")).size(), static_cast<size_t>(kFiles));
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = std::to_string(i % 7) + "/f" + std::to_string(i) + ".pgm";
    EXPECT_EQ(Pixels(dir.file("out/" + name), kWidth * kHeight),
              Pixels(dir.file("archive/finished/" + name), kWidth * kHeight))
        << name;
  }
}

}  // namespace
}  // namespace leaf
