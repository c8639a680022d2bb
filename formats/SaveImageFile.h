// Saving an image in any of the types the program writes: the one routine
// behind Save, batch conversion, the sweeper and the command line.
#pragma once

#include <string>

#include "DjvuWriter.h"
#include "FileType.h"
#include "Jpeg.h"
#include "image/DibImage.h"

namespace leaf {

// How a DjVu page is made (the DjVu settings).
struct DjvuSaveParameters {
  int upsample = kDjvuUpsampleNone;  // -1 none, -2, -3, -4: enlarge before finding the mask
  bool textOnly = false;             // write the text mask of a colour or gray page only
  djvu_mask_options mask = djvu_mask_default_options();
  djvu_encode_options encode = djvu_encode_options_default();
};

// Everything the writers need besides the image, filled from the settings
// by the caller.
struct SaveParameters {
  JpegWriteOptions jpeg;
  DjvuSaveParameters djvu;
  djvu_photo_options iw44 = djvu_photo_options_default();
};

// Makes the folder a file is to be written in, with any missing parents;
// false (reported through image) when it cannot be made.
bool MakeFolderFor(const DibImage& image, const std::string& path);

// Writes the image to path in the given type (DjVu, IW44, BMP, PNM or JPEG),
// creating missing folders on the way. Writers may change how the raster is
// stored (row order, gray sense) but not the picture. A failed save leaves
// no file behind and an existing file untouched.
bool SaveImageFile(const std::string& path, FileTypeCode type, DibImage& image,
                   const SaveParameters& parameters = {});

}  // namespace leaf
