// The subcommands of leafsmith-cli.
#pragma once

#include <string>

#include "Args.h"
#include "app/AppSettings.h"
#include "formats/ImageFiles.h"
#include "image/DibImage.h"

namespace leaf::cli {

struct Context {
  AppSettings settings;
  std::string settingsPath;
};

struct Command {
  const char* name;
  const char* summary;
  const char* usage;  // full help text
  int (*run)(Context& context, Args& args);
  std::string (*buildUsage)() = nullptr;  // for help built from option tables
};

int RunInfo(Context& context, Args& args);
int RunConvert(Context& context, Args& args);
int RunSettings(Context& context, Args& args);
int RunRender(Context& context, Args& args);
int RunMask(Context& context, Args& args);
int RunScan(Context& context, Args& args);

// Prints the probe and page description of a DjVu or IW44 file (one page,
// 0 = first; a multipage document lists its pages first); false (with the
// message buffer set) when the file cannot be probed or a page decoded.
bool PrintDjvuInfo(const std::string& path, int page);

extern const char kInfoUsage[];
extern const char kSettingsUsage[];
extern const char kRenderUsage[];
extern const char kMaskUsage[];
// Built from the convert option groups.
std::string ConvertUsage();
std::string ScanUsage();

// Prints the message buffer's text (or the fallback when it is empty) to stderr.
int ReportFailure(const std::string& fallback);

// Reads an input file by the type its name tells; on failure the reason is
// on stderr and the result is false.
bool OpenInput(const std::string& path, DibImage& image, const ReadOptions& options = {});

}  // namespace leaf::cli
