#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "formats/ImageFiles.h"
#include "image/Messages.h"
#include "multi/BatchRunner.h"
#include "tests/support/PnmFixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

using test::AllFilesBelow;
using test::FileExists;
using test::TempDir;

ConversionSettings ToType(FileTypeCode type) {
  ConversionSettings settings;
  settings.outputType = type;
  return settings;
}

TEST(ConvertFile, TakenNamesGetNumbersAndTheThumbnailFollows) {
  TempDir dir;
  test::WriteGrayPgm(dir.file("in/a.pgm"), 1, 40, 20);
  std::filesystem::create_directories(dir.file("out"));
  test::WriteText(dir.file("out/a.bmp"), "older");
  ConversionSettings settings = ToType(kFileBmp);
  settings.addThumbnails = true;
  settings.thumbnail = {2, 10, 7, 1};  // fits 10 x 7
  ConversionResult result = ConvertFile(dir.file("in/a.pgm"), dir.file("out/a.pgm"), settings);
  EXPECT_EQ(result.status, 0) << result.message;
  EXPECT_EQ(result.outputPath, dir.file("out/a-1.bmp"));
  EXPECT_EQ(result.thumbnailPath, dir.file("out/a.jpg"));
  EXPECT_GT(result.outputSize, 0);
  DibImage thumbnail;
  ASSERT_TRUE(ReadImageFile(thumbnail, result.thumbnailPath, kFileJpeg));
  EXPECT_EQ(thumbnail.raster.width, 10);
  EXPECT_EQ(thumbnail.raster.height, 5);

  // Again: the thumbnail takes a numbered name too; nothing hidden is left.
  result = ConvertFile(dir.file("in/a.pgm"), dir.file("out/a.pgm"), settings);
  EXPECT_EQ(result.outputPath, dir.file("out/a-2.bmp"));
  EXPECT_EQ(result.thumbnailPath, dir.file("out/a-1.jpg"));
  EXPECT_EQ(AllFilesBelow(dir.file("out")),
            (std::vector<std::string>{"a-1.bmp", "a-1.jpg", "a-2.bmp", "a.bmp", "a.jpg"}));

  settings.replaceExisting = true;
  settings.addThumbnails = false;
  result = ConvertFile(dir.file("in/a.pgm"), dir.file("out/a.pgm"), settings);
  EXPECT_EQ(result.outputPath, dir.file("out/a.bmp"));
  EXPECT_GT(test::ReadBytes(dir.file("out/a.bmp")).size(), 5u) << "replaced";
}

TEST(ConvertFile, ThumbnailsOnlyAndJpegOutputsKeepApart) {
  TempDir dir;
  test::WriteColourPpm(dir.file("c.ppm"));
  ConversionSettings settings = ToType(kFileJpeg);
  settings.addThumbnails = true;
  ConversionResult result = ConvertFile(dir.file("c.ppm"), dir.file("out/c.ppm"), settings);
  EXPECT_EQ(result.outputPath, dir.file("out/c.jpg"));
  EXPECT_EQ(result.thumbnailPath, dir.file("out/c-1.jpg"));

  settings.thumbnailsOnly = true;
  result = ConvertFile(dir.file("c.ppm"), dir.file("thumbs/c.ppm"), settings);
  EXPECT_TRUE(result.outputPath.empty());
  EXPECT_EQ(AllFilesBelow(dir.file("thumbs")), std::vector<std::string>{"c.jpg"});
}

TEST(ConvertFile, FailuresSetTheirStatusAndWriteNothing) {
  TempDir dir;
  test::WriteText(dir.file("broken.pgm"), "P5\n99999 99999\n255\n");
  test::WriteText(dir.file("notes.txt"), "text");
  test::WriteGrayPgm(dir.file("good.pgm"), 3);
  ConversionSettings settings = ToType(kFileDjvu);
  ConversionResult result =
      ConvertFile(dir.file("broken.pgm"), dir.file("out/broken.pgm"), settings);
  EXPECT_EQ(result.status, kConversionLoadFailed);
  EXPECT_FALSE(result.message.empty());
  result = ConvertFile(dir.file("notes.txt"), dir.file("out/notes.txt"), settings);
  EXPECT_TRUE(result.unreadableType);

  settings.prepare = [](DibImage&, const std::string& path) {
    SetMessage("no label for %s", path.c_str());
    return false;
  };
  result = ConvertFile(dir.file("good.pgm"), dir.file("out/good.pgm"), settings);
  EXPECT_EQ(result.status, kConversionPrepareFailed);
  EXPECT_NE(result.message.find("no label for"), std::string::npos);
  EXPECT_TRUE(AllFilesBelow(dir.path() + "/out").empty());
}

TEST(RunBatch, EveryWorkerCountConvertsEveryFileOnce) {
  for (int workers : {1, 3}) {
    TempDir dir;
    BatchJob job;
    for (int i = 0; i < 9; ++i) {
      const std::string path = dir.file("in/p" + std::to_string(i) + ".pgm");
      test::WriteGrayPgm(path, i);
      job.inputs.push_back(BatchInputFor(path));
    }
    // Namesakes with other extensions map to the same output name.
    test::WriteColourPpm(dir.file("in/p0.ppm"));
    job.inputs.push_back(BatchInputFor(dir.file("in/p0.ppm")));
    test::WriteText(dir.file("in/p1.bmp"), "BMnot really");
    job.inputs.push_back(BatchInputFor(dir.file("in/p1.bmp")));
    job.outputFolder = dir.file("out");
    job.settings = ToType(kFileBmp);
    job.workers = workers;
    std::set<size_t> reported;
    size_t failures = 0;
    BatchEvents events;
    events.finished = [&](size_t index, const ConversionResult& result) {
      EXPECT_TRUE(reported.insert(index).second);
      failures += result.status != 0;
    };
    std::atomic<bool> stop{false};
    const BatchSummary summary = RunBatch(job, events, stop);
    EXPECT_EQ(summary.finished, 11u);
    EXPECT_EQ(summary.converted, 10u);
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_EQ(failures, 1u);
    EXPECT_FALSE(summary.stopped);
    const std::vector<std::string> out = AllFilesBelow(dir.file("out"));
    EXPECT_EQ(out.size(), 10u) << workers << " workers";
    EXPECT_TRUE(FileExists(dir.file("out/p0.bmp")));
    EXPECT_TRUE(FileExists(dir.file("out/p0-1.bmp")));
  }
}

TEST(RunBatch, StopIsHonouredBetweenFiles) {
  TempDir dir;
  BatchJob job;
  for (int i = 0; i < 6; ++i) {
    const std::string path = dir.file("p" + std::to_string(i) + ".pgm");
    test::WriteGrayPgm(path, i);
    job.inputs.push_back(BatchInputFor(path));
  }
  job.outputFolder = dir.file("out");
  job.settings = ToType(kFilePnm);
  job.workers = 1;
  std::atomic<bool> stop{false};
  BatchEvents events;
  events.finished = [&](size_t index, const ConversionResult&) {
    if (index == 1) stop = true;
  };
  const BatchSummary summary = RunBatch(job, events, stop);
  EXPECT_TRUE(summary.stopped);
  EXPECT_EQ(summary.finished, 2u);
  EXPECT_EQ(AllFilesBelow(dir.file("out")), (std::vector<std::string>{"p0.pgm", "p1.pgm"}));
}

TEST(RunBatch, ReadableFilesInAFolder) {
  TempDir dir;
  test::WriteGrayPgm(dir.file("b.pgm"), 1);
  test::WriteGrayPgm(dir.file("a.PGM"), 1);
  test::WriteGrayPgm(dir.file(".hidden.pgm"), 1);
  test::WriteText(dir.file("notes.txt"), "x");
  std::filesystem::create_directories(dir.file("sub.pgm"));
  std::vector<std::string> names;
  for (const BatchInput& input : ReadableFilesIn(dir.path())) {
    names.push_back(std::filesystem::path(input.path).filename().string());
    EXPECT_GT(input.bytes, 0);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a.PGM", "b.pgm"}));
}

}  // namespace
}  // namespace leaf
