// The type filters of the Open and Save As dialogs and the file names they
// propose.
#pragma once

#include <string>
#include <vector>

#include "formats/FileType.h"
#include "multi/OutputNames.h"  // ReplaceExtension

namespace leaf {

struct FileFilter {
  std::string text;                   // "DjVu file (*.djvu;*.djv)"
  std::vector<std::string> patterns;  // "*.djvu", "*.djv"
  FileTypeCode type;                  // kFileAllSupported for every type the program reads
};

// The Open dialog's rows, the last one "All supported image files".
const std::vector<FileFilter>& OpenFilters();
// The row the "OpenType" setting preselects: its type's row, or the last one.
int OpenFilterRowForSetting(int openType);
// What choosing a row stores in "OpenType" (100 for the last row) and the type
// it forces on the file (0 for the last row: the file name decides).
int OpenTypeSettingForRow(int row);
int RequestedTypeForRow(int row);

// The Save As dialog's rows, one per type the program writes.
const std::vector<FileFilter>& SaveFilters();
// The row for a save type; 0 (DjVu) when the type has no row.
int SaveFilterRowForType(int saveType);
FileTypeCode SaveTypeForRow(int row);

// The extension a save type proposes: ".djvu", ".iw44", ".bmp", ".jpg", and
// for PNM ".pbm" (1-bit), ".pgm" (8-bit gray) or ".ppm"; "" for other types.
std::string SaveExtension(int saveType, int bitsPerPixel, bool gray);

// The name with the type's extension appended when its own extension does not
// name that type ("page.txt" -> "page.txt.djvu"; "page.DJV" stays).
std::string NameForSaveType(const std::string& name, FileTypeCode type,
                            const std::string& extension);

// The Qt form of a filter: "DjVu file (*.djvu *.djv)".
std::string QtFilterText(const FileFilter& filter);

}  // namespace leaf
