#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "image/Progress.h"

namespace leaf {
namespace {

std::vector<std::pair<std::string, int>> Collect(int rows) {
  std::vector<std::pair<std::string, int>> calls;
  DibImage image;
  image.SetProgressCallback(
      [&](const char* text, int percent) { calls.emplace_back(text, percent); });
  RowProgress progress(image, "Saving", rows);
  for (int i = 0; i < rows; ++i) progress.Row();
  return calls;
}

TEST(RowProgressTest, AnnouncesThePhaseThenReportsMultiplesOfFive) {
  const auto calls = Collect(7);
  // 7 rows: 14, 28, 42, 57, 71, 85, 100 -> only 85 and 100 are multiples of 5.
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], std::make_pair(std::string("Saving"), 0));
  EXPECT_EQ(calls[1].second, 85);
  EXPECT_EQ(calls[2].second, 100);
}

TEST(RowProgressTest, ReportsEveryFivePercentOnTallImages) {
  const auto calls = Collect(1000);
  ASSERT_EQ(calls.size(), 21u);
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].second, static_cast<int>(5 * i));
}

TEST(RowProgressTest, SilentWithoutCallback) {
  DibImage image;
  RowProgress progress(image, "Saving", 10);
  for (int i = 0; i < 10; ++i) progress.Row();
  SUCCEED();
}

}  // namespace
}  // namespace leaf
