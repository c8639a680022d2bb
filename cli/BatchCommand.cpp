#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "Command.h"
#include "ManyFiles.h"
#include "multi/BatchRunner.h"
#include "multi/TimeEstimate.h"

namespace leaf::cli {

namespace {

constexpr const char kBatchUsage[] =
    "usage: leafsmith-cli batch --to TYPE --out DIR [options] FILES...|DIR\n\n"
    "Converts many files into one folder, several at once. A file that fails is\n"
    "reported and skipped; the exit status is then 1, with a summary at the end.\n"
    "A DIR argument stands for the readable files in it. The output is named after\n"
    "the input with the type's extension; a name already taken gets the next free\n"
    "NAME-N.EXT unless --replace is given. On a terminal a progress bar shows the\n"
    "count, the rate and the time left; otherwise every file gets a line.\n"
    "Settings not given as options come from the settings file.\n";

std::vector<ConvertOptionGroup> BatchGroups() {
  return ManyFilesOptionGroups("Batch", BatchOptions());
}

struct BatchRequest {
  ConvertJob job;
  std::vector<BatchInput> inputs;
};

BatchRequest ParseBatch(const Context& context, Args& args) {
  BatchRequest request{ManyFilesJobFor(context), {}};
  ConvertJob& job = request.job;
  if (context.settings.lcSaveType >= kFileDjvu && context.settings.lcSaveType <= kFileJpeg) {
    job.outputType = static_cast<FileTypeCode>(context.settings.lcSaveType);
  }
  job.many.replaceExisting = context.settings.run.batchReplaceExisting != 0;
  const std::vector<std::string> items = ParseOptions(BatchGroups(), "batch", job, args);
  if (job.outputType == kFileUnknown) throw UsageError("batch needs --to TYPE");
  if (job.many.outputFolder.empty()) throw UsageError("batch needs --out DIR");
  if (items.empty()) throw UsageError("batch needs files or a folder to convert");
  for (const std::string& item : items) {
    std::error_code error;
    if (std::filesystem::is_directory(item, error)) {
      const std::vector<BatchInput> found = ReadableFilesIn(item);
      request.inputs.insert(request.inputs.end(), found.begin(), found.end());
    } else {
      request.inputs.push_back(BatchInputFor(item));
    }
  }
  return request;
}

// Reports the files as they are finished: a bar on a terminal, lines
// otherwise; failures always on stderr.
class BatchReport {
 public:
  explicit BatchReport(const std::vector<BatchInput>& inputs)
      : inputs_(inputs), terminal_(::isatty(STDERR_FILENO) == 1) {
    for (const BatchInput& input : inputs) totalBytes_ += input.bytes;
  }

  void Finished(size_t index, const ConversionResult& result) {
    ++done_;
    doneBytes_ += inputs_[index].bytes;
    const std::string& input = inputs_[index].path;
    if (terminal_) std::fputs("\r\033[K", stderr);
    if (result.status != 0) {
      std::fprintf(stderr, "leafsmith-cli: %s: %s\n", input.c_str(), result.message.c_str());
    } else if (!terminal_) {
      const std::string& written =
          result.outputPath.empty() ? result.thumbnailPath : result.outputPath;
      std::printf("[%zu/%zu] %s -> %s\n", done_, inputs_.size(), input.c_str(), written.c_str());
      std::fflush(stdout);
    }
    if (terminal_) DrawBar();
  }

  void Summary(const BatchSummary& summary) const {
    if (terminal_) std::fputs("\r\033[K", stderr);
    const double seconds = Seconds();
    std::printf("%zu file%s: %zu converted, %zu failed%s in %.1f s (%.2f files/s)\n",
                inputs_.size(), inputs_.size() == 1 ? "" : "s", summary.converted, summary.failed,
                summary.stopped ? ", stopped" : "", seconds,
                seconds > 0 ? static_cast<double>(summary.finished) / seconds : 0.0);
  }

 private:
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

  void DrawBar() const {
    constexpr size_t kWidth = 30;
    const size_t filled = inputs_.empty() ? kWidth : kWidth * done_ / inputs_.size();
    const double seconds = Seconds();
    const TimeEstimate estimate =
        EstimateTime(static_cast<long long>(seconds), totalBytes_, doneBytes_);
    std::fprintf(stderr, "[%s%s] %zu/%zu  %.2f files/s  time left %s",
                 std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(), done_,
                 inputs_.size(), seconds > 0 ? static_cast<double>(done_) / seconds : 0.0,
                 estimate.known ? ClockText(estimate.left).c_str() : "-");
    std::fflush(stderr);
  }

  const std::vector<BatchInput>& inputs_;
  const bool terminal_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  long long totalBytes_ = 0;
  long long doneBytes_ = 0;
  size_t done_ = 0;
};

}  // namespace

std::string BatchUsage() { return ManyFilesUsage(kBatchUsage, BatchGroups()); }

int RunBatchCommand(Context& context, Args& args) {
  const BatchRequest request = ParseBatch(context, args);
  if (const int status = CheckOcrJob(request.job, context.settings); status != kExitOk)
    return status;
  BatchJob job;
  job.inputs = request.inputs;
  job.outputFolder = request.job.many.outputFolder;
  job.settings = JobConversionSettings(request.job);
  job.workers = request.job.jobs;
  BatchReport report(job.inputs);
  BatchEvents events;
  events.finished = [&](size_t index, const ConversionResult& result) {
    report.Finished(index, result);
  };
  const std::atomic<bool> stop{false};
  const BatchSummary summary = RunBatch(job, events, stop);
  report.Summary(summary);
  return summary.failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace leaf::cli
