#include "ShapePieces.h"

#include <vector>

#include "GBitmap.h"
#include "MaskClean.h"
#include "RunImage.h"

namespace djvu {

namespace {

// The 8-connected pieces of a shape as a page of the shape's size; null
// when the shape is all one piece.
GP<JB2Image> Pieces(const GBitmap& bits) {
  const int rows = static_cast<int>(bits.rows());
  const int columns = static_cast<int>(bits.columns());
  RunImage runs(columns, rows);
  for (int y = 0; y < rows; ++y) {
    const unsigned char* row = bits[y];
    for (int x = 0; x < columns; ++x) {
      if (!row[x]) continue;
      int end = x;
      while (end + 1 < columns && row[end + 1]) ++end;
      runs.AddRun(y, x, end);
      x = end;
    }
  }
  runs.AnalyzeComponents(8);
  if (runs.components().size() < 2) return nullptr;
  return runs.MakeJB2Image();
}

}  // namespace

GP<JB2Image> SplitIntoPieces(const GP<JB2Image>& page) {
  const JB2Image& image = *page;
  const int shapeCount = image.get_shape_count();
  std::vector<GP<JB2Image>> pieces(static_cast<size_t>(shapeCount));
  bool split = false;
  for (int i = 0; i < shapeCount; ++i) {
    const JB2Shape& shape = image.get_shape(i);
    if (!shape.bits) continue;
    pieces[static_cast<size_t>(i)] = Pieces(*shape.bits);
    split = split || pieces[static_cast<size_t>(i)];
  }
  if (!split) return page;

  GP<JB2Image> result = JB2Image::create();
  result->set_dimension(image.get_width(), image.get_height());
  // Output shapes of whole shapes, and the first output shape of a split
  // shape's pieces (which follow one another).
  std::vector<int> placed(static_cast<size_t>(shapeCount), -1);
  auto add = [&](const GP<GBitmap>& bits) {
    JB2Shape shape;
    shape.parent = -1;
    shape.bits = bits;
    shape.userdata = 0;
    return result->add_shape(shape);
  };
  for (int i = 0; i < image.get_blit_count(); ++i) {
    JB2Blit blit = *image.get_blit(i);
    const int shapeno = static_cast<int>(blit.shapeno);
    const JB2Shape& shape = image.get_shape(shapeno);
    if (!shape.bits) continue;
    const GP<JB2Image>& parts = pieces[static_cast<size_t>(shapeno)];
    int& first = placed[static_cast<size_t>(shapeno)];
    if (!parts) {
      if (first < 0) first = add(shape.bits);
      blit.shapeno = static_cast<unsigned>(first);
      result->add_blit(blit);
      continue;
    }
    if (first < 0) {
      first = result->get_shape_count();
      for (int p = 0; p < parts->get_shape_count(); ++p) add(parts->get_shape(p).bits);
    }
    for (int p = 0; p < parts->get_blit_count(); ++p) {
      const JB2Blit& piece = *parts->get_blit(p);
      JB2Blit moved = blit;
      moved.left = static_cast<unsigned short>(blit.left + piece.left);
      moved.bottom = static_cast<unsigned short>(blit.bottom + piece.bottom);
      moved.shapeno = static_cast<unsigned>(first) + piece.shapeno;
      result->add_blit(moved);
    }
  }
  return ReadingOrderPass(*result);
}

}  // namespace djvu
