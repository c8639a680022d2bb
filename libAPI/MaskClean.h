// Cleaning of the JB2 stencil before it is coded: specks are dropped, very
// large shapes are cut into tiles, and the blits are put in reading order.
// Every pass returns a new image of the same size.
#pragma once

#include "GSmartPointer.h"
#include "JB2Image.h"

namespace djvu {

// Bits of the cleaning set.
enum : unsigned {
  kCleanSecondPass = 1,  // lossy clean-ups (absent when coding losslessly)
  kCleanTiles = 8,       // cut shapes larger than the tile size into tiles
  kCleanSpecks = 16,     // drop specks
};

// The sets the encoder uses.
inline constexpr unsigned kCleanLossless = 8;
inline constexpr unsigned kCleanNormal = 15;
inline constexpr unsigned kCleanAggressive = 31;

// Widens every shape by a column: in each row with ink, the pixel right of
// the row's last ink pixel becomes ink. Positions are kept.
void ThickenShapes(JB2Image& image);

// Runs the passes the set selects, then the reading-order pass and the
// final (sharing) pass.
GP<JB2Image> CleanMask(const JB2Image& image, unsigned set);

// Largest speck (width and height both at most this) for a page size.
int SpeckSize(int width, int height);
// Side of the tiles large shapes are cut into.
int TileSize(int width);

// Drops specks (kCleanSpecks) and tiles large shapes (kCleanTiles).
GP<JB2Image> SizePass(const JB2Image& image, unsigned set);

// Smooths ragged outlines: pixels sticking out of an edge go, pinholes in
// strokes are filled; shapes are cropped to their ink.
GP<JB2Image> SmoothingPass(const JB2Image& image);

// Blits ordered line by line from the top, each line left to right.
GP<JB2Image> ReadingOrderPass(const JB2Image& image);

// Blits whose shapes have exactly the same pixels share one shape, which
// JB2 then codes once.
GP<JB2Image> SharingPass(const JB2Image& image);

}  // namespace djvu
