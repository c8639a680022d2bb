#include <gtest/gtest.h>

#include <thread>

#include "multi/ConversionLog.h"
#include "multi/TimeEstimate.h"

namespace leaf {
namespace {

TEST(TimeEstimate, ScalesTheElapsedTimeByTheBytesDone) {
  // Three files of 100, 100 and 200 bytes, 10 s after the first.
  TimeEstimate estimate = EstimateTime(10, 400, 100);
  EXPECT_TRUE(estimate.known);
  EXPECT_EQ(estimate.total, 40);
  EXPECT_EQ(estimate.left, 30);
  EXPECT_FALSE(EstimateTime(10, 400, 0).known);
  // Huge archives: no overflow.
  estimate = EstimateTime(100000, 4'000'000'000'000LL, 1'000'000'000'000LL);
  EXPECT_EQ(estimate.total, 400000);
  EXPECT_EQ(ElapsedAndLeftText(3725, EstimateTime(3725, 2, 1)),
            "Elapsed: 1:02:05   Time left: 1:02:05");
  EXPECT_EQ(ElapsedAndLeftText(5, {}), "Elapsed: 0:00:05   Time left: ");
}

TEST(ConversionLog, KeepsTheLatestThousandEntries) {
  ConversionLog log;
  for (int i = 1; i <= 1001; ++i) {
    ConversionLogEntry entry;
    entry.inputName = "file" + std::to_string(i);
    log.Append(entry);
  }
  EXPECT_EQ(log.count(), 1001u);
  const std::vector<ConversionLogEntry> rows = log.Snapshot();
  ASSERT_EQ(rows.size(), 1000u);
  EXPECT_EQ(rows[0].inputName, "file1001") << "the 1001st overwrites the first slot";
  EXPECT_EQ(rows[1].inputName, "file2");
  log.Purge();
  EXPECT_EQ(log.count(), 0u);
  EXPECT_TRUE(log.Snapshot().empty());
}

TEST(ConversionLog, CopiesHoldWholeEntriesWhileAnotherThreadAppends) {
  ConversionLog log;
  std::thread writer([&] {
    for (int i = 0; i < 3000; ++i) {
      ConversionLogEntry entry;
      entry.inputName = std::string(200, static_cast<char>('a' + i % 26));
      entry.outputName = entry.inputName;
      entry.width = i;
      entry.height = i;
      log.Append(entry);
    }
  });
  for (int i = 0; i < 200; ++i) {
    for (const ConversionLogEntry& row : log.Snapshot()) {
      ASSERT_EQ(row.inputName, row.outputName);
      ASSERT_EQ(row.width, row.height);
    }
  }
  writer.join();
  EXPECT_EQ(log.count(), 3000u);
}

}  // namespace
}  // namespace leaf
