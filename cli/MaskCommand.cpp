// leafsmith-cli mask: the foreground/background mask of a page as a PBM
// file, black where the page would be coded as foreground (text).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "formats/AtomicFile.h"
#include "formats/ImageFiles.h"
#include "image/Messages.h"
#include "libAPI/djvu_mask.h"

namespace leaf::cli {

const char kMaskUsage[] =
    "usage: leafsmith-cli mask IN OUT.pbm [options]\n\n"
    "Finds the foreground/background mask that saving IN as DjVu would use and\n"
    "writes it as a PBM file, black = foreground. Options not given come from the\n"
    "settings file (DjvuFilterLevel, DjvuForeback, DjvuNoColorFilter,\n"
    "DjvuNoSizeFilter, DjvuNoInvFilter).\n\n"
    "Options:\n"
    "  --filter-level N   -200..200: larger keeps more marks in the mask\n"
    "  --foreback N       0..255: above 0 the page is split into two tonal halves\n"
    "                     at this gray level and each half is searched\n"
    "  --no-color-filter  switch the colour filter off\n"
    "  --no-size-filter   switch the size filter off\n"
    "  --no-inv-filter    no light-on-dark marks, no rejection of dark regions\n"
    "                     (with all three filters off the mask is unfiltered)\n";

namespace {

struct MaskJob {
  std::string input, output;
  djvu_mask_options options{};
};

MaskJob ParseMask(const Context& context, Args& args) {
  const AppSettings& s = context.settings;
  // The record the application fills when it saves a page as DjVu.
  MaskJob job;
  job.options.size = sizeof(djvu_mask_options);
  job.options.filter_level = s.djvuFilterLevel;
  job.options.multi_forback = s.djvuForeback;
  job.options.flags = (s.djvuNoColorFilter ? NO_COLOR_FILTER : 0u) |
                      (s.djvuNoSizeFilter ? NO_SIZE_FILTER : 0u) |
                      (s.djvuNoInvFilter ? NO_INV_FILTER : 0u);
  job.options.dpi = 300;
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item == "--filter-level") {
      job.options.filter_level = ParseInt(item, args.valueFor(item), -200, 200);
    } else if (item == "--foreback") {
      job.options.multi_forback = ParseInt(item, args.valueFor(item), 0, 255);
    } else if (item == "--no-color-filter") {
      job.options.flags |= NO_COLOR_FILTER;
    } else if (item == "--no-size-filter") {
      job.options.flags |= NO_SIZE_FILTER;
    } else if (item == "--no-inv-filter") {
      job.options.flags |= NO_INV_FILTER;
    } else if (item.size() > 1 && item[0] == '-') {
      throw UsageError("mask: unknown option " + item);
    } else {
      positional.push_back(item);
    }
  }
  if (positional.size() != 2) throw UsageError("mask needs an input and an output file");
  job.input = positional[0];
  job.output = positional[1];
  return job;
}

// The page as the coding layer sees it: 24-bit rows as BGR and 8-bit rows
// of an ascending gray ramp are used where they are; any other palette image
// is expanded through its palette (gray when every entry is gray).
struct MaskPage {
  djvu_pixel_image image{};
  std::vector<uint8_t> expanded;
};

bool MakeMaskPage(DibImage& dib, MaskPage& page) {
  DibRaster& r = dib.raster;
  djvu_pixel_image& p = page.image;
  p.w = static_cast<unsigned>(r.width);
  p.h = static_cast<unsigned>(r.height);
  p.flags = r.rowOrder == kRowOrderTopDown ? DJVU_TOPDOWN : DJVU_BOTTOMUP;
  if (r.xResolution > 0 && r.yResolution > 0) {
    p.flags |= DJVU_HAS_DPI;
    p.xres = static_cast<unsigned>(r.xResolution);
    p.yres = static_cast<unsigned>(r.yResolution);
  }
  if (r.bitsPerPixel == 24) {
    p.flags |= r.channelOrder == kChannelOrderRgb ? DJVU_RGB : DJVU_BGR;
    p.pixsize = 3;
    p.rowsize = static_cast<unsigned>(r.rowStride);
    p.data = r.pixels();
    return true;
  }
  if (r.bitsPerPixel != 1 && r.bitsPerPixel != 4 && r.bitsPerPixel != 8) {
    SetMessage("the mask needs a 1, 4, 8 or 24-bit image, not %d bits", r.bitsPerPixel);
    return false;
  }
  if (r.bitsPerPixel == 8 && dib.IsGrayRamp() && r.photometric == kPhotometricMinIsBlack) {
    p.flags |= DJVU_GRAY;
    p.pixsize = 1;
    p.rowsize = static_cast<unsigned>(r.rowStride);
    p.data = r.pixels();
    return true;
  }
  const uint8_t* palette = r.palette();
  const size_t entries = r.paletteEntries();
  bool gray = true;
  for (size_t i = 0; i < entries; ++i) {
    const uint8_t* e = palette + i * r.paletteEntrySize;
    gray = gray && e[0] == e[1] && e[1] == e[2];
  }
  const size_t pixsize = gray ? 1 : 3;
  page.expanded.assign(static_cast<size_t>(r.width) * r.height * pixsize, 0);
  const int bits = r.bitsPerPixel, mask = (1 << bits) - 1;
  for (int y = 0; y < r.height; ++y) {
    const uint8_t* in = r.storedRow(y);
    uint8_t* out = page.expanded.data() + static_cast<size_t>(y) * r.width * pixsize;
    for (int x = 0; x < r.width; ++x) {
      const int bit = x * bits;
      const size_t index = (in[bit / 8] >> (8 - bits - bit % 8)) & mask;
      static const uint8_t kBlack[4] = {0, 0, 0, 0};
      const uint8_t* e = index < entries ? palette + index * r.paletteEntrySize : kBlack;
      for (size_t c = 0; c < pixsize; ++c) out[x * pixsize + c] = e[c];
    }
  }
  p.flags |= gray ? DJVU_GRAY : DJVU_BGR;
  p.pixsize = static_cast<unsigned>(pixsize);
  p.rowsize = static_cast<unsigned>(r.width * pixsize);
  p.data = page.expanded.data();
  return true;
}

struct RunImageFree {
  void operator()(djvu_run_image* image) const { djvu_run_image_free(image); }
};

// Writes the mask (records with bit 7 set for black) as a P4 file.
bool WriteMaskPbm(const djvu_run_image& mask, const std::string& path) {
  const size_t rowBytes = (mask.w + 7) / 8;
  std::vector<uint8_t> rows(rowBytes * mask.h, 0);
  size_t pixel = 0;
  const size_t total = static_cast<size_t>(mask.w) * mask.h;
  for (unsigned i = 0; i < mask.nruns && pixel < total; ++i) {
    const bool black = mask.runs[i] & 0x80;
    const size_t length = (mask.runs[i] & 0x7F) + 1u;
    for (size_t k = 0; k < length && pixel < total; ++k, ++pixel) {
      if (!black) continue;
      const size_t y = pixel / mask.w, x = pixel % mask.w;
      rows[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  AtomicFile file(path);
  if (!file.Open()) {
    SetMessage("cannot create %s", path.c_str());
    return false;
  }
  const std::string header = "P4\n" + std::to_string(mask.w) + " " + std::to_string(mask.h) + "\n";
  if (!WriteAll(file.stream(), header.data(), header.size()) ||
      !WriteAll(file.stream(), rows.data(), rows.size()) || !file.Commit()) {
    SetMessage("cannot write %s", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int RunMask(Context& context, Args& args) {
  const MaskJob job = ParseMask(context, args);
  const FileTypeCode type = FileTypeForReading(job.input);
  if (type == kFileUnknown) {
    std::fprintf(stderr, "leafsmith-cli: cannot tell the type of %s from its name\n",
                 job.input.c_str());
    return kExitFailure;
  }
  DibImage image;
  ClearMessage();
  if (!ReadImageFile(image, job.input, type)) return ReportFailure("Failed to open the image!");
  MaskPage page;
  ClearMessage();
  if (!MakeMaskPage(image, page)) return ReportFailure("Failed to find the mask!");
  std::unique_ptr<djvu_run_image, RunImageFree> mask(djvu_mask(&job.options, &page.image));
  if (!mask) {
    std::fprintf(stderr, "leafsmith-cli: Failed to find the mask of %s!\n", job.input.c_str());
    return kExitFailure;
  }
  ClearMessage();
  if (!WriteMaskPbm(*mask, job.output)) return ReportFailure("Failed to save the mask!");
  std::printf("wrote %s: mask, %u x %u, %u dpi\n", job.output.c_str(), mask->w, mask->h,
              mask->xres);
  return kExitOk;
}

}  // namespace leaf::cli
