#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "formats/ImageFiles.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

const char kInfoUsage[] =
    "usage: leafsmith-cli info [--page N] FILE...\n\n"
    "Shows each file's type, size, depth, resolution, page count and photometric\n"
    "interpretation. For DjVu and IW44 files: the form; for a multipage document\n"
    "its kind, every page's size, resolution, turn, name and title, and the\n"
    "number of bookmarks; then for one page the INFO chunk's size, version,\n"
    "resolution and gamma, the layers the page has, its header kind and the\n"
    "decoded page's description.\n\n"
    "  --page N   the page of a multipage file to describe (1 = first, default 1)\n";

const char* PhotometricName(int photometric) {
  switch (photometric) {
    case kPhotometricMinIsWhite: return "min-is-white";
    case kPhotometricMinIsBlack: return "min-is-black";
    case kPhotometricRgb: return "rgb";
    case kPhotometricPalette: return "palette";
    default: return "unknown";
  }
}

const char* ResolutionUnitName(int unit) {
  switch (unit) {
    case kResolutionUnitInch: return "dpi";
    case kResolutionUnitCentimetre: return "dots/cm";
    default: return "(no unit)";
  }
}

void PrintRaster(const std::string& path, FileTypeCode type, const DibRaster& r) {
  std::printf("%s:\n", path.c_str());
  std::printf("  type:        %s\n", FileTypeName(type));
  std::printf("  size:        %d x %d\n", r.width, r.height);
  std::printf("  depth:       %d bits per pixel (file: %d)\n", r.bitsPerPixel,
              r.sourceBitsPerPixel);
  std::printf("  resolution:  %d x %d %s\n", r.xResolution, r.yResolution,
              ResolutionUnitName(r.resolutionUnit));
  std::printf("  pages:       %d\n", r.pageCount);
  std::printf("  photometric: %s%s\n", PhotometricName(r.photometric),
              r.grayFlag ? " (gray ramp)" : "");
}

}  // namespace

std::string InfoUsage() { return std::string(kInfoUsage) + kReadOptionsHelp; }

int RunInfo(Context& context, Args& args) {
  int page = 0;
  std::vector<std::string> paths;
  while (!args.empty()) {
    const std::string item = args.next();
    if (ApplyCommonOption(context, item, args, false)) continue;
    if (item == "--page") {
      page = ParseInt(item, args.valueFor(item), 1, 65535) - 1;
    } else if (item.size() > 1 && item[0] == '-') {
      throw UsageError("info: unknown option " + item);
    } else {
      paths.push_back(item);
    }
  }
  if (paths.empty()) throw UsageError("info needs at least one file");
  ReadOptions options;
  options.page = page;
  options.headerOnly = true;
  int status = kExitOk;
  for (const std::string& path : paths) {
    const FileTypeCode type = FileTypeForReading(path);
    DibImage image;
    ClearMessage();
    if (type == kFileUnknown) {
      std::fprintf(stderr,
                   "leafsmith-cli: %s: cannot tell the file type from its name; the names of "
                   "the files read end in %s\n",
                   path.c_str(), ReadableExtensions().c_str());
      status = kExitFailure;
    } else if (type == kFileDjvu || type == kFileIw44) {
      if (!PrintDjvuInfo(path, page)) {
        std::fprintf(stderr, "leafsmith-cli: %s: %s\n", path.c_str(),
                     FailureText("Failed to open the image!").c_str());
        status = kExitFailure;
      }
    } else if (!ReadImageFile(image, path, type, options)) {
      std::fprintf(stderr, "leafsmith-cli: %s: %s\n", path.c_str(),
                   FailureText("Failed to open the image!").c_str());
      status = kExitFailure;
    } else {
      PrintRaster(path, type, image.raster);
    }
  }
  return status;
}

}  // namespace leaf::cli
