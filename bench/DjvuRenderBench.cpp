// Opening a DjVu page (decode plus a full-page render at zoom 0, -1 and -3)
// beside DjVuLibre's own ddjvu producing the same pixels: the tool itself
// (a process writing PPM or PGM to /dev/null) and its library in-process.
// Pages: the shared corpus's 300-dpi compound page and 400-dpi bilevel page,
// and page 150 of a 300-page bundled document at fit-page.
//
// The codec decodes on a thread of its own, and the machine is shared: the
// figures to compare are CPU times of the whole process (for the tool, of
// the child process), which the column "CPU" (manual time for the tool)
// shows.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libdjvu/ddjvuapi.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "formats/DjvuReader.h"

extern char** environ;

namespace leaf::bench {
namespace {

struct Page {
  const char* file;
  bool compound;  // rendered in colour; a bilevel page renders gray
};
const Page kPages[] = {{"djvu3spec-p5.djvu", true}, {"book-p3.djvu", false}};

std::string CorpusPath(const char* name) { return std::string(LEAF_CORPUS_DIR) + "/" + name; }

bool Available(benchmark::State& state, const std::string& path) {
  if (std::filesystem::exists(path)) return true;
  state.SkipWithError("the shared corpus is not here");
  return false;
}

void BM_OpenDjvu(benchmark::State& state) {
  const Page& page = kPages[state.range(0)];
  const int zoom = static_cast<int>(state.range(1));
  const std::string path = CorpusPath(page.file);
  if (!Available(state, path)) return;
  for (auto _ : state) {
    DibImage image;
    if (!ReadDjvu(image, path, kDjvuLayerColor, 24, zoom, 2.2))
      state.SkipWithError("render failed");
    benchmark::DoNotOptimize(image.raster.pixels());
  }
}

// The render alone, of a page decoded once.
void BM_RenderDjvu(benchmark::State& state) {
  const Page& page = kPages[state.range(0)];
  const int zoom = static_cast<int>(state.range(1));
  const std::string path = CorpusPath(page.file);
  if (!Available(state, path)) return;
  DibImage image;
  if (!LoadHalfCoded(image, path)) state.SkipWithError("decode failed");
  for (auto _ : state) {
    if (!RenderDjvu(image, kDjvuLayerColor, 24, zoom, 2.2)) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(image.raster.pixels());
  }
}

// The ddjvu tool, same page, same reduction, same kind of pixels.
void BM_DdjvuTool(benchmark::State& state) {
  const Page& page = kPages[state.range(0)];
  const int s = 1 - static_cast<int>(state.range(1));
  const std::string path = CorpusPath(page.file);
  if (!Available(state, path)) return;
  std::vector<std::string> args = {"ddjvu", page.compound ? "-format=ppm" : "-format=pgm",
                                   "-subsample=" + std::to_string(s), path, "/dev/null"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    pid_t child;
    if (posix_spawnp(&child, "ddjvu", nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("ddjvu is not installed");
      return;
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("ddjvu failed");
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    state.SetIterationTime(seconds(usage.ru_utime) + seconds(usage.ru_stime));
  }
}

// DjVuLibre's decoding library in-process: open the document, decode one
// page, render it at the reduction into one buffer.
void RenderWithDdjvuapi(const std::string& path, int pageNumber, int s, bool compound,
                        std::vector<char>& pixels) {
  ddjvu_context_t* context = ddjvu_context_create("leafsmith-bench");
  ddjvu_document_t* document = ddjvu_document_create_by_filename(context, path.c_str(), 0);
  while (!ddjvu_document_decoding_done(document))
    ddjvu_message_wait(context), ddjvu_message_pop(context);
  ddjvu_page_t* p = ddjvu_page_create_by_pageno(document, pageNumber);
  while (!ddjvu_page_decoding_done(p)) ddjvu_message_wait(context), ddjvu_message_pop(context);
  const int w = ddjvu_page_get_width(p), h = ddjvu_page_get_height(p);
  ddjvu_rect_t rect = {0, 0, static_cast<unsigned>((w + s - 1) / s),
                       static_cast<unsigned>((h + s - 1) / s)};
  ddjvu_format_t* format =
      ddjvu_format_create(compound ? DDJVU_FORMAT_RGB24 : DDJVU_FORMAT_GREY8, 0, nullptr);
  const unsigned long row = rect.w * (compound ? 3 : 1);
  pixels.resize(row * rect.h);
  ddjvu_page_render(p, DDJVU_RENDER_COLOR, &rect, &rect, format, row, pixels.data());
  benchmark::DoNotOptimize(pixels.data());
  ddjvu_format_release(format);
  ddjvu_page_release(p);
  ddjvu_document_release(document);
  ddjvu_context_release(context);
}

void BM_DdjvuLibrary(benchmark::State& state) {
  const Page& page = kPages[state.range(0)];
  const int s = 1 - static_cast<int>(state.range(1));
  const std::string path = CorpusPath(page.file);
  if (!Available(state, path)) return;
  std::vector<char> pixels;
  for (auto _ : state) RenderWithDdjvuapi(path, 0, s, page.compound, pixels);
}

// A 300-page bundled document: DjVuLibre's own books joined with its djvm
// tool and cut to 300 pages (made once in the benchmark folder); empty when
// the books or the tool are missing.
std::string ThreeHundredPages() {
  static const std::string path = [] {
    const std::string book = BenchFile("book300.djvu");
    if (std::filesystem::exists(book)) return book;
    const std::string docs = "/usr/share/doc/libdjvulibre-dev/";
    std::string command = "djvm -c '" + book + "'";
    for (const char* name : {"djvu3spec.djvu", "djvulibre-book-en.djvu", "djvu3spec.djvu",
                             "djvulibre-book-en.djvu", "djvulibre-book-ru.djvu"}) {
      command += " '" + docs + name + "'";
    }
    command += " && for p in 304 303 302 301; do djvm -d '" + book + "' $p; done";
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) return std::string();
    return book;
  }();
  return path;
}

// Page 150 of the 300-page document at fit-page (a quarter of its size),
// from opening the file to the rendered pixels.
void BM_OpenDocumentPage(benchmark::State& state) {
  const std::string path = ThreeHundredPages();
  if (path.empty()) return state.SkipWithError("DjVuLibre's books or djvm are missing");
  for (auto _ : state) {
    DibImage image;
    if (!ReadDjvu(image, path, kDjvuLayerColor, 24, -3, 2.2, 149)) {
      state.SkipWithError("render failed");
    }
    benchmark::DoNotOptimize(image.raster.pixels());
  }
}

void BM_DdjvuLibraryDocumentPage(benchmark::State& state) {
  const std::string path = ThreeHundredPages();
  if (path.empty()) return state.SkipWithError("DjVuLibre's books or djvm are missing");
  std::vector<char> pixels;
  for (auto _ : state) RenderWithDdjvuapi(path, 149, 4, true, pixels);
}

void Cases(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"page", "zoom"});
  for (int page = 0; page < 2; ++page) {
    for (int zoom : {0, -1, -3}) bench->Args({page, zoom});
  }
  bench->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
}

BENCHMARK(BM_OpenDjvu)->Apply(Cases);
BENCHMARK(BM_RenderDjvu)->Apply(Cases);
BENCHMARK(BM_DdjvuTool)->Apply(Cases)->UseManualTime();
BENCHMARK(BM_DdjvuLibrary)->Apply(Cases);
BENCHMARK(BM_OpenDocumentPage)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_DdjvuLibraryDocumentPage)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
}  // namespace leaf::bench
