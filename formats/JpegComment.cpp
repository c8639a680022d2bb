#include "JpegComment.h"

namespace leaf {

std::string RevisionText(const std::string& revision) {
  const size_t first = revision.find('$');
  const size_t last = revision.rfind('$');
  if (first == std::string::npos || first == last) return revision;
  return revision.substr(first + 1, last - first - 1);
}

std::string ProgramJpegComment() {
  return std::string(kMakerName) + " " + kProductName + " " + RevisionText(kRevisionString);
}

}  // namespace leaf
