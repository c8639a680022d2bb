// File types and their choice from a file name.
#pragma once

#include <cstddef>
#include <string>

namespace leaf {

enum FileTypeCode : int {
  kFileDjvu = 1,
  kFileIw44 = 2,
  kFileBmp = 3,
  kFilePnm = 4,
  kFileJpeg = 5,
  kFileTiff = 6,
  kFilePng = 8,  // 7 is the settings' "all supported" of the Open dialog
  kFileUnknown = 99,
  kFileAllSupported = 100,  // a list filter only
};

// The type from the extension (everything from the last "."), ignoring case.
FileTypeCode FileTypeFromName(const std::string& path);

// A short lower-case name ("djvu", "bmp", ...) for messages and options.
const char* FileTypeName(FileTypeCode type);

// The type for a name given on the command line ("djvu", "jpg", "pgm", ...);
// kFileUnknown when there is none.
FileTypeCode FileTypeFromTypeName(const std::string& name);

// The type the first bytes of a file announce (its "magic"), whatever its
// name; kFileUnknown when they announce none the program reads.
FileTypeCode FileTypeFromContent(const unsigned char* bytes, size_t size);
FileTypeCode FileTypeFromContent(const std::string& path);

// The usual extension of a type, with its dot (".djvu", ".jpg", ...).
const char* FileTypeExtension(FileTypeCode type);

// The extensions of the types the program reads, or writes, for messages:
// ".djvu, .djv, .iw44, ...".
std::string ReadableExtensions();
std::string WritableExtensions();

}  // namespace leaf
