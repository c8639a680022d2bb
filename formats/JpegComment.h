// The comment the program writes into the JPEG files it saves.
#pragma once

#include <string>

namespace leaf {

inline constexpr const char kMakerName[] = "Leafsmith Project";
inline constexpr const char kProductName[] = "Leafsmith";
inline constexpr const char kRevisionString[] = "$Revision: 2.0b1 $";

// The text between the first and the last dollar sign ("Revision: 2.0b1 "
// from "$Revision: 2.0b1 $"); the whole text when it has fewer than two.
std::string RevisionText(const std::string& revision);

// Maker, product and revision, each followed by the next after a blank:
// "Leafsmith Project Leafsmith Revision: 2.0b1 ".
std::string ProgramJpegComment();

}  // namespace leaf
