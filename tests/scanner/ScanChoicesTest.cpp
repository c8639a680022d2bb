#include <gtest/gtest.h>

#include "scanner/ScanChoices.h"

namespace leaf::scan {
namespace {

TEST(ScanChoices, ModeNamesOfRealDevicesAreSorted) {
  const std::pair<const char*, const char*> cases[] = {
      {"Color", "color"},     {"24bit Color", "color"}, {"Colour", "color"},
      {"Gray", "gray"},       {"True Gray", "gray"},    {"Grayscale", "gray"},
      {"Lineart", "lineart"}, {"Binary", "lineart"},    {"Black & White", "lineart"},
      {"Halftone", ""},       {"Color Lineart", ""},    {"Gray[Error Diffusion]", ""},
      {"Color Halftone", ""}, {"Infrared", ""},
  };
  for (const auto& [name, kind] : cases) EXPECT_EQ(ModeKind(name), kind) << name;
}

TEST(ScanChoices, ARequestFindsTheDevicesOwnModeName) {
  const std::vector<std::string> brother = {"Black & White", "Gray[Error Diffusion]", "True Gray",
                                            "24bit Color"};
  EXPECT_EQ(FindModeValue(brother, "gray"), "True Gray");
  EXPECT_EQ(FindModeValue(brother, "grey"), "True Gray");
  EXPECT_EQ(FindModeValue(brother, "lineart"), "Black & White");
  EXPECT_EQ(FindModeValue(brother, "colour"), "24bit Color");
  EXPECT_EQ(FindModeValue(brother, "gray[error diffusion]"), "Gray[Error Diffusion]");
  const std::vector<std::string> plain = {"16bit Gray", "Gray", "Color"};
  EXPECT_EQ(FindModeValue(plain, "gray"), "Gray") << "the plain name first";
  EXPECT_EQ(FindModeValue(plain, "lineart"), "");
  EXPECT_EQ(FindModeValue(plain, "sepia"), "");
}

TEST(ScanChoices, FeederAndFlatbedSourcesAreFound) {
  const std::vector<std::string> epson = {"Flatbed", "ADF Front", "ADF Duplex"};
  EXPECT_EQ(FindSourceValue(epson, "adf"), "ADF Front");
  EXPECT_EQ(FindSourceValue(epson, "feeder"), "ADF Front");
  EXPECT_EQ(FindSourceValue(epson, "flatbed"), "Flatbed");
  EXPECT_EQ(FindSourceValue(epson, "adf duplex"), "ADF Duplex");
  const std::vector<std::string> test = {"Flatbed", "Automatic Document Feeder"};
  EXPECT_EQ(FindSourceValue(test, "adf"), "Automatic Document Feeder");
  const std::vector<std::string> other = {"Normal", "Transparency Unit"};
  EXPECT_EQ(FindSourceValue(other, "flatbed"), "Normal");
  EXPECT_EQ(FindSourceValue(other, "adf"), "");
  EXPECT_TRUE(IsFeederSource("ADF Duplex"));
  EXPECT_FALSE(IsFeederSource("Transparency Unit"));
}

}  // namespace
}  // namespace leaf::scan
