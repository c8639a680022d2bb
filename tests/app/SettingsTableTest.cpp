// The settings table: its entries are consistent, and the profile store
// made from it keeps, clamps or replaces each setting as its entry says.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/SettingsTable.h"
#include "tests/support/SettingValues.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

bool HasFieldOfItsType(const SettingDescription& s) {
  const int fields = (s.integer != nullptr) + (s.decimal != nullptr) + (s.text != nullptr);
  if (fields != 1) return false;
  switch (s.type) {
    case SettingType::kGamma: return s.decimal != nullptr;
    case SettingType::kFolder:
    case SettingType::kText: return s.text != nullptr;
    default: return s.integer != nullptr;
  }
}

TEST(SettingsTableTest, KeysAndOptionsAreUniqueAndEachEntryIsWhole) {
  std::set<std::string> keys, options;
  for (const SettingDescription& s : kSettings) {
    SCOPED_TRACE(s.key);
    EXPECT_TRUE(keys.insert(s.key).second) << "key twice";
    ASSERT_NE(s.option, nullptr);
    EXPECT_EQ(std::string(s.option).rfind("--", 0), 0u);
    EXPECT_TRUE(options.insert(s.option).second) << "option twice";
    EXPECT_EQ(FindSettingOption(s.option), &s);
    EXPECT_EQ(FindSetting(s.key), &s);
    ASSERT_NE(s.help, nullptr);
    EXPECT_TRUE(HasFieldOfItsType(s));
    EXPECT_LE(s.minimum, s.maximum);
    if (s.type == SettingType::kChoice) {
      EXPECT_TRUE(std::is_sorted(s.choices.begin(), s.choices.end()));
      EXPECT_EQ(s.choices.front(), s.lowest());
      EXPECT_EQ(s.choices.back(), s.highest());
    }
  }
  EXPECT_EQ(FindSetting("NoSuchKey"), nullptr);
  EXPECT_EQ(FindSettingOption("--no-such-option"), nullptr);
}

TEST(SettingsTableTest, EveryDefaultLiesInItsRange) {
  const AppSettings defaults;
  for (const SettingDescription& s : kSettings) {
    if (s.integer) {
      EXPECT_TRUE(SettingAccepts(s, test::IntOf(s, defaults))) << s.key;
    } else if (s.decimal) {
      EXPECT_TRUE(SettingAccepts(s, test::FloatOf(s, defaults))) << s.key;
    }
  }
}

// Loading text from the profile, for every number of the table: beyond
// either end it is clamped or takes the default, as the entry says; text
// that is no number leaves the value as it was.
TEST(SettingsTableTest, StoredNumbersOutsideTheRangeAreClampedOrTakeTheDefault) {
  const AppSettings defaults;
  for (const SettingDescription& s : kSettings) {
    if (!s.integer && !s.decimal) continue;
    SCOPED_TRACE(s.key);
    AppSettings settings;
    test::SetNonDefault(s, settings);
    const std::string before = SettingValueText(s, settings);
    EXPECT_FALSE(LoadSettingText(s, "twelve", settings));
    EXPECT_EQ(SettingValueText(s, settings), before);
    const bool clamps = s.outOfRange == OutOfRange::kClamp;
    const std::string above = std::to_string(static_cast<long long>(s.maximum) + 1000);
    const std::string below = std::to_string(static_cast<long long>(s.minimum) - 1000);
    ASSERT_TRUE(LoadSettingText(s, above, settings));
    EXPECT_EQ(SettingValueText(s, settings),
              clamps ? SettingValueText(s, test::WithValue(s, s.maximum))
                     : SettingValueText(s, defaults));
    ASSERT_TRUE(LoadSettingText(s, " " + below + " ", settings));
    EXPECT_EQ(SettingValueText(s, settings),
              clamps ? SettingValueText(s, test::WithValue(s, s.minimum))
                     : SettingValueText(s, defaults));
  }
}

TEST(SettingsTableTest, AChoiceKeepsOnlyItsValues) {
  constexpr const SettingDescription& resolution = Setting("DjvuPhotoRes");
  AppSettings settings;
  ASSERT_TRUE(LoadSettingText(resolution, "150", settings));
  EXPECT_EQ(settings.djvuPhotoRes, 150);
  ASSERT_TRUE(LoadSettingText(resolution, "120", settings));  // inside 25..300, not a choice
  EXPECT_EQ(settings.djvuPhotoRes, AppSettings{}.djvuPhotoRes);
  EXPECT_EQ(SettingRangeText(resolution), "25, 50, 100, 150, 200, 300");
  EXPECT_EQ(SettingRangeText(Setting("DjvuUpsample")), "0..3");
  EXPECT_EQ(SettingRangeText(Setting("Iw44PhotoGamma")), "0.1..10.0");
  EXPECT_EQ(SettingRangeText(Setting("TextContent")), "");
}

TEST(SettingsTableTest, EverySettingSurvivesTheProfile) {
  test::TempDir dir;
  const std::string path = dir.file("all.ini");
  AppSettings written = AppSettings::Defaults("/d");
  for (const SettingDescription& s : kSettings) test::SetNonDefault(s, written);
  ASSERT_TRUE(SaveSettings(written, path));
  const AppSettings read = LoadSettings(path, "/d");
  for (const SettingDescription& s : kSettings) {
    EXPECT_EQ(SettingValueText(s, read), SettingValueText(s, written)) << s.key;
  }
}

}  // namespace
}  // namespace leaf
