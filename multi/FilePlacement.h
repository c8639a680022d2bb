// Putting finished files in place without ever replacing another file, so
// that several workers, processes or machines sharing a folder cannot write
// over each other's results. Every step is one atomic file-system call.
#pragma once

#include <string>

namespace leaf {

enum class Placement {
  Placed,  // the file now has the new name
  Taken,   // the new name was in use; nothing changed
  Failed,  // another error (errno set); nothing changed
};

// Gives the file at from a second name (a hard link). On file systems
// without hard links the file is renamed instead when the name is free.
Placement LinkNoReplace(const std::string& from, const std::string& to);

// Renames the file unless the new name is in use.
Placement MoveNoReplace(const std::string& from, const std::string& to);

// Places the file under wanted or, when that is taken, the first free name
// "stem-N.ext" (N = 1..998), linking (keepSource) or moving it. placed gets
// the name used. False when every name is taken or a call fails; the reason
// is in the calling thread's message buffer.
bool PlaceUnderFreeName(const std::string& from, const std::string& wanted, bool keepSource,
                        std::string& placed);

// Makes the folder and its missing parents; false with the reason in the
// message buffer.
bool MakeFolders(const std::string& folder);

// The folder part of a path ("" for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace leaf
