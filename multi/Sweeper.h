// The sweeper: converts whatever arrives in an input folder (and its
// subfolders) into an output folder, moving each original through the
// archive's "pending" and "finished" folders.
//
// A file's way: it is claimed (locked, then renamed without replacing into
// pending); the output is written to a hidden name beside its final one and
// given its final name by a hard link (the moment the conversion counts as
// done); a marker beside the pending file records that; the hidden name is
// removed, the original moved to finished and the marker removed. A process
// killed at any point leaves either nothing done (the file is in pending
// and is converted again by the next cycle of any sweeper) or the output in
// place with a marker or a second link saying so (the file is only moved to
// finished), never two outputs. The lock is released by the kernel when its
// holder dies, which tells an abandoned pending file from one in hand.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "ConversionLog.h"
#include "FileClaim.h"
#include "FileConversion.h"

namespace leaf {

struct SweepFolders {
  std::string input;
  std::string output;
  std::string archive;  // holds "pending" and "finished"
};

// The steps of a file's way, for observers and for tests that stop the
// sweeper between two of them as a kill would.
enum class SweepStep { Claimed, Written, Linked, Marked, TemporaryRemoved, Archived };

struct SweepEvents {
  std::function<void(const std::string& text)> status;  // "Loading a/b.tif", "Waiting for input"
  std::function<void(size_t current, size_t total)> position;  // within the cycle's files
  std::function<void(const ConversionLogEntry& entry)> converted;
  // After each step; false abandons the file right there, leaving everything
  // as a killed process would.
  std::function<bool(SweepStep step, const std::string& relative)> afterStep;
};

class Sweeper {
 public:
  Sweeper(SweepFolders folders, ConversionSettings settings, ConversionLog& log,
          SweepEvents events = {});

  // Makes the three folders (with pending and finished); false with the
  // reason in the message buffer.
  bool PrepareFolders() const;

  // One cycle: files abandoned in pending by a stopped or killed sweeper,
  // then the input's files in name order; empty subfolders are removed.
  // Returns the number of files handled. Stops between files when stop is
  // set.
  size_t RunCycle(const std::atomic<bool>& stop);

  // Runs a cycle, waits a second, and so on until stop is set.
  void Run(const std::atomic<bool>& stop);

  // Files younger than this (by their last change) are left for a later
  // cycle: they may still be being written.
  void SetSettleSeconds(int seconds) { settleSeconds_ = seconds; }

  std::string PendingFolder() const;
  std::string FinishedFolder() const;

 private:
  bool Claim(const std::string& relative, FileClaim& claim);
  // Converts (or only archives, when already converted) a file held in pending.
  bool Handle(const std::string& relative, FileClaim& claim);
  bool Convert(const std::string& relative, const FileClaim& claim, ConversionLogEntry& entry,
               bool& logged, bool& keepTemporary);
  bool Archive(const std::string& relative, const FileClaim& claim);
  bool Step(SweepStep step, const std::string& relative) const;
  void Status(const std::string& text) const;
  // Where the output (or the thumbnail) of the claimed file is written before
  // it gets its name.
  std::string TemporaryFor(const std::string& relative, const FileClaim& claim,
                           bool thumbnail) const;
  bool Settled(const std::string& path) const;

  SweepFolders folders_;
  ConversionSettings settings_;
  ConversionLog& log_;
  SweepEvents events_;
  int settleSeconds_ = 0;
};

// Every file under folder (recursively, hidden names left out) as a path
// relative to it, sorted by name ignoring case.
std::vector<std::string> ListFilesBelow(const std::string& folder);

// Removes the empty folders below folder, deepest first (the folder itself
// stays).
void RemoveEmptyFoldersBelow(const std::string& folder);

}  // namespace leaf
