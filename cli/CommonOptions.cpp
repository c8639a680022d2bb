// Options shared by the commands: the pixel limit, strict reading, and
// replacing write-protected files.
#include <string>

#include "Command.h"
#include "image/PixelLimit.h"

namespace leaf::cli {

const char kReadOptionsHelp[] =
    "  --max-megapixels N  refuse pictures larger than N megapixels (default:\n"
    "                      MaxMegapixels of the settings, 700)\n"
    "  --strict            treat a warning about a damaged input file as a failure\n";

const char kWriteOptionsHelp[] =
    "  --force             replace an output file even when it is write-protected\n";

bool ApplyCommonOption(Context& context, const std::string& item, Args& args, bool writes) {
  if (item == "--max-megapixels") {
    context.settings.maxMegapixels = ParseInt(item, args.valueFor(item), 1, kLargestMegapixelLimit);
    UsePixelLimit(context);
    return true;
  }
  if (item == "--strict") {
    context.strict = true;
    return true;
  }
  if (writes && item == "--force") {
    context.force = true;
    return true;
  }
  return false;
}

void UsePixelLimit(const Context& context) {
  const std::string settingsPath = context.settingsPath;
  SetPixelLimit(context.settings.maxMegapixels, [settingsPath](int64_t megapixels) {
    const std::string n = std::to_string(megapixels);
    return "give --max-megapixels " + n + ", or set MaxMegapixels=" + n + " in the [General] " +
           "section of " + settingsPath;
  });
}

}  // namespace leaf::cli
