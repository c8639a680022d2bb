// The axis-aligned transforms of a raster: flip, mirror, transpose, the three
// rotations built from them, and the symmetry state that lets a re-rendered
// page be brought back to the orientation the user gave it.
#pragma once

#include "DibImage.h"

namespace leaf {

// Symmetry states (the raster's symmetryState): what was applied since the
// page was rendered. Each is a composition of the three primitives.
inline constexpr int kSymmetryIdentity = 0;
inline constexpr int kSymmetryTransposeMirror = 1;      // rotate left
inline constexpr int kSymmetryTransposeFlip = 2;        // rotate right
inline constexpr int kSymmetryHalfTurn = 3;             // flip and mirror
inline constexpr int kSymmetryFlip = 4;                 // also the code of Flip
inline constexpr int kSymmetryMirror = 5;               // also the code of Mirror
inline constexpr int kSymmetryTransposeMirrorFlip = 6;  // the other diagonal
inline constexpr int kSymmetryTranspose = 7;            // also the code of Transpose

// The state of a raster in state `state` after the operation (or state)
// `operation`; -1 when either is above 7.
int ComposeSymmetry(int state, int operation);

// True when the state exchanges the picture's width and height.
bool SymmetrySwapsSides(int state);
// The state that brings a picture in state `state` back to state 0.
int InverseSymmetry(int state);
// Moves pixel (x, y) (top-left origin) of a width x height picture in state
// 0 to where it lies once the picture is in state `state` (0..7).
void MapPixelThroughSymmetry(int state, int width, int height, int& x, int& y);

// Reverses the order of the stored rows; works at every depth. With picture
// set the picture turns upside down and the symmetry state records a flip.
// With picture clear only the storage changes: the row order toggles between
// bottom-up and top-down and the picture stays as it was.
bool Flip(DibImage& image, bool picture);

// Reverses every row (1, 4, 8 and 24 bits).
bool Mirror(DibImage& image);

// Exchanges rows and columns (1, 4, 8 and 24 bits). A raster stored top-down
// is first brought to bottom-up storage, so that the picture turns the same
// way whatever its storage.
bool Transpose(DibImage& image);

// Replays a symmetry state on a raster in state 0. True for every state
// 0..7 even when a step failed (that step has reported its own text).
bool ApplySymmetry(DibImage& image, int state);

// A quarter turn counter-clockwise as displayed: transpose, then mirror.
bool RotateLeft(DibImage& image);
// A quarter turn clockwise as displayed: transpose, then flip.
bool RotateRight(DibImage& image);
// A half turn: mirror, then flip.
bool RotateHalfTurn(DibImage& image);

}  // namespace leaf
