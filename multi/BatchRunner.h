// Batch conversion of many files into one output folder by several worker
// threads. Each worker converts one file at a time into its own image; a
// file that fails is reported and the run goes on; a stop request is
// honoured between files.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "FileConversion.h"

namespace leaf {

struct BatchInput {
  std::string path;
  long long bytes = 0;  // its size, for the time estimate
};

struct BatchJob {
  std::vector<BatchInput> inputs;
  std::string outputFolder;
  ConversionSettings settings;
  int workers = 1;            // 0: one per core
  bool idlePriority = false;  // workers yield to everything else on the machine
};

// What the observer hears; calls come from the worker threads, one at a time.
struct BatchEvents {
  // A worker begins file index (0-based).
  std::function<void(size_t index)> started;
  // A worker finished file index.
  std::function<void(size_t index, const ConversionResult& result)> finished;
};

struct BatchSummary {
  size_t converted = 0;  // files without a failure
  size_t failed = 0;
  size_t finished = 0;   // files handled (converted or failed)
  bool stopped = false;  // the stop request ended the run early
};

// Runs the job to its end or until stop becomes true (the files in hand are
// finished first).
BatchSummary RunBatch(const BatchJob& job, const BatchEvents& events,
                      const std::atomic<bool>& stop);

// The number of workers to use for a request (0: one per core).
int WorkerCount(int requested);

// The files of a folder (not its subfolders) that can be read, sorted by
// name; hidden files are left out.
std::vector<BatchInput> ReadableFilesIn(const std::string& folder);

// The input for a file, with its size.
BatchInput BatchInputFor(const std::string& path);

}  // namespace leaf
