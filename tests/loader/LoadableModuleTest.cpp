// Loading the program's own modules: every way a module file can be wrong
// gives a clear reason and no crash; the modules the build made load.
#include <gtest/gtest.h>

#include "app/LabelDrawingCalls.h"
#include "loader/LoadableModule.h"
#include "ocr/OcrCalls.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

const std::string kModuleDir = LEAF_MODULE_DIR;

TEST(LoadableModuleTest, TheBuildsModulesLoadAndGiveTheirCalls) {
  for (const auto& [file, entry, version] :
       {std::tuple{kOcrModuleFile, kOcrModuleEntry, kOcrModuleVersion},
        std::tuple{kLabelModuleFile, kLabelModuleEntry, kLabelModuleVersion}}) {
    const LoadedModule byPath = LoadModuleFile(kModuleDir + "/" + file, entry, version);
    EXPECT_NE(byPath.calls, nullptr) << byPath.error;
    // Found where the build put it; loading again gives the same table.
    const LoadedModule found = LoadModule(file, entry, version);
    EXPECT_EQ(found.calls, byPath.calls) << found.error;
  }
}

TEST(LoadableModuleTest, AWrongModuleFileGivesTheReason) {
  test::TempDir dir;
  test::WriteText(dir.file("not-a-library.so"), "plain text, not a shared object\n");
  const std::string ocr = kModuleDir + "/" + kOcrModuleFile;
  const struct {
    std::string path;
    const char* entry;
    unsigned version;
    const char* reason;  // part of the error
  } cases[] = {
      {dir.file("missing.so"), kOcrModuleEntry, kOcrModuleVersion, "No such file"},
      {dir.file("not-a-library.so"), kOcrModuleEntry, kOcrModuleVersion, "not-a-library.so"},
      {kOcrModuleFile, kOcrModuleEntry, kOcrModuleVersion, "is not a path to a module"},
      {ocr, kLabelModuleEntry, kLabelModuleVersion, "is not a module of this program"},
      {ocr, kOcrModuleEntry, kOcrModuleVersion + 1, "is from another version of this program"},
  };
  for (const auto& c : cases) {
    const LoadedModule loaded = LoadModuleFile(c.path, c.entry, c.version);
    EXPECT_EQ(loaded.calls, nullptr) << c.path;
    EXPECT_NE(loaded.error.find(c.reason), std::string::npos) << c.path << ": " << loaded.error;
  }
}

TEST(LoadableModuleTest, AModuleFoundNowhereSaysWhereItWasLookedFor) {
  const std::vector<std::string> directories = ModuleDirectories();
  ASSERT_FALSE(directories.empty());
  EXPECT_EQ(directories.back(), kModuleDir);
  const LoadedModule loaded = LoadModule("libleafsmith-nothing.so", "entry", 1);
  EXPECT_EQ(loaded.calls, nullptr);
  EXPECT_NE(loaded.error.find("libleafsmith-nothing.so is not installed (looked in "),
            std::string::npos)
      << loaded.error;
  EXPECT_NE(loaded.error.find(kModuleDir), std::string::npos) << loaded.error;

  const ModuleCalls<OcrCalls> typed =
      TypedModuleCalls<OcrCalls>(loaded, "Text recognition is not available");
  EXPECT_EQ(typed.calls, nullptr);
  EXPECT_TRUE(typed.error.starts_with("Text recognition is not available: libleafsmith-nothing"))
      << typed.error;
}

}  // namespace
}  // namespace leaf
