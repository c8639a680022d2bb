// Every edit command on real pages of the shared corpus at 1, 8 and 24 bits
// and on DjVu pages: each works, Undo brings the page back, nothing fails.
// Skipped without the corpus.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <filesystem>
#include <functional>

#include "FakePrompts.h"
#include "app/CLeafDoc.h"
#include "image/ResampleWeights.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TempDir.h"

namespace leaf {
namespace {

struct Edit {
  const char* name;
  std::function<bool(CLeafDoc&, QSize)> run;
  std::function<QSize(QSize)> size;  // the page's size afterwards
};

QSize Same(QSize s) { return s; }
QSize Turned(QSize s) { return s.transposed(); }

const QRect kSelection(40, 60, 300, 200);

std::vector<Edit> Edits() {
  return {
      {"flip", [](CLeafDoc& d, QSize) { return d.flip(); }, Same},
      {"mirror", [](CLeafDoc& d, QSize) { return d.mirror(); }, Same},
      {"rotate left", [](CLeafDoc& d, QSize) { return d.rotateLeft(); }, Turned},
      {"rotate right", [](CLeafDoc& d, QSize) { return d.rotateRight(); }, Turned},
      {"half turn", [](CLeafDoc& d, QSize) { return d.rotateHalfTurn(); }, Same},
      {"negative", [](CLeafDoc& d, QSize) { return d.negative(); }, Same},
      {"gray", [](CLeafDoc& d, QSize) { return d.convertToGray(); }, Same},
      {"crop", [](CLeafDoc& d, QSize) { return d.crop(kSelection); },
       [](QSize) { return kSelection.size(); }},
      {"resize",
       [](CLeafDoc& d, QSize s) { return d.resize(s.width() / 3, s.height() / 3, kGridAverage); },
       [](QSize s) { return QSize(s.width() / 3, s.height() / 3); }},
      {"cut", [](CLeafDoc& d, QSize) { return d.cut(kSelection); }, Same},
      {"copy and paste",
       [](CLeafDoc& d, QSize) {
         return d.copy(kSelection) && d.paste() && d.insertFloatingImage(QPoint(100, 300));
       },
       Same},
  };
}

class CorpusEditTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusEditTest, EveryEditWorksAndUndoes) {
  const std::string path = std::string(LEAF_CORPUS_DIR) + "/" + GetParam();
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "the shared corpus is not here";
  test::TempDir dir;
  AppSettings settings = AppSettings::Defaults(dir.path());
  test::FakePrompts prompts;
  CLeafDoc doc(settings, prompts);
  ASSERT_TRUE(doc.openDocument(QString::fromStdString(path), FitArea{900, 700, 2}));
  const QSize size = doc.fullSize();
  const int zoom = doc.zoom();
  for (const Edit& edit : Edits()) {
    SCOPED_TRACE(edit.name);
    ASSERT_TRUE(edit.run(doc, size)) << prompts.errors.join(", ").toStdString() << ": "
                                     << prompts.errorDetails.join(", ").toStdString();
    EXPECT_EQ(doc.fullSize(), edit.size(size));
    doc.setZoomAndLayer(zoom + 1, 0);  // DjVu pages turned are rendered again
    EXPECT_EQ(doc.fullSize(), edit.size(size));
    doc.undo();
    EXPECT_EQ(doc.fullSize(), size);
    doc.setZoomAndLayer(zoom, 0);
  }
  EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(", ").toStdString() << ": "
                                        << prompts.errorDetails.join(", ").toStdString();
  QGuiApplication::clipboard()->clear();
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusEditTest,
                         ::testing::Values("feyn.tif", "tribune-page-4x.pgm", "lucasta.150.jpg",
                                           "cavalerie.29.jpg", "djvu3spec-p5.djvu", "book-p3.djvu"),
                         [](const auto& info) { return test::TestNameOfFile(info.param); });

}  // namespace
}  // namespace leaf
