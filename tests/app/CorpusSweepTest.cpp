// Every page of the shared corpus through the real main window: opened, shown
// at every zoom level (and every layer of a compound DjVu page), saved in
// every type the program writes and read back. Skipped without the corpus.
#include <gtest/gtest.h>

#include <QAction>
#include <algorithm>
#include <filesystem>

#include "FakePrompts.h"
#include "app/CLeafDoc.h"
#include "app/CLeafView.h"
#include "app/CMainFrame.h"
#include "formats/DjvuReader.h"
#include "formats/DjvuWriter.h"
#include "formats/ImageFiles.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

class CorpusSweepTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusSweepTest, OpensShowsEveryZoomAndSavesEveryType) {
  const std::string path = std::string(LEAF_CORPUS_DIR) + "/" + GetParam();
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "the shared corpus is not here";
  test::TempDir dir;
  AppSettings settings = AppSettings::Defaults(dir.path());
  settings.windowFit = 0;
  auto fake = std::make_unique<test::FakePrompts>();
  test::FakePrompts& prompts = *fake;
  CMainFrame frame(settings, QString(), std::move(fake));
  frame.resize(900, 700);
  frame.show();
  ASSERT_TRUE(frame.openFile(QString::fromStdString(path)));
  CLeafView& view = frame.view();
  CLeafDoc& doc = frame.document();
  const DibRaster& raster = doc.image().raster;
  const int width = raster.fullWidth > 0 ? raster.fullWidth : raster.width;

  for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
    view.setZoom(zoom);
    ASSERT_EQ(view.zoom(), zoom);
    view.viewport()->repaint();
    const QSize drawn = view.drawnSize();
    EXPECT_NEAR(drawn.width(), ScaledLength(width, zoom), 1 + std::max(zoom, 0) * 2)
        << "zoom " << zoom;
  }
  view.setZoom(-2);
  if (view.canChooseLayer()) {
    for (int layer = kDjvuLayerColor; layer <= kDjvuLayerForeground; ++layer) {
      view.setLayer(layer);
      EXPECT_EQ(doc.layer(), layer);
      view.viewport()->repaint();
    }
    view.setLayer(kDjvuLayerColor);
  }

  const std::string stem = std::filesystem::path(path).stem().string();
  for (FileTypeCode type : {kFileDjvu, kFileIw44, kFileBmp, kFileJpeg, kFilePnm}) {
    const std::string out = dir.file(stem + "." + FileTypeName(type));
    ASSERT_TRUE(doc.saveDocument(QString::fromStdString(out), type))
        << FileTypeName(type) << ": " << prompts.errorDetails.join(" ").toStdString();
    DibImage back;
    ASSERT_TRUE(ReadImageFile(back, out, type)) << out;
    // Saved as DjVu, a low-resolution colour or gray page is enlarged first.
    const PageResolution dpi = DjvuResolution(raster);
    const int enlarged =
        type == kFileDjvu && raster.bitsPerPixel > 1
            ? DjvuUpsampleFactor(kDjvuUpsampleAuto, std::max(dpi.x, dpi.y), width, raster.height)
            : 1;
    EXPECT_EQ(back.raster.width, width * enlarged) << out;
  }
  EXPECT_TRUE(prompts.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusSweepTest,
                         ::testing::Values("1555.003.jpg", "amoris.2.150.jpg", "book-p3.djvu",
                                           "cavalerie.29.jpg", "djvu3spec-p5.djvu", "feyn.tif",
                                           "lucasta.150.jpg", "pageseg1.tif", "tribune-page-4x.pgm",
                                           "wyom.jpg"),
                         [](const auto& info) { return test::TestNameOfFile(info.param); });

}  // namespace
}  // namespace leaf
