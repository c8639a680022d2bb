// leafsmith-cli mask: the foreground/background mask of a page as a PBM
// file, black where the page would be coded as foreground (text).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "SettingOptions.h"
#include "app/SaveParameters.h"
#include "formats/DjvuWriter.h"
#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "image/BitmapInfoHeader.h"
#include "image/Messages.h"
#include "libAPI/djvu_mask.h"

namespace leaf::cli {

namespace {

// The settings of the mask finder, which the mask command takes as options.
constexpr const char* kMaskSettings[] = {"DjvuFilterLevel", "DjvuForeback", "DjvuNoColorFilter",
                                         "DjvuNoSizeFilter", "DjvuNoInvFilter"};

const SettingDescription* MaskSetting(const std::string& option) {
  const SettingDescription* setting = FindSettingOption(option);
  if (!setting) return nullptr;
  for (const char* key : kMaskSettings) {
    if (std::string_view(key) == setting->key) return setting;
  }
  return nullptr;
}

}  // namespace

std::string MaskUsage() {
  std::string text =
      "usage: leafsmith-cli mask IN OUT.pbm [options]\n\n"
      "Finds the foreground/background mask that saving IN as DjVu would use and\n"
      "writes it as a PBM file, black = foreground. Options not given come from the\n"
      "settings file. With all three filters off the mask is unfiltered; a foreback\n"
      "level above 0 splits the page into two tonal halves at that gray level and\n"
      "searches each.\n\n"
      "Options:\n";
  text += HelpLine("--page", "N", "the page of a multipage file (1 = first, the default)");
  for (const char* key : kMaskSettings) {
    const SettingDescription& s = *FindSetting(key);
    text += HelpLine(s.option, SettingValueName(s), SettingOptionHelp(s));
  }
  return text + kReadOptionsHelp + kWriteOptionsHelp;
}

namespace {

struct MaskJob {
  std::string input, output;
  int page = 0;
  djvu_mask_options options{};
};

MaskJob ParseMask(Context& context, Args& args) {
  // The record the application fills when it saves a page as DjVu.
  MaskJob job;
  AppSettings settings = context.settings;
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    std::string name = item, value;
    const bool inlineValue = SplitOptionValue(item, name, value);
    if (item == "--page") {
      job.page = ParseInt(item, args.valueFor(item), 1, 65535) - 1;
    } else if (const SettingDescription* setting = MaskSetting(name)) {
      if (!inlineValue && SettingValueName(*setting)) value = args.valueFor(name);
      ApplySettingOption(*setting, name, value, settings);
    } else if (ApplyCommonOption(context, item, args, true)) {
      continue;
    } else if (item.size() > 1 && item[0] == '-') {
      throw UsageError("mask: unknown option " + item);
    } else {
      positional.push_back(item);
    }
  }
  job.options = SaveParametersFor(settings).djvu.mask;
  if (positional.size() != 2) throw UsageError("mask needs an input and an output file");
  job.input = positional[0];
  job.output = positional[1];
  return job;
}

// The mask (records with bit 7 set for black) as a 1-bit image, palette
// entry 0 white, ready for the PBM writer.
bool MaskAsImage(const djvu_run_image& mask, DibImage& image) {
  BitmapInfoHeader header;
  header.width = static_cast<int32_t>(mask.w);
  header.height = -static_cast<int32_t>(mask.h);  // rows top-down, as the runs come
  header.bitCount = 1;
  const size_t stride = RowStride(mask.w, 1);
  std::vector<uint8_t> rows(stride * mask.h, 0);
  header.sizeImage = static_cast<uint32_t>(rows.size());
  size_t pixel = 0;
  const size_t total = static_cast<size_t>(mask.w) * mask.h;
  for (unsigned i = 0; i < mask.nruns && pixel < total; ++i) {
    const bool black = mask.runs[i] & 0x80;
    const size_t length = (mask.runs[i] & 0x7F) + 1u;
    for (size_t k = 0; k < length && pixel < total; ++k, ++pixel) {
      if (!black) continue;
      const size_t y = pixel / mask.w, x = pixel % mask.w;
      rows[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  uint8_t headerBytes[kBitmapInfoHeaderSize];
  header.Write(headerBytes);
  const uint8_t palette[8] = {255, 255, 255, 0, 0, 0, 0, 0};
  return image.Import(headerBytes, sizeof headerBytes, palette, sizeof palette, rows.data(),
                      rows.size(), kImportFormatPackedDib);
}

}  // namespace

int RunMask(Context& context, Args& args) {
  const MaskJob job = ParseMask(context, args);
  DibImage image;
  ReadOptions read;
  read.page = job.page;
  if (!OpenInput(job.input, image, read, context.strict)) return kExitFailure;
  djvu_pixel_image page{};
  PixelBlock storage;
  ClearMessage();
  if (MakePixelImage(image, page, storage) < 0) return ReportFailure("Failed to find the mask!");
  const OwnedRunImage mask(djvu_mask(&job.options, &page));
  if (!mask) {
    std::fprintf(stderr, "leafsmith-cli: Failed to find the mask of %s!\n", job.input.c_str());
    return kExitFailure;
  }
  ClearMessage();
  DibImage maskImage;
  if (!MaskAsImage(*mask, maskImage)) return ReportFailure("Failed to save the mask!");
  const int status = SaveOutput(context, job.output, kFilePnm, maskImage, {});
  if (status != kExitOk) return status;
  std::fprintf(ReportStream(job.output), "wrote %s: mask, %u x %u, %u dpi\n", job.output.c_str(),
               mask->w, mask->h, mask->xres);
  return kExitOk;
}

}  // namespace leaf::cli
