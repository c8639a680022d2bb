#include "BatchRunner.h"

#include <sched.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>

#include "formats/ImageFiles.h"

namespace leaf {

namespace {

void LowerThisThreadsPriority() {
  sched_param parameter{};
  sched_setscheduler(0, SCHED_IDLE, &parameter);  // affects the calling thread only
}

}  // namespace

int WorkerCount(int requested) {
  if (requested > 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

BatchInput BatchInputFor(const std::string& path) { return {path, FileSize(path)}; }

std::vector<BatchInput> ReadableFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    if (!entry.is_regular_file(error)) continue;
    if (FileTypeForReading(entry.path().string()) == kFileUnknown) continue;
    names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  std::vector<BatchInput> inputs;
  for (const std::string& path : names) inputs.push_back(BatchInputFor(path));
  return inputs;
}

BatchSummary RunBatch(const BatchJob& job, const BatchEvents& events,
                      const std::atomic<bool>& stop) {
  std::atomic<size_t> next{0};
  std::mutex reporting;
  BatchSummary summary;
  const auto work = [&] {
    if (job.idlePriority) LowerThisThreadsPriority();
    for (;;) {
      if (stop.load()) return;
      const size_t index = next.fetch_add(1);
      if (index >= job.inputs.size()) return;
      if (events.started) {
        std::lock_guard lock(reporting);
        events.started(index);
      }
      const std::string& input = job.inputs[index].path;
      const std::string stem =
          (std::filesystem::path(job.outputFolder) / std::filesystem::path(input).filename())
              .string();
      const ConversionResult result = ConvertFile(input, stem, job.settings);
      std::lock_guard lock(reporting);
      ++summary.finished;
      ++(result.status == 0 ? summary.converted : summary.failed);
      if (events.finished) events.finished(index, result);
    }
  };
  const int count = std::min<int>(WorkerCount(job.workers),
                                  static_cast<int>(std::max<size_t>(1, job.inputs.size())));
  std::vector<std::thread> workers;
  for (int i = 0; i < count; ++i) workers.emplace_back(work);
  for (std::thread& worker : workers) worker.join();
  summary.stopped = summary.finished < job.inputs.size();
  return summary;
}

}  // namespace leaf
