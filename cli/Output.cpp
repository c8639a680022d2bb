// Writing a command's output file: the checks before, the report after.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Command.h"
#include "formats/AtomicFile.h"
#include "image/Messages.h"

namespace leaf::cli {

std::FILE* ReportStream(const std::string& output) { return output == "-" ? stderr : stdout; }

int ReportWriteProtected(const std::string& path) {
  std::fprintf(stderr, "leafsmith-cli: %s is write-protected; give --force to replace it\n",
               path.c_str());
  return kExitFailure;
}

int SaveOutput(const Context& context, const std::string& path, FileTypeCode type, DibImage& image,
               SaveParameters parameters) {
  if (!context.force && IsWriteProtected(path)) return ReportWriteProtected(path);
  parameters.replaceProtected = context.force;
  ClearMessage();
  if (!SaveImageFile(path, type, image, parameters)) {
    return ReportFailure("Failed to save the image!");
  }
  return kExitOk;
}

namespace {

// ", 1234 bytes" for a file; nothing for standard output, whose size the
// reader of the stream knows and we do not.
std::string BytesWritten(const std::string& path) {
  if (path == "-") return {};
  return ", " + std::to_string(FileBytes(FollowLinks(path))) + " bytes";
}

}  // namespace

void PrintWritten(const std::string& path, FileTypeCode type, const DibRaster& raster) {
  std::fprintf(ReportStream(path), "wrote %s: %s, %d x %d, %d bits%s\n", path.c_str(),
               FileTypeName(type), raster.width, raster.height, raster.bitsPerPixel,
               BytesWritten(path).c_str());
}

unsigned long long FileBytes(const std::string& path) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  return error ? 0ULL : static_cast<unsigned long long>(bytes);
}

void PrintDocumentWritten(const std::string& path, int pages) {
  std::FILE* report = ReportStream(path);
  std::fprintf(report, "wrote %s: djvu document, %d page%s%s\n", path.c_str(), pages,
               pages == 1 ? "" : "s", BytesWritten(path).c_str());
  std::fflush(report);
}

void PrintProgress(const char* text, int percent) {
  std::printf("%3d%% %s\n", percent, text);
  std::fflush(stdout);
}

}  // namespace leaf::cli
