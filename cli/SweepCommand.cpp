#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "Command.h"
#include "ManyFiles.h"
#include "app/SweepDirectories.h"
#include "image/Messages.h"
#include "multi/Sweeper.h"

namespace leaf::cli {

namespace {

constexpr const char kSweepUsage[] =
    "usage: leafsmith-cli sweep --in DIR --out DIR --archive DIR [--once] [options]\n\n"
    "Watches the input folder and its subfolders and converts every file that\n"
    "arrives into the output folder (same subfolders, the type's extension, a free\n"
    "NAME-N.EXT when the name is taken). Each original is moved to the archive's\n"
    "\"pending\" folder while it is converted and to \"finished\" afterwards. Each\n"
    "conversion is logged as one line. Runs until SIGTERM or SIGINT (Ctrl+C), which\n"
    "stop it between files; --once sweeps once and exits.\n\n"
    "The sweeper may be killed at any moment: restarted, it converts what was left\n"
    "in \"pending\" exactly once. Several sweepers, on one machine or on machines\n"
    "sharing the folders, may watch the same input folder; each file is claimed by\n"
    "one of them. Hidden files (names starting with '.') are left alone: write a\n"
    "file under a hidden name and rename it when it is complete.\n";

std::atomic<bool> g_stopRequested{false};

void RequestStop(int) { g_stopRequested.store(true); }

void InstallStopHandlers() {
  struct sigaction action = {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

std::vector<ConvertOptionGroup> SweepGroups() {
  return ManyFilesOptionGroups("Sweep", SweepOptions());
}

ConvertJob ParseSweep(const Context& context, Args& args) {
  ConvertJob job = ManyFilesJobFor(context);
  const AppSettings& settings = context.settings;
  if (settings.sweepSaveType >= kFileDjvu && settings.sweepSaveType <= kFileJpeg) {
    job.outputType = static_cast<FileTypeCode>(settings.sweepSaveType);
  }
  if (!ParseOptions(SweepGroups(), "sweep", job, args).empty()) {
    throw UsageError("sweep takes no file names; give the folders with --in, --out, --archive");
  }
  if (job.outputType == kFileUnknown) throw UsageError("sweep needs --to TYPE");
  const ManyFilesJob& many = job.many;
  if (many.inputFolder.empty() || many.outputFolder.empty() || many.archiveFolder.empty()) {
    throw UsageError("sweep needs --in, --out and --archive folders");
  }
  const SweepFolderProblem problem = CheckSweepFolders(QString::fromStdString(many.inputFolder),
                                                       QString::fromStdString(many.outputFolder),
                                                       QString::fromStdString(many.archiveFolder));
  if (!problem.message.isEmpty()) {
    std::string text = problem.message.toStdString();
    std::replace(text.begin(), text.end(), '\n', ' ');
    throw UsageError("sweep: " + text);
  }
  return job;
}

void PrintLogLine(const ConversionLogEntry& entry) {
  char when[32];
  std::tm local = {};
  localtime_r(&entry.start, &local);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  std::printf("%s  %s -> %s  %lld bytes  %dx%dx%d  %lld s  %s\n", when, entry.inputName.c_str(),
              entry.outputName.empty() ? "-" : entry.outputName.c_str(), entry.outputSize,
              entry.width, entry.height, entry.bitsPerPixel,
              static_cast<long long>(entry.end - entry.start),
              ConversionStatusText(entry.status).c_str());
  std::fflush(stdout);
}

}  // namespace

std::string SweepUsage() { return ManyFilesUsage(kSweepUsage, SweepGroups()); }

int RunSweepCommand(Context& context, Args& args) {
  const ConvertJob job = ParseSweep(context, args);
  if (const int status = CheckOcrJob(job, context.settings); status != kExitOk) return status;
  ConversionLog log;
  SweepEvents events;
  events.converted = PrintLogLine;
  Sweeper sweeper({job.many.inputFolder, job.many.outputFolder, job.many.archiveFolder},
                  JobConversionSettings(job), log, events);
  sweeper.SetSettleSeconds(job.many.settleSeconds);
  ClearMessage();
  if (!sweeper.PrepareFolders()) return ReportFailure("Could not create the sweeper's folders");
  InstallStopHandlers();
  if (!job.many.once) {
    sweeper.Run(g_stopRequested);
    return kExitOk;
  }
  sweeper.RunCycle(g_stopRequested);
  size_t failed = 0;
  for (const ConversionLogEntry& entry : log.Snapshot()) failed += entry.status != 0;
  return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace leaf::cli
