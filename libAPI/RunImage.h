// Connected components of a run-length mask, and their conversion into the
// shapes and blits of a JB2 image.
//
// The mask is kept as horizontal ink runs, not pixels, so that memory grows
// with the amount of ink rather than with the page area. Components are found
// by union-find over runs of neighbouring rows; strongly overlapping
// components (the dot of an "i" inside its stem's box, say) can then be
// merged so that each becomes one shape.
#pragma once

#include <cstdint>
#include <vector>

#include "GSmartPointer.h"
#include "JB2Image.h"
#include "djvu_image.h"

namespace djvu {

class RunImage {
 public:
  // One horizontal stretch of ink. Row 0 is the bottom row of the page.
  struct Run {
    int32_t y;
    int32_t x1;  // first column
    int32_t x2;  // last column, inclusive
    int32_t cc;  // component number, 0 until labelled
  };

  // A connected set of runs: its bounding box (xmax, ymax exclusive) and
  // the range [firstRun, endRun) of its runs in runs().
  struct Component {
    int32_t xmin;
    int32_t ymin;
    int32_t xmax;
    int32_t ymax;
    size_t firstRun;
    size_t endRun;
    int32_t number;
  };

  // An empty page of the given size.
  RunImage(int width, int height);

  // Decodes the runs of a run image. Without a colour page, black runs (or
  // dark ones) are ink; with one, ink is whichever class covers less area,
  // so that masks of either sense encode their text.
  RunImage(const djvu_run_image& image, bool noColorPage);

  // Appends a run; a run that starts right after the previous run of the
  // same row extends it.
  void AddRun(int y, int x1, int x2, int cc = 0);

  // Labels the components with 4- or 8-connectivity.
  void AnalyzeComponents(int connectivity);

  // Joins components whose boxes overlap by at least percent of either box
  // (and whose areas differ by at most a factor of 200).
  void MergeOverlapping(int percent);

  // One orphan shape and one blit per component, sized as the page.
  // Analyses with 8-connectivity first when that has not happened yet.
  GP<JB2Image> MakeJB2Image();

  int width() const { return width_; }
  int height() const { return height_; }
  // 0: black (dark) is ink; 1: white (light) is ink.
  int polarity() const { return polarity_; }
  bool analyzed() const { return analyzed_; }
  const std::vector<Run>& runs() const { return runs_; }
  const std::vector<Component>& components() const { return components_; }

 private:
  void ChoosePolarity(const djvu_run_image& image, bool noColorPage);
  void Decode(const djvu_run_image& image);
  // Gives every run the number of its root in labels (indexed by the
  // current run or component numbering), numbers the roots densely and
  // rebuilds the components.
  void Relabel(std::vector<int32_t>& parents, bool byComponent);
  void BuildComponents(int32_t count);

  int width_;
  int height_;
  int polarity_ = 0;
  bool analyzed_ = false;
  std::vector<Run> runs_;
  std::vector<Component> components_;
};

}  // namespace djvu
