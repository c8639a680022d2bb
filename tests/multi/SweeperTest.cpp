#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "multi/Sweeper.h"
#include "tests/support/PnmFixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::AllFilesBelow;
using test::FileExists;
using test::TempDir;

struct SweepPlace {
  TempDir dir;
  SweepFolders folders{dir.file("in"), dir.file("out"), dir.file("archive")};
  ConversionLog log;
  std::atomic<bool> stop{false};

  ConversionSettings Settings(FileTypeCode type = kFileBmp) const {
    ConversionSettings settings;
    settings.outputType = type;
    return settings;
  }
  size_t Cycle(SweepEvents events = {}, FileTypeCode type = kFileBmp) {
    Sweeper sweeper(folders, Settings(type), log, std::move(events));
    EXPECT_TRUE(sweeper.PrepareFolders());
    return sweeper.RunCycle(stop);
  }
  std::vector<std::string> Files(const std::string& folder) const {
    return AllFilesBelow(dir.file(folder));
  }
};

TEST(Sweeper, SubfoldersKeepTheirPlaceAndEmptyOnesGo) {
  SweepPlace place;
  test::WriteGrayPgm(place.dir.file("in/a/b.pgm"), 1);
  EXPECT_EQ(place.Cycle(), 1u);
  EXPECT_EQ(place.Files("out"), std::vector<std::string>{"a/b.bmp"});
  EXPECT_EQ(place.Files("archive"), std::vector<std::string>{"finished/a/b.pgm"});
  EXPECT_FALSE(std::filesystem::exists(place.dir.file("in/a")));
  EXPECT_FALSE(std::filesystem::exists(place.dir.file("archive/pending/a")));
  EXPECT_TRUE(std::filesystem::exists(place.dir.file("in")));
  ASSERT_EQ(place.log.count(), 1u);
  const ConversionLogEntry entry = place.log.Snapshot()[0];
  EXPECT_EQ(entry.inputName, "a/b.pgm");
  EXPECT_EQ(entry.outputName, "b.bmp");
  EXPECT_EQ(entry.status, 0);
  EXPECT_GT(entry.outputSize, 0);
  EXPECT_EQ(entry.width, 8);
  EXPECT_EQ(entry.bitsPerPixel, 8);
}

TEST(Sweeper, NameOrderNumberedOutputsUnknownAndBrokenFiles) {
  SweepPlace place;
  test::WriteGrayPgm(place.dir.file("in/B.pgm"), 1);
  test::WriteGrayPgm(place.dir.file("in/a.pgm"), 2);
  test::WriteGrayPgm(place.dir.file("in/x.pgm"), 3);
  test::WriteText(place.dir.file("in/notes.txt"), "x");
  test::WriteText(place.dir.file("in/y.pgm"), "P5\n1 1\n");
  test::WriteText(place.dir.file("in/.incoming.pgm"), "being written");
  std::filesystem::create_directories(place.dir.file("out"));
  test::WriteText(place.dir.file("out/x.bmp"), "earlier");
  std::vector<std::string> order;
  SweepEvents events;
  events.converted = [&](const ConversionLogEntry& entry) { order.push_back(entry.inputName); };
  place.Cycle(std::move(events));
  EXPECT_EQ(order, (std::vector<std::string>{"a.pgm", "B.pgm", "x.pgm", "y.pgm"}));
  EXPECT_EQ(place.Files("out"), (std::vector<std::string>{"B.bmp", "a.bmp", "x-1.bmp", "x.bmp"}));
  EXPECT_EQ(place.Files("in"), std::vector<std::string>{".incoming.pgm"});
  EXPECT_TRUE(FileExists(place.dir.file("archive/finished/notes.txt")));
  EXPECT_TRUE(FileExists(place.dir.file("archive/finished/y.pgm")));
  const std::vector<ConversionLogEntry> rows = place.log.Snapshot();
  ASSERT_EQ(rows.size(), 4u) << "no entry for the unknown type";
  EXPECT_EQ(rows[3].status, kConversionLoadFailed);
  EXPECT_TRUE(rows[3].outputName.empty());
}

TEST(Sweeper, ArchivedNamesesakesAreKept) {
  SweepPlace place;
  test::WriteGrayPgm(place.dir.file("in/p.pgm"), 1);
  place.Cycle();
  test::WriteGrayPgm(place.dir.file("in/p.pgm"), 2);
  place.Cycle();
  EXPECT_EQ(place.Files("archive"),
            (std::vector<std::string>{"finished/p-1.pgm", "finished/p.pgm"}));
  EXPECT_EQ(place.Files("out"), (std::vector<std::string>{"p-1.bmp", "p.bmp"}));
}

// Stopping the worker after each step of a file's way is what a kill at that
// moment leaves; a new sweeper must then finish the file exactly once.
TEST(Sweeper, RestartAfterAKillAtEveryStepConvertsExactlyOnce) {
  const SweepStep steps[] = {SweepStep::Claimed, SweepStep::Written,          SweepStep::Linked,
                             SweepStep::Marked,  SweepStep::TemporaryRemoved, SweepStep::Archived};
  for (SweepStep killedAt : steps) {
    SCOPED_TRACE(static_cast<int>(killedAt));
    SweepPlace place;
    for (const char* name : {"a.pgm", "sub/b.pgm", "c.pgm"}) {
      test::WriteGrayPgm(place.dir.file(std::string("in/") + name), name[0]);
    }
    bool killed = false;
    SweepEvents events;
    events.afterStep = [&](SweepStep step, const std::string& relative) {
      if (step != killedAt || relative != "sub/b.pgm" || killed) return true;
      killed = true;
      return false;
    };
    events.status = [](const std::string&) {};
    place.Cycle(std::move(events), kFilePnm);
    ASSERT_TRUE(killed);
    place.Cycle({}, kFilePnm);
    EXPECT_EQ(place.Files("out"), (std::vector<std::string>{"a.pgm", "c.pgm", "sub/b.pgm"}));
    EXPECT_EQ(place.Files("archive"),
              (std::vector<std::string>{"finished/a.pgm", "finished/c.pgm", "finished/sub/b.pgm"}));
    EXPECT_TRUE(place.Files("in").empty());
  }
}

TEST(Sweeper, AFileInHandElsewhereIsPassedOver) {
  SweepPlace place;
  test::WriteGrayPgm(place.dir.file("archive/pending/held.pgm"), 1);
  {
    FileClaim other;
    ASSERT_TRUE(other.Take(place.dir.file("archive/pending/held.pgm")));
    EXPECT_EQ(place.Cycle(), 0u);
    EXPECT_TRUE(place.Files("out").empty());
  }
  EXPECT_EQ(place.Cycle(), 1u) << "once its holder is gone the file is taken up";
  EXPECT_EQ(place.Files("out"), std::vector<std::string>{"held.bmp"});
}

TEST(Sweeper, TwoSweepersOnOneFolderConvertEachFileOnce) {
  SweepPlace place;
  constexpr int kFiles = 40;
  for (int i = 0; i < kFiles; ++i) {
    test::WriteGrayPgm(place.dir.file("in/f" + std::to_string(i) + ".pgm"), i);
  }
  ConversionLog otherLog;
  Sweeper first(place.folders, place.Settings(), place.log);
  Sweeper second(place.folders, place.Settings(), otherLog);
  ASSERT_TRUE(first.PrepareFolders());
  std::thread other([&] { second.RunCycle(place.stop); });
  first.RunCycle(place.stop);
  other.join();
  first.RunCycle(place.stop);  // anything passed over while the other held it
  EXPECT_EQ(place.log.count() + otherLog.count(), static_cast<size_t>(kFiles));
  EXPECT_EQ(place.Files("out").size(), static_cast<size_t>(kFiles));
  EXPECT_EQ(place.Files("archive").size(), static_cast<size_t>(kFiles));
  for (const std::string& name : place.Files("out")) {
    EXPECT_EQ(name.find('-'), std::string::npos) << name << " converted twice";
  }
}

TEST(Sweeper, StopIsHonouredBetweenFiles) {
  SweepPlace place;
  for (int i = 0; i < 5; ++i) {
    test::WriteGrayPgm(place.dir.file("in/f" + std::to_string(i) + ".pgm"), i);
  }
  SweepEvents events;
  events.converted = [&](const ConversionLogEntry&) { place.stop = true; };
  EXPECT_EQ(place.Cycle(std::move(events)), 1u);
  EXPECT_EQ(place.Files("in").size(), 4u);
}

}  // namespace
}  // namespace leaf
