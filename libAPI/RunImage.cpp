#include "RunImage.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "GBitmap.h"
#include "djvu_error.h"

namespace djvu {

namespace {

constexpr const char* kSource = "libAPI/RunImage";

// Bytes of one run record by runtype; 0 for an unknown type.
size_t RecordSize(unsigned runtype) {
  switch (runtype) {
    case DJVU_RUN_BW: return 1;
    case DJVU_RUN_GRAY: return 2;
    case DJVU_RUN_COLOR: return 4;
    default: return 0;
  }
}

int RecordLength(const unsigned char* record, unsigned runtype) {
  return runtype == DJVU_RUN_BW ? (record[0] & 0x7F) + 1 : record[0] + 1;
}

// True for a black (BW), dark gray or dark colour record.
bool RecordIsDark(const unsigned char* record, unsigned runtype) {
  switch (runtype) {
    case DJVU_RUN_BW: return (record[0] & 0x80) == 0;
    case DJVU_RUN_GRAY: return record[1] < 128;
    default: return 77 * record[1] + 151 * record[2] + 29 * record[3] < 32768;
  }
}

int32_t FindRoot(std::vector<int32_t>& parents, int32_t label) {
  while (parents[label] != label) {
    parents[label] = parents[parents[label]];
    label = parents[label];
  }
  return label;
}

// Joins two trees; the higher root always points to the lower one.
void Join(std::vector<int32_t>& parents, int32_t a, int32_t b) {
  a = FindRoot(parents, a);
  b = FindRoot(parents, b);
  if (a < b) {
    parents[b] = a;
  } else if (b < a) {
    parents[a] = b;
  }
}

}  // namespace

RunImage::RunImage(int width, int height) : width_(width), height_(height) {}

RunImage::RunImage(const djvu_run_image& image, bool noColorPage)
    : width_(static_cast<int>(image.w)), height_(static_cast<int>(image.h)) {
  if (RecordSize(image.runtype) == 0) Throw("Unknown runtype", kSource, __LINE__);
  ChoosePolarity(image, noColorPage);
  Decode(image);
}

void RunImage::ChoosePolarity(const djvu_run_image& image, bool noColorPage) {
  polarity_ = 0;
  if (noColorPage || !image.runs) return;
  // Dark (black) area minus light area; ink is the class that covers less.
  const size_t size = RecordSize(image.runtype);
  long long balance = 0;
  const unsigned char* record = image.runs;
  for (unsigned i = 0; i < image.nruns; ++i, record += size) {
    const int length = RecordLength(record, image.runtype);
    balance += RecordIsDark(record, image.runtype) ? length : -length;
  }
  if (balance > 0) polarity_ = 1;
}

void RunImage::Decode(const djvu_run_image& image) {
  if (width_ <= 0 || height_ <= 0 || !image.runs) return;
  const size_t size = RecordSize(image.runtype);
  const unsigned char* record = image.runs;
  int x = 0;
  int y = height_ - 1;
  for (unsigned i = 0; i < image.nruns; ++i, record += size) {
    const bool ink = RecordIsDark(record, image.runtype) == (polarity_ == 0);
    int remaining = RecordLength(record, image.runtype);
    while (remaining > 0) {
      if (y < 0) {
        // Runs past the end of the page: paper is harmless, ink is refused.
        if (ink) AddRun(y, x, x + remaining - 1);
        return;
      }
      const int take = std::min(remaining, width_ - x);
      if (ink) AddRun(y, x, x + take - 1);
      x += take;
      remaining -= take;
      if (x == width_) {
        x = 0;
        --y;
      }
    }
  }
}

void RunImage::AddRun(int y, int x1, int x2, int cc) {
  if (y < 0 || x1 < 0 || x2 < 0) Throw("Negative Cordinates in Run", kSource, __LINE__);
  if (!runs_.empty()) {
    Run& last = runs_.back();
    if (last.y == y && x1 == last.x2 + 1) {
      last.x2 = std::max(last.x2, x2);
      return;
    }
  }
  runs_.push_back(Run{y, x1, x2, cc});
}

void RunImage::AnalyzeComponents(int connectivity) {
  if (connectivity != 4 && connectivity != 8) {
    Throw("Only 4-connectivity and 8-connectivity are supported", kSource, __LINE__);
  }
  const int reach = connectivity == 8 ? 1 : 0;
  const auto byRowThenColumn = [](const Run& a, const Run& b) {
    return a.y != b.y ? a.y < b.y : a.x1 < b.x1;
  };
  if (!std::is_sorted(runs_.begin(), runs_.end(), byRowThenColumn)) {
    std::stable_sort(runs_.begin(), runs_.end(), byRowThenColumn);
  }
  const size_t count = runs_.size();
  std::vector<int32_t> parents(count);
  std::iota(parents.begin(), parents.end(), 0);

  // Sweep each pair of neighbouring rows with two cursors.
  size_t lowStart = 0;
  while (lowStart < count) {
    size_t lowEnd = lowStart;
    while (lowEnd < count && runs_[lowEnd].y == runs_[lowStart].y) ++lowEnd;
    size_t highEnd = lowEnd;
    if (lowEnd < count && runs_[lowEnd].y == runs_[lowStart].y + 1) {
      while (highEnd < count && runs_[highEnd].y == runs_[lowEnd].y) ++highEnd;
      size_t i = lowStart, j = lowEnd;
      while (i < lowEnd && j < highEnd) {
        const Run& a = runs_[i];
        const Run& b = runs_[j];
        if (b.x1 <= a.x2 + reach && a.x1 <= b.x2 + reach) {
          Join(parents, static_cast<int32_t>(i), static_cast<int32_t>(j));
        }
        if (a.x2 < b.x2) {
          ++i;
        } else {
          ++j;
        }
      }
    }
    lowStart = lowEnd;
  }
  Relabel(parents, false);
  analyzed_ = true;
}

void RunImage::MergeOverlapping(int percent) {
  if (!analyzed_) AnalyzeComponents(8);
  const size_t count = components_.size();
  std::vector<int32_t> parents(count);
  std::iota(parents.begin(), parents.end(), 0);
  std::vector<int32_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [this](int32_t a, int32_t b) {
    return components_[a].ymin < components_[b].ymin;
  });
  for (size_t i = 0; i < count; ++i) {
    const Component& a = components_[order[i]];
    const long long areaA = static_cast<long long>(a.xmax - a.xmin) * (a.ymax - a.ymin);
    for (size_t j = i + 1; j < count && components_[order[j]].ymin < a.ymax; ++j) {
      const Component& b = components_[order[j]];
      const int overlapW = std::min(a.xmax, b.xmax) - std::max(a.xmin, b.xmin);
      const int overlapH = std::min(a.ymax, b.ymax) - b.ymin;
      if (overlapW <= 0 || overlapH <= 0) continue;
      const long long overlap = static_cast<long long>(overlapW) * overlapH;
      const long long areaB = static_cast<long long>(b.xmax - b.xmin) * (b.ymax - b.ymin);
      const bool covers = areaA * percent <= 100 * overlap || areaB * percent <= 100 * overlap;
      const bool comparable = std::max(areaA, areaB) <= 200 * std::min(areaA, areaB);
      if (covers && comparable) Join(parents, order[i], order[j]);
    }
  }
  Relabel(parents, true);
}

void RunImage::Relabel(std::vector<int32_t>& parents, bool byComponent) {
  std::vector<int32_t> numbers(parents.size(), 0);
  int32_t next = 0;
  for (size_t i = 0; i < runs_.size(); ++i) {
    const int64_t label = byComponent ? int64_t{runs_[i].cc} - 1 : static_cast<int64_t>(i);
    if (label < 0 || label >= static_cast<int64_t>(parents.size())) {
      Throw("Internal error in CC analysis", kSource, __LINE__);
    }
    const int32_t root = FindRoot(parents, static_cast<int32_t>(label));
    if (numbers[root] == 0) numbers[root] = ++next;
    runs_[i].cc = numbers[root];
  }
  BuildComponents(next);
}

void RunImage::BuildComponents(int32_t count) {
  // Group the runs by component (stable, so each keeps its row order).
  std::vector<size_t> starts(static_cast<size_t>(count) + 1, 0);
  for (const Run& run : runs_) {
    if (run.cc < 1 || run.cc > count) Throw("Internal error in CC analysis", kSource, __LINE__);
    ++starts[run.cc];
  }
  std::partial_sum(starts.begin(), starts.end(), starts.begin());
  std::vector<Run> grouped(runs_.size());
  std::vector<size_t> cursor(starts.begin(), starts.end() - 1);
  for (const Run& run : runs_) grouped[cursor[run.cc - 1]++] = run;
  runs_.swap(grouped);

  components_.assign(count, Component{});
  for (int32_t c = 0; c < count; ++c) {
    Component& component = components_[c];
    component.number = c + 1;
    component.firstRun = starts[c];
    component.endRun = starts[c + 1];
    if (component.firstRun >= component.endRun) {
      Throw("Internal error in CC analysis", kSource, __LINE__);
    }
    const Run& first = runs_[component.firstRun];
    component.xmin = first.x1;
    component.xmax = first.x2 + 1;
    component.ymin = first.y;
    component.ymax = first.y + 1;
    for (size_t r = component.firstRun + 1; r < component.endRun; ++r) {
      const Run& run = runs_[r];
      component.xmin = std::min(component.xmin, run.x1);
      component.xmax = std::max(component.xmax, run.x2 + 1);
      component.ymin = std::min(component.ymin, run.y);
      component.ymax = std::max(component.ymax, run.y + 1);
    }
  }
}

GP<JB2Image> RunImage::MakeJB2Image() {
  if (!analyzed_) AnalyzeComponents(8);
  GP<JB2Image> image = JB2Image::create();
  image->set_dimension(width_, height_);
  for (const Component& component : components_) {
    const int columns = component.xmax - component.xmin;
    const int rows = component.ymax - component.ymin;
    GP<GBitmap> bits = GBitmap::create(rows, columns);
    for (size_t r = component.firstRun; r < component.endRun; ++r) {
      const Run& run = runs_[r];
      if (run.x1 < component.xmin || run.x2 >= component.xmax || run.x1 > run.x2) {
        Throw("Internal error (x bounds)", kSource, __LINE__);
      }
      if (run.y < component.ymin || run.y >= component.ymax) {
        Throw("Internal error (y bounds)", kSource, __LINE__);
      }
      unsigned char* row = (*bits)[run.y - component.ymin];
      std::memset(row + (run.x1 - component.xmin), 1, run.x2 - run.x1 + 1);
    }
    JB2Shape shape;
    shape.parent = -1;
    shape.bits = bits;
    shape.userdata = 0;
    JB2Blit blit;
    blit.left = static_cast<unsigned short>(component.xmin);
    blit.bottom = static_cast<unsigned short>(component.ymin);
    blit.shapeno = static_cast<unsigned>(image->add_shape(shape));
    image->add_blit(blit);
  }
  return image;
}

}  // namespace djvu

void djvu_run_image_free(djvu_run_image* run) {
  if (!run) return;
  if (run->runs) _djvu_free(run->runs);
  delete run;
}
