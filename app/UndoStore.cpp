#include "UndoStore.h"

#include <utility>

namespace leaf {

bool UndoStore::swapWith(PageState& current) {
  if (!kept_) return false;
  std::swap(current, *kept_);
  return true;
}

}  // namespace leaf
