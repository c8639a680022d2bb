// Where the program keeps its profile.
#pragma once

#include <string>

namespace leaf {

inline constexpr const char* kProfileFileName = "Leafsmith.ini";

// The directory of the running executable, without a trailing "/".
std::string ProgramDirectory();

// The user's home directory: the default for the list, batch and sweeper folders.
std::string HomeDirectory();

// Leafsmith.ini beside the executable when it exists there (a portable
// install); otherwise $XDG_CONFIG_HOME/Leafsmith/Leafsmith.ini.
std::string DefaultProfilePath();

}  // namespace leaf
