// Compositing: writing a second raster (a pasted image, a text label) into
// the main raster at a position, through a map from its palette indices to
// the page's, skipping its transparent colour.
#pragma once

#include <array>
#include <cstdint>

#include "DibImage.h"

namespace leaf {

// Entry i: the page's palette index that stands for index i of the inserted
// raster (only the low byte counts; for a 1-bit page, zero or not). Not used
// for a 24-bit page.
using IndexMap = std::array<uint32_t, 256>;

// Writes the main raster of `inserted` into the main raster of `image` with
// its first pixel at column x of stored row y; the picture keeps its way up
// when the two are stored in different row orders. An inserted raster of
// lower depth is widened first (24-bit pages get its palette colours). When
// its transparent flag is set, pixels of its transparent colour are skipped.
// Depth and bounds are checked before any pixel changes.
bool InsertImage(DibImage& image, const DibImage& inserted, int x, int y, const IndexMap& map);

}  // namespace leaf
