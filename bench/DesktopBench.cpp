// The desktop program on a 2550x3300 compound DjVu page (argument 0) and a
// 3400x4400 bilevel one (argument 1): from opening the file to the first
// paint of the window at fit-page, and one zoom step
// (render at the new zoom plus the paint). The window is a real main window
// on Qt's offscreen platform; the open runs on its worker thread, so the
// figures are wall-clock time.
//
//   leafsmith-desktop-bench [benchmark options]
//   leafsmith-desktop-bench --memory       peak memory of open, paint and zoom steps
//   leafsmith-desktop-bench --memory-page  peak memory of the decoded page alone
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "BenchPages.h"
#include "app/CLeafDoc.h"
#include "app/CLeafView.h"
#include "app/CMainFrame.h"
#include "formats/DjvuReader.h"
#include "formats/SaveImageFile.h"

namespace leaf::bench {
namespace {

// The corpus's 300-dpi compound page (or the synthetic benchmark page saved
// as DjVu when the corpus is absent), and its 400-dpi bilevel page.
std::string CompoundPage() {
  const std::string corpus = std::string(LEAF_CORPUS_DIR) + "/djvu3spec-p5.djvu";
  if (std::filesystem::exists(corpus)) return corpus;
  const std::string made =
      (std::filesystem::temp_directory_path() / "leafsmith-bench-compound.djvu").string();
  if (!std::filesystem::exists(made)) {
    DibImage image;
    MakePage(image, kLetterWidth300, kLetterHeight300, 24);
    SaveImageFile(made, kFileDjvu, image);
  }
  return made;
}

std::string PageFor(benchmark::State& state) {
  if (state.range(0) == 0) return CompoundPage();
  const std::string bilevel = std::string(LEAF_CORPUS_DIR) + "/book-p3.djvu";
  if (!std::filesystem::exists(bilevel)) state.SkipWithError("the shared corpus is not here");
  return bilevel;
}

// A shown main window of 1000 x 800 that fits opened pages to the page.
struct Window {
  AppSettings settings = AppSettings::Defaults("/tmp");
  std::unique_ptr<CMainFrame> frame;

  Window() {
    settings.imageFit = 2;
    settings.windowFit = 0;
    frame = std::make_unique<CMainFrame>(settings, QString());
    frame->resize(1000, 800);
    frame->show();
    QApplication::processEvents();
  }
  bool open(const std::string& path) { return frame->openFile(QString::fromStdString(path)); }
  void paint() { frame->view().viewport()->repaint(); }
};

void BM_OpenToFirstPaint(benchmark::State& state) {
  const std::string path = PageFor(state);
  if (state.error_occurred()) return;
  Window window;
  for (auto _ : state) {
    if (!window.open(path)) state.SkipWithError("open failed");
    window.paint();
  }
  state.counters["zoom"] = window.frame->view().zoom();
}
BENCHMARK(BM_OpenToFirstPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Alternately one step in and one step out from fit-page: each step renders
// the page again at the new zoom and paints the window.
void BM_ZoomStep(benchmark::State& state) {
  const std::string path = PageFor(state);
  if (state.error_occurred()) return;
  Window window;
  if (!window.open(path)) state.SkipWithError("open failed");
  CLeafView& view = window.frame->view();
  const int fit = view.zoom();
  window.paint();
  for (auto _ : state) {
    view.setZoom(view.zoom() == fit ? fit + 1 : fit);
    window.paint();
  }
  state.counters["fit_zoom"] = fit;
}
BENCHMARK(BM_ZoomStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Peak memory of the open at fit-page, its paint and zoom steps from 1/5 up
// to full size and back, beside the bytes the view shows.
int MeasureMemory() {
  const std::string path = CompoundPage();
  Window window;
  const long base = PeakKilobytes();
  size_t largestShown = 0;
  if (!window.open(path)) return 1;
  auto note = [&] {
    window.paint();
    largestShown = std::max(largestShown, window.frame->document().image().raster.pixelSize);
  };
  note();
  CLeafView& view = window.frame->view();
  const int fit = view.zoom();
  for (int zoom = fit + 1; zoom <= 0; ++zoom) {
    view.setZoom(zoom);
    note();
  }
  view.setZoom(fit);
  note();
  std::printf("fit zoom %d; peak growth %.1f MB; largest displayed image %.1f MB\n", fit,
              (PeakKilobytes() - base) / 1024.0, largestShown / 1048576.0);
  return 0;
}

// Peak memory of decoding the page alone (no render).
int MeasurePage() {
  const std::string path = CompoundPage();
  Window window;
  const long base = PeakKilobytes();
  DibImage image;
  if (!LoadHalfCoded(image, path)) return 1;
  std::printf("decoded page: peak growth %.1f MB\n", (PeakKilobytes() - base) / 1024.0);
  return 0;
}

}  // namespace
}  // namespace leaf::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], "--memory") == 0) return leaf::bench::MeasureMemory();
  if (argc > 1 && std::strcmp(argv[1], "--memory-page") == 0) return leaf::bench::MeasurePage();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
