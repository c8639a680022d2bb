// Saving an image in any of the types the program writes: the one routine
// behind Save, batch conversion, the sweeper and the command line.
#pragma once

#include <string>
#include <vector>

#include "DjvuWriter.h"
#include "FileType.h"
#include "Jpeg.h"
#include "image/DibImage.h"

namespace leaf {

// How a DjVu page is made (the DjVu settings).
struct DjvuSaveParameters {
  int upsample = kDjvuUpsampleAuto;  // 0 automatic, -1 none, -2, -3, -4: enlarge 2x..4x
  bool textOnly = false;             // write the text mask of a colour or gray page only
  djvu_mask_options mask = djvu_mask_default_options();
  djvu_encode_options encode = djvu_encode_options_default();
  OcrSettings ocr;  // recognise the page's text into a hidden text layer
};

// Everything the writers need besides the image, filled from the settings
// by the caller.
struct SaveParameters {
  JpegWriteOptions jpeg;
  DjvuSaveParameters djvu;
  djvu_photo_options iw44 = djvu_photo_options_default();
  bool replaceProtected = false;  // replace a write-protected file (the user said so)
};

// The folders made for a file about to be written (any missing parents of
// its folder), removed again, the deepest first, when the object goes
// without Keep: a failed save leaves no folder behind. A folder something
// else was put in meanwhile stays.
class MadeFolders {
 public:
  MadeFolders() = default;
  ~MadeFolders();
  MadeFolders(const MadeFolders&) = delete;
  MadeFolders& operator=(const MadeFolders&) = delete;

  // Makes the missing folders of path's folder; false (reported through
  // image) when one cannot be made.
  bool MakeFor(const DibImage& image, const std::string& path);
  void Keep() { keep_ = true; }

 private:
  std::vector<std::string> made_;
  bool keep_ = false;
};

// Writes the image to path in the given type (DjVu, IW44, BMP, PNM, JPEG or PNG),
// creating missing folders on the way. Writers may change how the raster is
// stored (row order, gray sense) but not the picture. A failed save leaves
// no file behind, an existing file untouched and no folder it made. A
// write-protected file is not replaced unless the parameters say so. "-" is
// standard output; a symbolic link's target, a device or a FIFO is written.
bool SaveImageFile(const std::string& path, FileTypeCode type, DibImage& image,
                   const SaveParameters& parameters = {});

}  // namespace leaf
