// Writing a command's output file: the checks before, the report after.
#include <cstdio>
#include <filesystem>

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

void PrintWritten(const std::string& path, FileTypeCode type, const DibRaster& raster) {
  std::error_code error;
  const auto bytes = path == "-" ? 0 : std::filesystem::file_size(FollowLinks(path), error);
  std::fprintf(ReportStream(path), "wrote %s: %s, %d x %d, %d bits, %llu bytes\n", path.c_str(),
               FileTypeName(type), raster.width, raster.height, raster.bitsPerPixel,
               error ? 0ULL : static_cast<unsigned long long>(bytes));
}

}  // namespace leaf::cli
