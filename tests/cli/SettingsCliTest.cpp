// The command line's setting options, which are made from the settings
// table: every setting has one, it writes what it is given, and it refuses
// what lies outside the setting's range.
#include <gtest/gtest.h>

#include "app/SettingsTable.h"
#include "tests/support/RunCli.h"
#include "tests/support/SettingValues.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::Contains;
using test::Quote;
using test::RunCli;

// The option that sets the setting to its value in the settings.
std::string OptionFor(const SettingDescription& s, const AppSettings& settings) {
  const std::string option = s.option;
  if (s.type == SettingType::kSwitch) return option + "=" + SettingValueText(s, settings);
  if (s.integer) return option + " " + std::to_string(test::IntOf(s, settings));
  return option + " " + Quote(SettingValueText(s, settings));
}

TEST(SettingsCliTest, EverySettingHasAnOptionThatWritesIt) {
  test::TempDir dir;
  const std::string ini = dir.file("all.ini");
  AppSettings wanted;
  std::string options;
  for (const SettingDescription& s : kSettings) {
    test::SetNonDefault(s, wanted);
    options += " " + OptionFor(s, wanted);
  }
  const auto r = RunCli("--settings " + Quote(ini) + " settings --write" + options);
  ASSERT_EQ(r.status, 0) << r.err;
  const AppSettings written = LoadSettings(ini, "/home");
  for (const SettingDescription& s : kSettings) {
    EXPECT_EQ(SettingValueText(s, written), SettingValueText(s, wanted)) << s.key;
    EXPECT_TRUE(Contains(r.out, std::string(s.key) + "=" + SettingValueText(s, wanted))) << s.key;
  }
}

TEST(SettingsCliTest, HelpListsEveryOptionWithItsRange) {
  const std::string settingsHelp = RunCli("settings --help").out;
  const std::string convertHelp = RunCli("convert --help").out;
  for (const SettingDescription& s : kSettings) {
    SCOPED_TRACE(s.key);
    EXPECT_TRUE(Contains(settingsHelp, s.option));
    EXPECT_TRUE(Contains(settingsHelp, SettingRangeText(s)));
    EXPECT_EQ(Contains(convertHelp, std::string(s.option) + " "), s.conversion);
  }
  EXPECT_TRUE(Contains(convertHelp, "--upsample N"));
}

TEST(SettingsCliTest, ValuesOutsideTheRangeAreRefused) {
  test::TempDir dir;
  const std::string ini = dir.file("refused.ini");
  const char* refused[] = {"--quality 19",   "--quality 101",     "--bg-dpi 120",
                           "--gamma 0.05",   "--djvu-upsample 4", "--djvu-upsample -1",
                           "--lossless=2",   "--slide-delay 0",   "--sweep-type 6",
                           "--batch-dir ''", "--crcb x"};
  for (const char* option : refused) {
    SCOPED_TRACE(option);
    const auto r = RunCli("--settings " + Quote(ini) + " settings --write " + option);
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(test::FileExists(ini));
  }
  const auto r = RunCli("--settings " + Quote(ini) + " settings --bg-dpi 120");
  EXPECT_TRUE(Contains(r.err, "--bg-dpi takes one of 25, 50, 100, 150, 200, 300")) << r.err;
}

TEST(SettingsCliTest, QuickSetAppliesItsPresetAndLaterOptionsWin) {
  test::TempDir dir;
  const std::string ini = dir.file("quick.ini");
  auto r = RunCli("--settings " + Quote(ini) + " settings --write --quick-set 2 --lossless=0");
  ASSERT_EQ(r.status, 0) << r.err;
  const AppSettings s = LoadSettings(ini, "/home");
  EXPECT_EQ(s.djvuQuickSet, 2);
  EXPECT_EQ(s.djvuUpsample, 2);
  EXPECT_EQ(s.djvuNoThick, 1);
  EXPECT_EQ(s.djvuLossless, 0);
}

}  // namespace
}  // namespace leaf
