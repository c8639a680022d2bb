// Pages the desktop tests open: written as files, as the program reads them.
#pragma once

#include <string>

#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf::test {

// A 300-dpi gray page with a few dark bars, written as a BMP file.
std::string WriteGrayPage(const TempDir& dir, const std::string& name, int width = 120,
                          int height = 90);

// A BMP file of the recipe.
std::string WriteBmpPage(const TempDir& dir, const std::string& name, const BmpRecipe& recipe);

// A compound DjVu page (text on a coloured background, 300 x 200) made by our
// own saver.
std::string WriteCompoundDjvu(const TempDir& dir);

}  // namespace leaf::test
