// The pixel-image operations behind the public entry points of
// djvu_image.h. They raise the layer's exception on failure; the entry
// points catch and report it.
#pragma once

#include "PixelImageRef.h"

namespace djvu {

// Brings source into canonical form in dest's record (dest may be the
// source's own record: rows then move inside the same buffer).
void NormalizeInto(const djvu_pixel_image& source, PixelImageRef& dest);

// Box-average subsampling of a canonical image by s >= 2, in place.
void SubsampleCanonical(PixelImageRef& ref, int s);

// A canonical copy of img in a new record.
OwnedPixelImage CanonicalCopy(const djvu_pixel_image& img);

// The new image of djvu_pixel_resample.
OwnedPixelImage Resample(const djvu_pixel_image& img, int factor, int smoothing);

// Enlarges a canonical image by an integer factor >= 2 in place: doublings
// (each followed by the smoothing passes the budget allows), triplings, then
// pixel replication for what is left.
void UpsampleCanonical(PixelImageRef& ref, unsigned factor, int smoothingBudget);

// One smoothing pass over a doubled canonical image; returns how much it
// changed the samples.
long long djvu_pixel_smooth2(PixelImageRef& ref);

// Turns by angle (0, 90, 180, 270 after reduction) and scales to exactly
// w x h after turning, in place.
void Transform(PixelImageRef& ref, int angle, unsigned w, unsigned h);

// Normalises an angle into 0..359; throws when it is not a quarter turn.
int QuarterTurnAngle(int angle);

// The new image of djvu_pixel_transform_copy.
OwnedPixelImage TransformCopy(const djvu_pixel_image& img, int angle, unsigned w, unsigned h);

// Copies the clamped inclusive rectangle of src into dst, canonical.
void Extract(const djvu_pixel_image& src, PixelImageRef& dst, int x0, int y0, int x1, int y1);

// The run image of djvu_pixel_to_run_image.
djvu_run_image* PixelToRunImage(const djvu_pixel_image& img);

}  // namespace djvu
