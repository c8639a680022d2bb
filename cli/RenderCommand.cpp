// "render": a DjVu or IW44 page through the page renderer, as the view shows
// it at a zoom level and layer, saved in the output's format.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Command.h"
#include "app/SaveParameters.h"
#include "app/SettingsTable.h"
#include "formats/DjvuReader.h"
#include "formats/ImageFiles.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

const char kRenderUsage[] =
    "usage: leafsmith-cli render IN OUT [--page N]\n"
    "                            [--layer color|mask|background|foreground]\n"
    "                            [--zoom Z] [--depth D] [--gamma G]\n\n"
    "Renders a page of the DjVu or IW44 file IN and writes it as OUT, in the\n"
    "format OUT's extension names.\n\n"
    "  --page N    the page of a multipage document (1 = first, the default)\n"
    "  --layer L   color (all layers, the default), mask (black and white),\n"
    "              background or foreground\n"
    "  --zoom Z    zoom level, -99 to 9: Z < 0 renders at 1/(1 - Z) of the page's\n"
    "              size, 0 and above at full size (default 0)\n"
    "  --depth D   bits per pixel of the display, 1 to 24: below 15 colours are\n"
    "              dithered to 216 colours, below 24 to 32768 (default 24)\n"
    "  --gamma G   gamma of the display, 0.1 to 10 (default: DisplayGamma of the\n"
    "              settings)\n";

int ParseLayer(const std::string& value) {
  if (value == "color" || value == "colour") return kDjvuLayerColor;
  if (value == "mask") return kDjvuLayerMask;
  if (value == "background") return kDjvuLayerBackground;
  if (value == "foreground") return kDjvuLayerForeground;
  throw UsageError("--layer takes color, mask, background or foreground, not '" + value + "'");
}

}  // namespace

std::string RenderUsage() {
  return std::string(kRenderUsage) + kReadOptionsHelp + kWriteOptionsHelp;
}

int RunRender(Context& context, Args& args) {
  ReadOptions options;
  options.gamma = context.settings.displayGamma;
  std::vector<std::string> positional;
  while (!args.empty()) {
    const std::string item = args.next();
    if (item == "--page") {
      options.page = ParseInt(item, args.valueFor(item), 1, 65535) - 1;
    } else if (item == "--layer") {
      options.layer = ParseLayer(args.valueFor(item));
    } else if (item == "--zoom") {
      options.zoom = ParseInt(item, args.valueFor(item), -99, 9);
    } else if (item == "--depth") {
      options.depth = ParseInt(item, args.valueFor(item), 1, 24);
    } else if (item == "--gamma") {
      constexpr const SettingDescription& display = Setting("DisplayGamma");
      options.gamma = ParseDouble(item, args.valueFor(item), display.minimum, display.maximum);
    } else if (ApplyCommonOption(context, item, args, true)) {
      continue;
    } else if (item.size() > 1 && item[0] == '-') {
      throw UsageError("render: unknown option " + item);
    } else {
      positional.push_back(item);
    }
  }
  if (positional.size() != 2) throw UsageError("render needs an input and an output file");
  const std::string& in = positional[0];
  const std::string& out = positional[1];
  const FileTypeCode outputType = FileTypeFromName(out);
  if (outputType == kFileUnknown) {
    throw UsageError("render: cannot tell the output type from '" + out +
                     "'; give it a name ending in " + WritableExtensions());
  }
  const FileTypeCode inputType = FileTypeForReading(in);
  if (inputType != kFileDjvu && inputType != kFileIw44) {
    throw UsageError("render: " + in + " is not a DjVu or IW44 file (.djvu, .djv, .iw44, .iw4)");
  }
  DibImage image;
  if (!OpenInput(in, image, options, context.strict)) return kExitFailure;
  const int status =
      SaveOutput(context, out, outputType, image, SaveParametersFor(context.settings));
  if (status != kExitOk) return status;
  PrintWritten(out, outputType, image.raster);
  return kExitOk;
}

}  // namespace leaf::cli
