#include "DesktopFixtures.h"

#include <gtest/gtest.h>

#include "formats/SaveImageFile.h"

namespace leaf::test {

std::string WriteBmpPage(const TempDir& dir, const std::string& name, const BmpRecipe& recipe) {
  const std::string path = dir.file(name);
  WriteBytes(path, MakeBmpFile(recipe));
  return path;
}

std::string WriteGrayPage(const TempDir& dir, const std::string& name, int width, int height) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.pixel = [](int x, int y) { return uint32_t((y / 10) % 3 == 0 && x % 17 < 12 ? 20 : 230); };
  return WriteBmpPage(dir, name, recipe);
}

std::string WriteCompoundDjvu(const TempDir& dir) {
  DibImage image;
  BmpRecipe recipe;
  recipe.width = 300;
  recipe.height = 200;
  recipe.bits = 24;
  recipe.pixel = [](int x, int y) {
    return uint32_t((y / 12) % 2 == 0 && x % 23 < 15 ? 0x101010 : 0xE0C080 + (x & 0x1F));
  };
  MakeImage(image, recipe);
  const std::string path = dir.file("compound.djvu");
  EXPECT_TRUE(SaveImageFile(path, kFileDjvu, image));
  return path;
}

}  // namespace leaf::test
