#include "ShapeMatch.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "MaskClean.h"
#include "PackedBitmap.h"
#include "ShapeCompare.h"
#include "ShapeIndex.h"
#include "SpeckGroups.h"

namespace djvu {

namespace {

// A parent is worth coding from when the pixels that differ from it are
// at most this share of the shape's ink and of its outline.
constexpr int kParentInkPercent = 35;
constexpr int kParentOutlinePercent = 70;
// Parents of about the same size: at most this many pixels (or an eighth of
// the size) wider, narrower, taller or shorter.
constexpr int kParentSizeSlack = 2;
// Candidates looked at for one shape, nearest sizes first: enough for any
// page of text, a bound for pages of thousands of look-alike specks.
constexpr int kMostCandidates = 4000;

int SizeSlack(int size) { return std::max(kParentSizeSlack, size / 8); }

GP<JB2Image> EmptyLike(const JB2Image& image) {
  GP<JB2Image> result = JB2Image::create();
  result->set_dimension(image.get_width(), image.get_height());
  return result;
}

// The shapes of a page packed; shapes without a bitmap are empty.
std::vector<PackedBitmap> PackShapes(const JB2Image& image) {
  std::vector<PackedBitmap> packed(static_cast<size_t>(image.get_shape_count()));
  for (int i = 0; i < image.get_shape_count(); ++i) {
    const JB2Shape& shape = image.get_shape(i);
    if (shape.bits) packed[static_cast<size_t>(i)] = PackedBitmap(*shape.bits);
  }
  return packed;
}

}  // namespace

int BestParent(const std::vector<const PackedBitmap*>& shapes, const ShapeIndex& index,
               const PackedBitmap& bits) {
  const int limit = std::min(bits.ink() * kParentInkPercent / 100,
                             bits.OutlinePixels() * kParentOutlinePercent / 100);
  int best = -1;
  int bestDiffering = limit + 1;
  auto consider = [&](int candidate) {
    const PackedBitmap& parent = *shapes[static_cast<size_t>(candidate)];
    if (std::abs(parent.ink() - bits.ink()) >= bestDiffering) return;
    const Placement p = RefinementPlacement(bits, parent, bestDiffering - 1);
    if (p.differing < bestDiffering) {
      best = candidate;
      bestDiffering = p.differing;
    }
  };
  int looked = 0;
  index.ForEachNear(bits.width(), bits.height(), SizeSlack(bits.width()), SizeSlack(bits.height()),
                    [&](int candidate) {
                      consider(candidate);
                      return ++looked < kMostCandidates && bestDiffering > 0;
                    });
  return best;
}

int GlyphReach(unsigned dpi) { return std::max(1, static_cast<int>((dpi + 200) / 400)); }

GP<JB2Image> LinkRefinements(const JB2Image& image) {
  GP<JB2Image> shared = SharingPass(image);
  const std::vector<PackedBitmap> packed = PackShapes(*shared);
  std::vector<const PackedBitmap*> shapes;
  ShapeIndex index;
  for (int i = 0; i < shared->get_shape_count(); ++i) {
    JB2Shape& shape = shared->get_shape(i);
    const PackedBitmap& bits = packed[static_cast<size_t>(i)];
    shapes.push_back(&bits);
    if (!shape.bits) continue;
    shape.parent = BestParent(shapes, index, bits);
    index.Add(bits.width(), bits.height(), i);
  }
  return shared;
}

namespace {

// A shape that stands for the others of its glyph.
struct Representative {
  int shapeno;      // in the input
  int placed = -1;  // in the output, once blitted
};

// Which representative a shape's blits show, and where.
struct Substitute {
  int representative = -1;
  int dx = 0;  // the representative's offset from the shape's
  int dy = 0;  // top left corner, rows counted downwards
};

Substitute FindSubstitute(const std::vector<PackedBitmap>& shapes,
                          const std::vector<Representative>& representatives,
                          const ShapeIndex& index, int shapeno, int reach) {
  const PackedBitmap& bits = shapes[static_cast<size_t>(shapeno)];
  Substitute best;
  int bestDiffering = INT_MAX;
  int looked = 0;
  index.ForEachNear(
      bits.width(), bits.height(), kGlyphSizeSlack, kGlyphSizeSlack, [&](int candidate) {
        const PackedBitmap& other =
            shapes[static_cast<size_t>(representatives[static_cast<size_t>(candidate)].shapeno)];
        const std::optional<Placement> p = GlyphPlacement(bits, other, reach, bestDiffering - 1);
        if (p) {
          best = Substitute{candidate, p->dx, p->dy};
          bestDiffering = p->differing;
        }
        return ++looked < kMostCandidates && bestDiffering > 0;
      });
  return best;
}

int AddShapeCopy(JB2Image& image, const JB2Shape& shape) {
  JB2Shape copy;
  copy.parent = -1;
  copy.bits = shape.bits;
  copy.userdata = 0;
  return image.add_shape(copy);
}

}  // namespace

GP<JB2Image> SubstituteShapes(const JB2Image& image, int reach) {
  GP<JB2Image> result = EmptyLike(image);
  const std::vector<PackedBitmap> shapes = PackShapes(image);
  std::vector<Representative> representatives;
  ShapeIndex index;
  const int shapeCount = image.get_shape_count();
  std::vector<Substitute> substitutes(static_cast<size_t>(shapeCount));
  std::vector<bool> seen(static_cast<size_t>(shapeCount), false);
  // The output shape of a representative, added on first use.
  auto placedShape = [&](Representative& r) {
    if (r.placed < 0) r.placed = AddShapeCopy(*result, image.get_shape(r.shapeno));
    return static_cast<unsigned>(r.placed);
  };
  for (int i = 0; i < image.get_blit_count(); ++i) {
    const JB2Blit& blit = *image.get_blit(i);
    const int shapeno = static_cast<int>(blit.shapeno);
    if (!image.get_shape(shapeno).bits) continue;
    const PackedBitmap& bits = shapes[static_cast<size_t>(shapeno)];
    Substitute& substitute = substitutes[static_cast<size_t>(shapeno)];
    if (!seen[static_cast<size_t>(shapeno)]) {
      seen[static_cast<size_t>(shapeno)] = true;
      substitute = FindSubstitute(shapes, representatives, index, shapeno, reach);
      if (substitute.representative < 0) {
        substitute.representative = static_cast<int>(representatives.size());
        index.Add(bits.width(), bits.height(), substitute.representative);
        representatives.push_back(Representative{shapeno});
      }
    }
    Representative& r = representatives[static_cast<size_t>(substitute.representative)];
    JB2Blit placed = blit;
    if (r.shapeno != shapeno) {
      // The representative goes where it covers the shape best, unless
      // that lies off the page.
      const int top = blit.bottom + bits.height() - 1 - substitute.dy;
      const int left = blit.left + substitute.dx;
      const int bottom = top - shapes[static_cast<size_t>(r.shapeno)].height() + 1;
      if (left < 0 || bottom < 0 || left > USHRT_MAX || bottom > USHRT_MAX) {
        placed.shapeno = static_cast<unsigned>(AddShapeCopy(*result, image.get_shape(shapeno)));
        result->add_blit(placed);
        continue;
      }
      placed.left = static_cast<unsigned short>(left);
      placed.bottom = static_cast<unsigned short>(bottom);
    }
    placed.shapeno = placedShape(r);
    result->add_blit(placed);
  }
  return result;
}

GP<JB2Image> MatchShapes(const JB2Image& image, const ShapeMatchOptions& options) {
  GP<JB2Image> grouped = GroupSpecks(image);
  if (!options.lossy) return LinkRefinements(*grouped);
  return LinkRefinements(*SubstituteShapes(*grouped, options.reach));
}

}  // namespace djvu
