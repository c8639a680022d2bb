// The subcommands of leafsmith-cli.
#pragma once

#include <cstdio>
#include <string>

#include "Args.h"
#include "app/AppSettings.h"
#include "formats/ImageFiles.h"
#include "formats/SaveImageFile.h"
#include "image/DibImage.h"

namespace leaf::cli {

struct Context {
  AppSettings settings;
  std::string settingsPath;
  bool strict = false;  // a warning while reading is a failure
  bool force = false;   // replace write-protected outputs
};

struct Command {
  const char* name;
  const char* summary;
  std::string (*usage)();  // full help text
  int (*run)(Context& context, Args& args);
};

int RunInfo(Context& context, Args& args);
int RunConvert(Context& context, Args& args);
int RunSettings(Context& context, Args& args);
int RunRender(Context& context, Args& args);
int RunMask(Context& context, Args& args);
int RunScan(Context& context, Args& args);
int RunBatchCommand(Context& context, Args& args);
int RunSweepCommand(Context& context, Args& args);
int RunText(Context& context, Args& args);

// Prints the probe and page description of a DjVu or IW44 file (one page,
// 0 = first; a multipage document lists its pages first); false (with the
// message buffer set) when the file cannot be probed or a page decoded.
bool PrintDjvuInfo(const std::string& path, int page);

// The help texts; convert's is built from its option groups.
std::string InfoUsage();
std::string SettingsUsage();
std::string RenderUsage();
std::string MaskUsage();
std::string ConvertUsage();
std::string ScanUsage();
std::string BatchUsage();
std::string SweepUsage();
std::string TextUsage();

// The message buffer's text (or the fallback when it is empty), on one line.
std::string FailureText(const std::string& fallback);

// Prints FailureText to stderr; returns kExitFailure.
int ReportFailure(const std::string& fallback);

// Reads an input file by the type its name tells ("-": standard input, by
// its content); false with the reason in the message buffer. Warnings go to
// stderr as they come; with strict, a warning makes the read fail.
bool ReadInput(const std::string& path, DibImage& image, const ReadOptions& options, bool strict);

// ReadInput, with the failure's reason on stderr.
bool OpenInput(const std::string& path, DibImage& image, const ReadOptions& options = {},
               bool strict = false);

// "PATH is write-protected; give --force to replace it" on stderr; returns
// kExitFailure.
int ReportWriteProtected(const std::string& path);

// Saves the image as the command's output: a write-protected file is refused
// unless --force was given, "-" is standard output. The failure goes to
// stderr; returns the exit status.
int SaveOutput(const Context& context, const std::string& path, FileTypeCode type, DibImage& image,
               SaveParameters parameters);

// Prints "wrote PATH: type, W x H, bits, bytes", on stderr when the picture
// itself went to standard output.
void PrintWritten(const std::string& path, FileTypeCode type, const DibRaster& raster);

// "wrote PATH: djvu document, N pages, bytes".
void PrintDocumentWritten(const std::string& path, int pages);

// Prints a saver's progress text with its percentage.
void PrintProgress(const char* text, int percent);

// The size of a file; 0 when it cannot be told.
unsigned long long FileBytes(const std::string& path);

// Where a command's report goes: stderr when its output is standard output.
std::FILE* ReportStream(const std::string& output);

// The options every command that reads files takes (--max-megapixels,
// --strict) and, when the command writes, --force. True when item was one of
// them; its value, if any, is taken from args.
bool ApplyCommonOption(Context& context, const std::string& item, Args& args, bool writes);

// Their lines for a command's --help.
extern const char kReadOptionsHelp[];
extern const char kWriteOptionsHelp[];

// Makes the settings' pixel limit the process's, with the command line's way
// of raising it.
void UsePixelLimit(const Context& context);

}  // namespace leaf::cli
