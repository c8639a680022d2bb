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

// The phase is announced at 0, then every row whose percentage is a
// multiple of five: 7 rows give 14, 28, 42, 57, 71, 85, 100.
TEST(RowProgressTest, AnnouncesThePhaseThenReportsMultiplesOfFive) {
  EXPECT_EQ(Collect(7), (std::vector<std::pair<std::string, int>>{
                            {"Saving", 0}, {"Saving", 85}, {"Saving", 100}}));
  const auto calls = Collect(1000);
  ASSERT_EQ(calls.size(), 21u);
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].second, static_cast<int>(5 * i));
  // Without a callback the rows pass silently.
  DibImage image;
  RowProgress progress(image, "Saving", 10);
  for (int i = 0; i < 10; ++i) progress.Row();
}

}  // namespace
}  // namespace leaf
