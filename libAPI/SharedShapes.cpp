#include "SharedShapes.h"

#include <climits>
#include <memory>

#include "PackedBitmap.h"
#include "ShapeCompare.h"
#include "ShapeIndex.h"
#include "ShapeMatch.h"

namespace djvu {

namespace {

// A page's shape that later pages may use: coded without a parent in its
// page, or refined from an earlier candidate.
struct Candidate {
  std::unique_ptr<PackedBitmap> bits;
  GP<GBitmap> source;
  int page = -1;
  int parent = -1;    // candidate it is refined from
  int lastUser = -1;  // the last page using it
  int users = 1;      // pages using it
  int entry = -1;     // its shape number in the dictionary
};

// What becomes of one shape of a page.
struct Link {
  enum Kind { kOwn, kSame, kRefined } kind = kOwn;
  int candidate = -1;
  int dx = 0;  // lossy replacement: the candidate's offset from the
  int dy = 0;  // shape's top left corner, rows counted downwards
};

class Sharing {
 public:
  explicit Sharing(size_t pageCount) : links_(pageCount), candidateOf_(pageCount) {}

  // Links a page's shapes to the candidates of earlier pages, then offers
  // the page's own shapes to the pages after it.
  void Scan(int page, const JB2Image& image, int reach) {
    const int count = image.get_shape_count();
    std::vector<Link>& links = links_[static_cast<size_t>(page)];
    links.assign(static_cast<size_t>(count), Link{});
    candidateOf_[static_cast<size_t>(page)].assign(static_cast<size_t>(count), -1);
    std::vector<int> fresh;
    for (int i = 0; i < count; ++i) {
      const JB2Shape& shape = image.get_shape(i);
      if (!shape.bits) continue;
      auto bits = std::make_unique<PackedBitmap>(*shape.bits);
      // Pages wait their turn with their shapes run-length coded.
      shape.bits->compress();
      Link& link = links[static_cast<size_t>(i)];
      if (shape.parent < 0) link = Find(*bits, reach);
      if (link.kind != Link::kOwn) Use(link.candidate, page);
      if (link.kind == Link::kSame) continue;
      if (shape.parent >= 0) continue;
      Candidate candidate;
      candidate.bits = std::move(bits);
      candidate.source = shape.bits;
      candidate.page = page;
      candidate.lastUser = page;
      if (link.kind == Link::kRefined) candidate.parent = link.candidate;
      candidateOf_[static_cast<size_t>(page)][static_cast<size_t>(i)] =
          static_cast<int>(candidates_.size());
      fresh.push_back(static_cast<int>(candidates_.size()));
      candidates_.push_back(std::move(candidate));
      shapes_.push_back(candidates_.back().bits.get());
    }
    for (int c : fresh) {
      const PackedBitmap& bits = *candidates_[static_cast<size_t>(c)].bits;
      index_.Add(bits.width(), bits.height(), c);
    }
  }

  // The dictionary of the candidates used on two or more pages; null when
  // there are none.
  GP<JB2Dict> MakeDictionary() {
    GP<JB2Dict> dictionary;
    for (Candidate& c : candidates_) {
      if (c.users < 2) continue;
      if (!dictionary) dictionary = JB2Dict::create();
      JB2Shape shape;
      shape.parent = c.parent >= 0 ? candidates_[static_cast<size_t>(c.parent)].entry : -1;
      shape.bits = c.source;
      shape.userdata = 0;
      c.entry = dictionary->add_shape(shape);
    }
    return dictionary;
  }

  // The page with its shared shapes taken from the dictionary.
  GP<JB2Image> Rebuild(int page, const JB2Image& image, const GP<JB2Dict>& dictionary) const {
    GP<JB2Image> result = JB2Image::create();
    result->set_dimension(image.get_width(), image.get_height());
    result->set_inherited_dict(dictionary);
    const std::vector<Link>& links = links_[static_cast<size_t>(page)];
    const std::vector<int>& own = candidateOf_[static_cast<size_t>(page)];
    // Each shape's number in the result; the shape copied into the page on
    // first need when a replacement would lie off the page.
    std::vector<int> placed(links.size(), -1);
    std::vector<int> copies(links.size(), -1);
    auto copy = [&](int i) {
      if (copies[static_cast<size_t>(i)] < 0) {
        JB2Shape shape = image.get_shape(i);
        shape.parent = -1;
        shape.userdata = 0;
        copies[static_cast<size_t>(i)] = result->add_shape(shape);
      }
      return copies[static_cast<size_t>(i)];
    };
    for (size_t i = 0; i < links.size(); ++i) {
      const JB2Shape& shape = image.get_shape(static_cast<int>(i));
      if (!shape.bits) continue;
      const Link& link = links[i];
      if (link.kind == Link::kSame) {
        placed[i] = Entry(link.candidate);
        continue;
      }
      if (own[i] >= 0 && Entry(own[i]) >= 0) {
        placed[i] = Entry(own[i]);
        continue;
      }
      JB2Shape kept = shape;
      kept.userdata = 0;
      if (link.kind == Link::kRefined) {
        kept.parent = Entry(link.candidate);
      } else if (shape.parent >= 0) {
        kept.parent = placed[static_cast<size_t>(shape.parent)];
      }
      placed[i] = result->add_shape(kept);
      copies[i] = placed[i];
    }
    for (int b = 0; b < image.get_blit_count(); ++b) {
      JB2Blit blit = *image.get_blit(b);
      const size_t i = blit.shapeno;
      if (placed[i] < 0) continue;
      blit.shapeno = static_cast<unsigned>(placed[i]);
      const Link& link = links[i];
      if (link.kind == Link::kSame && (link.dx || link.dy)) {
        const PackedBitmap& shown = *candidates_[static_cast<size_t>(link.candidate)].bits;
        const int top = blit.bottom +
                        static_cast<int>(image.get_shape(static_cast<int>(i)).bits->rows()) - 1 -
                        link.dy;
        const int left = blit.left + link.dx;
        const int bottom = top - shown.height() + 1;
        if (left < 0 || bottom < 0 || left > USHRT_MAX || bottom > USHRT_MAX) {
          blit.shapeno = static_cast<unsigned>(copy(static_cast<int>(i)));
        } else {
          blit.left = static_cast<unsigned short>(left);
          blit.bottom = static_cast<unsigned short>(bottom);
        }
      }
      result->add_blit(blit);
    }
    return result;
  }

 private:
  // The candidate of an earlier page the shape is, or stands for, or is
  // best refined from.
  Link Find(const PackedBitmap& bits, int reach) const {
    Link link;
    const int parent = BestParent(shapes_, index_, bits);
    if (parent >= 0) {
      const PackedBitmap& other = *shapes_[static_cast<size_t>(parent)];
      const bool same = other.width() == bits.width() && other.height() == bits.height() &&
                        DifferingPixels(bits, other, 0, 0, 0) == 0;
      link = Link{same ? Link::kSame : Link::kRefined, parent};
      if (same) return link;
    }
    if (reach <= 0) return link;
    int bestDiffering = INT_MAX;
    index_.ForEachNear(
        bits.width(), bits.height(), kGlyphSizeSlack, kGlyphSizeSlack, [&](int candidate) {
          const std::optional<Placement> p = GlyphPlacement(
              bits, *shapes_[static_cast<size_t>(candidate)], reach, bestDiffering - 1);
          if (p) {
            link = Link{Link::kSame, candidate, p->dx, p->dy};
            bestDiffering = p->differing;
          }
          return bestDiffering > 0;
        });
    return link;
  }

  // Notes that a page uses a candidate (and so the candidates it is refined
  // from).
  void Use(int candidate, int page) {
    for (int c = candidate; c >= 0; c = candidates_[static_cast<size_t>(c)].parent) {
      Candidate& used = candidates_[static_cast<size_t>(c)];
      if (used.lastUser == page) return;
      used.lastUser = page;
      ++used.users;
    }
  }

  int Entry(int candidate) const { return candidates_[static_cast<size_t>(candidate)].entry; }

  std::vector<Candidate> candidates_;
  std::vector<const PackedBitmap*> shapes_;
  ShapeIndex index_;
  std::vector<std::vector<Link>> links_;
  std::vector<std::vector<int>> candidateOf_;
};

}  // namespace

SharedPages ShareShapes(const std::vector<GP<JB2Image>>& pages, const std::vector<int>& reach) {
  Sharing sharing(pages.size());
  for (size_t p = 0; p < pages.size(); ++p) {
    sharing.Scan(static_cast<int>(p), *pages[p], p < reach.size() ? reach[p] : 0);
  }
  SharedPages result;
  result.dictionary = sharing.MakeDictionary();
  if (!result.dictionary) {
    result.pages = pages;
    return result;
  }
  for (size_t p = 0; p < pages.size(); ++p) {
    result.pages.push_back(sharing.Rebuild(static_cast<int>(p), *pages[p], result.dictionary));
  }
  return result;
}

}  // namespace djvu
