// leafsmith-cli: view, convert and edit scanned document images from the shell.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "app/SettingsLocation.h"
#include "formats/AtomicFile.h"
#include "image/Messages.h"

namespace leaf::cli {

namespace {

const Command kCommands[] = {
    {"info", "show type, size, depth and resolution of image files", InfoUsage, RunInfo},
    {"convert", "convert to another format, with edits; many pages to one DjVu document",
     ConvertUsage, RunConvert},
    {"render", "render a DjVu or IW44 page's layer at a zoom level", RenderUsage, RunRender},
    {"settings", "show, change or write the settings file", SettingsUsage, RunSettings},
    {"mask", "write the foreground/background mask of a page as PBM", MaskUsage, RunMask},
    {"text", "print the hidden text of DjVu pages, or its word boxes", TextUsage, RunText},
    {"batch", "convert many files into a folder, several at once", BatchUsage, RunBatchCommand},
    {"sweep", "convert whatever arrives in a watched folder, archiving the originals", SweepUsage,
     RunSweepCommand},
    {"scan", "scan pages into files of any type, with the convert options", ScanUsage, RunScan},
};

void PrintMainHelp() {
  std::printf(
      "usage: leafsmith-cli [--settings FILE] COMMAND [ARGS]\n\n"
      "Views, converts and edits scanned document images (DjVu, IW44, TIFF, JPEG,\n"
      "PNG, BMP, PNM).\n\n"
      "Commands:\n");
  for (const Command& command : kCommands)
    std::printf("  %-10s %s\n", command.name, command.summary);
  std::printf(
      "\nOptions:\n"
      "  --settings FILE  read settings from FILE instead of the default profile\n"
      "                   (%s)\n"
      "  --help           show this help; 'COMMAND --help' shows a command's help\n"
      "  --version        show the version\n\n"
      "Exit status: 0 success, 1 failure (the reason on stderr), 2 usage error.\n",
      DefaultProfilePath().c_str());
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int Main(std::vector<std::string> items) {
  Context context;
  context.settingsPath = DefaultProfilePath();
  size_t i = 0;
  for (; i < items.size() && items[i].size() > 1 && items[i][0] == '-'; ++i) {
    const std::string& item = items[i];
    if (item == "--help" || item == "-h") {
      PrintMainHelp();
      return kExitOk;
    }
    if (item == "--version") {
      std::printf("leafsmith-cli %s\n", LEAFSMITH_VERSION);
      return kExitOk;
    }
    if (item == "--settings") {
      if (i + 1 >= items.size()) throw UsageError("--settings needs a file");
      context.settingsPath = items[++i];
      continue;
    }
    throw UsageError("unknown option " + item);
  }
  if (i >= items.size()) throw UsageError("no command given");
  const Command* command = FindCommand(items[i]);
  if (!command) throw UsageError("unknown command '" + items[i] + "'");
  std::vector<std::string> rest(items.begin() + static_cast<long>(i) + 1, items.end());
  if (WantsHelp(rest)) {
    std::fputs(command->usage().c_str(), stdout);
    return kExitOk;
  }
  context.settings = LoadSettings(context.settingsPath, HomeDirectory());
  UsePixelLimit(context);
  Args args(std::move(rest));
  return command->run(context, args);
}

}  // namespace

std::string FailureText(const std::string& fallback) {
  std::string text = *LastMessage() ? LastMessage() : fallback;
  // Some of the readers' texts end in a line break of their own.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

int ReportFailure(const std::string& fallback) {
  std::fprintf(stderr, "leafsmith-cli: %s\n", FailureText(fallback).c_str());
  return kExitFailure;
}

}  // namespace leaf::cli

int main(int argc, char** argv) {
  std::vector<std::string> items(argv + 1, argv + argc);
  leaf::RemoveTemporariesOnSignals();
  try {
    return leaf::cli::Main(std::move(items));
  } catch (const leaf::cli::UsageError& error) {
    std::fprintf(stderr, "leafsmith-cli: %s\nTry 'leafsmith-cli --help'.\n", error.what());
    return leaf::cli::kExitUsage;
  }
}
