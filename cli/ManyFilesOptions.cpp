#include "Args.h"
#include "ConvertOptions.h"

namespace leaf::cli {

namespace {

void ApplyTo(ConvertJob& job, const std::string& option, const std::string& value) {
  job.outputType = FileTypeFromTypeName(value);
  if (job.outputType == kFileUnknown || job.outputType == kFileTiff) {
    throw UsageError(option + ": unknown output type '" + value + "'");
  }
}

void ApplyOut(ConvertJob& job, const std::string& option, const std::string& value) {
  if (value.empty()) throw UsageError(option + " needs a folder");
  job.many.outputFolder = value;
}

void ApplyIn(ConvertJob& job, const std::string& option, const std::string& value) {
  if (value.empty()) throw UsageError(option + " needs a folder");
  job.many.inputFolder = value;
}

void ApplyArchive(ConvertJob& job, const std::string& option, const std::string& value) {
  if (value.empty()) throw UsageError(option + " needs a folder");
  job.many.archiveFolder = value;
}

void ApplyJobs(ConvertJob& job, const std::string& option, const std::string& value) {
  job.jobs = ParseInt(option, value, 1, 256);
}

void ApplyPage(ConvertJob& job, const std::string& option, const std::string& value) {
  job.read.page = ParseInt(option, value, 1, 65535) - 1;
}

void ApplyThumbnails(ConvertJob& job, const std::string&, const std::string&) {
  job.many.thumbnails = true;
}

void ApplyThumbnailsOnly(ConvertJob& job, const std::string&, const std::string&) {
  job.many.thumbnailsOnly = true;
}

void ApplyReplace(ConvertJob& job, const std::string&, const std::string&) {
  job.many.replaceExisting = true;
}

void ApplyOnce(ConvertJob& job, const std::string&, const std::string&) { job.many.once = true; }

void ApplySettle(ConvertJob& job, const std::string& option, const std::string& value) {
  job.many.settleSeconds = ParseInt(option, value, 0, 3600);
}

const ConvertOption kBatchOptions[] = {
    {"--to", "TYPE", "output type: djvu, iw44, bmp, pnm or jpeg (default: the batch settings)",
     ApplyTo},
    {"--out", "DIR", "folder the converted files go to (made when missing)", ApplyOut},
    {"--jobs", "N", "files converted at once (default: the number of cores)", ApplyJobs},
    {"--page", "N", "page of multipage inputs to convert (1 = first, the default)", ApplyPage},
    {"--replace", nullptr,
     "replace existing files (default: a taken name gets the next free NAME-N.EXT)", ApplyReplace},
    {"--thumbnails", nullptr, "also write a JPEG thumbnail of each page (the thumbnail settings)",
     ApplyThumbnails},
    {"--thumbnails-only", nullptr, "write only the thumbnails", ApplyThumbnailsOnly},
};

const ConvertOption kSweepOptions[] = {
    {"--in", "DIR", "folder to watch, with its subfolders", ApplyIn},
    {"--out", "DIR", "folder the converted files go to", ApplyOut},
    {"--archive", "DIR", "folder whose \"pending\" and \"finished\" folders take the originals",
     ApplyArchive},
    {"--to", "TYPE", "output type: djvu, iw44, bmp, pnm or jpeg (default: the sweeper settings)",
     ApplyTo},
    {"--once", nullptr, "sweep once (with what earlier runs left pending) and exit", ApplyOnce},
    {"--settle", "SECONDS",
     "leave files changed less than this long ago for a later sweep (default 2)", ApplySettle},
    {"--thumbnails", nullptr, "also write a JPEG thumbnail of each page", ApplyThumbnails},
};

}  // namespace

std::span<const ConvertOption> BatchOptions() { return kBatchOptions; }
std::span<const ConvertOption> SweepOptions() { return kSweepOptions; }

}  // namespace leaf::cli
