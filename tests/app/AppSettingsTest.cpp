#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "app/AppSettings.h"
#include "app/SettingsLocation.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

// section -> key -> raw text, as a person reading the file sees it.
std::map<std::string, std::map<std::string, std::string>> ParseIni(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.find(']') - 1);
    } else if (auto eq = line.find('='); eq != std::string::npos) {
      sections[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return sections;
}

// The folders start at the user's home; the Open dialog's stored type starts
// outside the type codes, which preselects "All supported image files".
TEST(AppSettingsTest, MissingFileGivesTheHomeFoldersAndTheAllTypesFilter) {
  test::TempDir dir;
  const AppSettings s = LoadSettings(dir.file("none.ini"), "/home/reader");
  EXPECT_EQ(s.lcOpenDir, "/home/reader");
  EXPECT_EQ(s.lcSaveDir, "/home/reader");
  EXPECT_EQ(s.sweepArchiveDir, "/home/reader");
  EXPECT_EQ(s.openType, 7);
}

TEST(AppSettingsTest, FirstSaveWritesACompleteFileWithGammaText) {
  test::TempDir dir;
  const std::string path = dir.file("sub/dir/Leafsmith.ini");
  ASSERT_TRUE(SaveSettings(LoadSettings(path, "/data"), path));
  auto ini = ParseIni(path);
  EXPECT_EQ(ini["General"]["DisplayGamma"], "2.2");
  EXPECT_EQ(ini["DjVu"]["DjvuPhotoGamma"], "2.2");
  EXPECT_EQ(ini["DjVu"]["DjvuOcr"], "0");
  EXPECT_EQ(ini["DjVu"]["DjvuOcrLang"], "eng");
  EXPECT_EQ(ini["IW44"]["Iw44PhotoGamma"], "2.2");
  EXPECT_EQ(ini["General"]["LCOpenDir"], "/data");
  EXPECT_EQ(ini["General"]["ImageFit"], "0");
  EXPECT_EQ(ini["JPEG"]["JpegEncodeDCT"], "0");
  EXPECT_EQ(ini["Sweep"]["SweepSaveType"], "1");
  EXPECT_EQ(ini["Text"]["TextPosition"], "8");
  EXPECT_EQ(ini["Text"]["TextFontName"], "Arial");
  size_t keys = 0;
  for (const auto& [section, values] : ini) keys += values.size();
  EXPECT_EQ(ini["Scan"]["ScanDevice"], "");
  EXPECT_EQ(ini["Scan"]["ScanResolution"], "0");
  EXPECT_EQ(keys, 19u + 16u + 3u + 5u + 4u + 13u + 4u);
}

// Every setting of the table survives the profile (the table's own test);
// here the texts an INI file could split or mangle, and the recent files,
// which are kept outside the table.
TEST(AppSettingsTest, ValuesSurviveASaveAndLoad) {
  test::TempDir dir;
  const std::string path = dir.file("Leafsmith.ini");
  AppSettings s = AppSettings::Defaults("/x");
  s.saveDir = "/tmp/with, comma";
  s.text.content = "Page %n, printed %d";
  s.recentFiles = {"/a.djvu", "/b.tif"};
  s.scanDevice = "epson2:net:192.168.1.20";
  ASSERT_TRUE(SaveSettings(s, path));
  const AppSettings back = LoadSettings(path, "/y");
  EXPECT_EQ(back.saveDir, "/tmp/with, comma");
  EXPECT_EQ(back.text.content, "Page %n, printed %d");
  EXPECT_EQ(back.lcOpenDir, "/x");
  EXPECT_EQ(back.recentFiles, s.recentFiles);
  EXPECT_EQ(back.scanDevice, s.scanDevice);
}

// Numbers beyond their range are the table's own test; here what a file
// read as a whole does with them, with a gamma that is no number, an
// overlong font name and a text with a comma.
TEST(AppSettingsTest, BadValuesAreClampedOrTakeTheirDefault) {
  test::TempDir dir;
  const std::string path = dir.file("bad.ini");
  test::WriteText(path,
                  "[General]\nImageFit=9\n[DjVu]\nDjvuPhotoGamma=nan\nDjvuForeback=300\n"
                  "[Text]\nTextFontName=" +
                      std::string(40, 'F') + "\nTextContent=Scanned on %d, page %n\n");
  const AppSettings s = LoadSettings(path, "/d");
  EXPECT_EQ(s.imageFit, 3);
  EXPECT_FLOAT_EQ(s.djvuPhotoGamma, 2.2f);
  EXPECT_EQ(s.djvuForeback, 255);
  EXPECT_EQ(s.text.fontName.size(), kMaxFontNameLength);
  EXPECT_EQ(s.text.content, "Scanned on %d, page %n");
}

TEST(AppSettingsTest, FormatChoiceAndTypeCodesMapBothWays) {
  const int types[] = {1, 2, 3, 5, 4};
  for (int choice = 0; choice < 5; ++choice) {
    EXPECT_EQ(FileTypeFromFormatChoice(choice), types[choice]);
    EXPECT_EQ(FormatChoiceFromFileType(types[choice]), choice);
  }
  EXPECT_EQ(FileTypeFromFormatChoice(-1), 99);
  EXPECT_EQ(FileTypeFromFormatChoice(5), 99);
}

TEST(SettingsLocationTest, ProfileFollowsXdgConfigHome) {
  test::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(DefaultProfilePath(), dir.path() + "/Leafsmith/Leafsmith.ini");
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  setenv("HOME", dir.path().c_str(), 1);
  EXPECT_EQ(DefaultProfilePath(), dir.path() + "/.config/Leafsmith/Leafsmith.ini");
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace leaf
