#include "Sweeper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>

#include "FilePlacement.h"
#include "OutputNames.h"
#include "image/Messages.h"

namespace leaf {

namespace fs = std::filesystem;

namespace {

constexpr const char kMarkerSuffix[] = ".leafsmith-done";
constexpr const char kTemporarySuffix[] = ".leafsmith-sweep";
constexpr const char kThumbnailSuffix[] = ".leafsmith-sweep-thumbnail";

bool Hidden(const fs::path& path) {
  const std::string name = path.filename().string();
  return !name.empty() && name[0] == '.';
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Join(const std::string& folder, const std::string& relative) {
  return (fs::path(folder) / relative).string();
}

// The names of a file's marker and temporary output carry the identity of
// the claimed file, so one left behind never speaks for a later file of the
// same name.
std::string IdentityTag(dev_t device, ino_t inode, const char* suffix) {
  char tag[64];
  std::snprintf(tag, sizeof tag, "%llx-%llx%s", static_cast<unsigned long long>(device),
                static_cast<unsigned long long>(inode), suffix);
  return tag;
}

std::string MarkerName(const std::string& pendingPath, dev_t device, ino_t inode) {
  return HiddenTemporaryFor(pendingPath, IdentityTag(device, inode, kMarkerSuffix));
}

// The marker's existence is what counts (it is made only once the output is
// in place); the output's name in it is for people looking.
bool WriteMarker(const std::string& path, const std::string& outputName) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::string text = outputName + "\n";
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(fd) == 0 && written;
}

// Removes a hidden temporary file and what a write to it interrupted left.
void RemoveTemporary(const std::string& path) {
  ::unlink(path.c_str());
  const std::string folder = FolderOf(path);
  const std::string prefix = FileNameOf(path) + ".part-";
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, error)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) fs::remove(entry.path(), error);
  }
}

// Markers in pending whose file has gone on (a sweeper stopped between
// archiving a file and removing its marker).
void RemoveOrphanMarkers(const std::string& pending) {
  std::error_code error;
  std::vector<fs::path> orphans;
  for (auto it = fs::recursive_directory_iterator(pending, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    const size_t suffix = name.rfind(kMarkerSuffix);
    if (name.empty() || name[0] != '.' || suffix == std::string::npos ||
        suffix + sizeof kMarkerSuffix - 1 != name.size()) {
      continue;
    }
    // ".NAME.DEV-INO.leafsmith-done"
    const size_t tagDot = name.rfind('.', suffix - 1);
    if (tagDot == std::string::npos || tagDot < 1) continue;
    const fs::path file = it->path().parent_path() / name.substr(1, tagDot - 1);
    struct stat status;
    if (::lstat(file.c_str(), &status) != 0 ||
        MarkerName(file.string(), status.st_dev, status.st_ino) != it->path().string()) {
      orphans.push_back(it->path());
    }
  }
  for (const fs::path& orphan : orphans) fs::remove(orphan, error);
}

}  // namespace

std::vector<std::string> ListFilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied,
                                             error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (Hidden(it->path())) {
      if (it->is_directory(error)) it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file(error) && !it->is_symlink(error)) {
      files.push_back(fs::relative(it->path(), folder, error).string());
    }
  }
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
  });
  return files;
}

void RemoveEmptyFoldersBelow(const std::string& folder) {
  std::vector<std::string> folders;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) folders.push_back(it->path().string());
  }
  std::sort(folders.rbegin(), folders.rend());                    // deepest first
  for (const std::string& path : folders) ::rmdir(path.c_str());  // fails unless empty
}

Sweeper::Sweeper(SweepFolders folders, ConversionSettings settings, ConversionLog& log,
                 SweepEvents events)
    : folders_(std::move(folders)),
      settings_(std::move(settings)),
      log_(log),
      events_(std::move(events)) {}

std::string Sweeper::PendingFolder() const { return Join(folders_.archive, "pending"); }
std::string Sweeper::FinishedFolder() const { return Join(folders_.archive, "finished"); }

bool Sweeper::PrepareFolders() const {
  return MakeFolders(folders_.input) && MakeFolders(folders_.output) &&
         MakeFolders(PendingFolder()) && MakeFolders(FinishedFolder());
}

bool Sweeper::Step(SweepStep step, const std::string& relative) const {
  return !events_.afterStep || events_.afterStep(step, relative);
}

void Sweeper::Status(const std::string& text) const {
  if (events_.status) events_.status(text);
}

std::string Sweeper::TemporaryFor(const std::string& relative, const FileClaim& claim,
                                  bool thumbnail) const {
  return HiddenTemporaryFor(
      Join(folders_.output, relative),
      IdentityTag(claim.device(), claim.inode(), thumbnail ? kThumbnailSuffix : kTemporarySuffix));
}

bool Sweeper::Settled(const std::string& path) const {
  if (settleSeconds_ <= 0) return true;
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return false;
  const std::time_t changed = std::max(status.st_mtime, status.st_ctime);
  return std::time(nullptr) - changed >= settleSeconds_;
}

bool Sweeper::Claim(const std::string& relative, FileClaim& claim) {
  const std::string input = Join(folders_.input, relative);
  const std::string pending = Join(PendingFolder(), relative);
  if (!Settled(input) || !claim.Take(input)) return false;
  if (!MakeFolders(FolderOf(pending))) return false;
  const Placement moved = MoveNoReplace(input, pending);
  if (moved == Placement::Taken && claim.Names(pending)) {
    ::unlink(input.c_str());  // a move cut short after its link: the file is pending already
    return true;
  }
  return moved == Placement::Placed;
}

bool Sweeper::Archive(const std::string& relative, const FileClaim& claim) {
  const std::string pending = Join(PendingFolder(), relative);
  const std::string finished = Join(FinishedFolder(), relative);
  std::string placed;
  if (!MakeFolders(FolderOf(finished)) || !PlaceUnderFreeName(pending, finished, false, placed)) {
    return false;
  }
  if (!Step(SweepStep::Archived, relative)) return false;
  ::unlink(MarkerName(pending, claim.device(), claim.inode()).c_str());
  return true;
}

bool Sweeper::Convert(const std::string& relative, const FileClaim& claim,
                      ConversionLogEntry& entry, bool& logged, bool& keepTemporary) {
  const std::string pending = Join(PendingFolder(), relative);
  const std::string temporary = TemporaryFor(relative, claim, false);
  entry.start = std::time(nullptr);
  entry.inputName = relative;
  Status("Loading " + relative);
  DibImage image;
  ConversionResult result;
  const bool loaded = LoadForConversion(pending, settings_, image, result);
  if (result.unreadableType) return true;  // archived without a log entry
  logged = true;
  if (loaded) {
    const std::string wanted = ReplaceExtension(Join(folders_.output, relative),
                                                OutputExtension(settings_.outputType, image));
    Status("Saving " + FileNameOf(wanted));
    if (WriteOutput(image, temporary, settings_, result)) {
      if (!Step(SweepStep::Written, relative)) return false;
      if (settings_.addThumbnails) {
        const std::string thumbnail = TemporaryFor(relative, claim, true);
        const std::string thumbnailWanted =
            ReplaceExtension(Join(folders_.output, relative), ".jpg");
        if (WriteThumbnail(image, thumbnail, settings_, result)) {
          const bool placedThumbnail =
              settings_.outputType == kFileJpeg
                  ? PlaceUnderFreeName(thumbnail, thumbnailWanted, false, result.thumbnailPath)
                  : std::rename(thumbnail.c_str(), thumbnailWanted.c_str()) == 0;
          if (!placedThumbnail) {
            RemoveTemporary(thumbnail);
            result.status |= kConversionThumbnailFailed;
          }
        }
      }
      std::string placed;
      ClearMessage();
      if (PlaceUnderFreeName(temporary, wanted, true, placed)) {
        if (!Step(SweepStep::Linked, relative)) return false;
        // Without its marker the second link has to tell that the file is
        // done until it is archived.
        keepTemporary =
            !WriteMarker(MarkerName(pending, claim.device(), claim.inode()), FileNameOf(placed));
        if (!Step(SweepStep::Marked, relative)) return false;
        if (!keepTemporary) ::unlink(temporary.c_str());
        if (!Step(SweepStep::TemporaryRemoved, relative)) return false;
        entry.outputName = FileNameOf(placed);
        entry.outputSize = FileSize(placed);
      } else {
        RemoveTemporary(temporary);
        result.status |= kConversionSaveFailed;
      }
    }
  }
  entry.width = result.width;
  entry.height = result.height;
  entry.bitsPerPixel = result.bitsPerPixel;
  entry.status = result.status;
  entry.end = std::time(nullptr);
  return true;
}

bool Sweeper::Handle(const std::string& relative, FileClaim& claim) {
  const std::string pending = Join(PendingFolder(), relative);
  const std::string input = Join(folders_.input, relative);
  if (claim.Names(input)) ::unlink(input.c_str());  // left by a move cut short after its link
  const std::string temporary = TemporaryFor(relative, claim, false);
  struct stat status;
  bool done = ::access(MarkerName(pending, claim.device(), claim.inode()).c_str(), F_OK) == 0;
  if (!done && ::lstat(temporary.c_str(), &status) == 0 && status.st_nlink >= 2) done = true;
  if (done) {
    ::unlink(temporary.c_str());
    return Archive(relative, claim);
  }
  RemoveTemporary(temporary);
  RemoveTemporary(TemporaryFor(relative, claim, true));
  ConversionLogEntry entry;
  bool logged = false, keepTemporary = false;
  if (!Convert(relative, claim, entry, logged, keepTemporary)) return false;
  if (!Archive(relative, claim)) return false;
  if (keepTemporary) ::unlink(temporary.c_str());
  if (logged) {
    log_.Append(entry);
    if (events_.converted) events_.converted(entry);
  }
  return true;
}

size_t Sweeper::RunCycle(const std::atomic<bool>& stop) {
  size_t handled = 0;
  RemoveOrphanMarkers(PendingFolder());
  // Files left in pending by a sweeper that was stopped or killed: their
  // lock is free. Files in hand elsewhere stay locked and are passed over.
  for (const std::string& relative : ListFilesBelow(PendingFolder())) {
    if (stop.load()) return handled;
    FileClaim claim;
    if (!claim.Take(Join(PendingFolder(), relative))) continue;
    if (Handle(relative, claim)) ++handled;
  }
  const std::vector<std::string> files = ListFilesBelow(folders_.input);
  for (size_t i = 0; i < files.size() && !stop.load(); ++i) {
    if (events_.position) events_.position(i, files.size());
    FileClaim claim;
    if (!Claim(files[i], claim)) continue;
    if (!Step(SweepStep::Claimed, files[i])) continue;
    if (Handle(files[i], claim)) ++handled;
    if (events_.position) events_.position(i + 1, files.size());
  }
  RemoveEmptyFoldersBelow(folders_.input);
  RemoveEmptyFoldersBelow(PendingFolder());
  Status("Waiting for input");
  return handled;
}

void Sweeper::Run(const std::atomic<bool>& stop) {
  while (!stop.load()) {
    RunCycle(stop);
    for (int tick = 0; tick < 10 && !stop.load(); ++tick) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
}

}  // namespace leaf
