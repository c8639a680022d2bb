#include "ConvertSteps.h"

#include <cstdio>
#include <filesystem>

#include "image/Messages.h"

namespace leaf::cli {

namespace {

constexpr size_t kHelpColumn = 30;

}  // namespace

const ConvertOption* FindConvertOption(const std::vector<ConvertOptionGroup>& groups,
                                       const std::string& name) {
  for (const ConvertOptionGroup& group : groups) {
    for (const ConvertOption& option : group.options) {
      if (name == option.name) return &option;
    }
  }
  return nullptr;
}

std::string OptionHelpLine(const char* name, const char* valueName, const char* help) {
  std::string head = std::string("  ") + name;
  if (valueName) head += std::string(" ") + valueName;
  std::string line = head;
  if (head.size() < kHelpColumn) {
    line += std::string(kHelpColumn - head.size(), ' ');
  } else {
    line += "\n" + std::string(kHelpColumn, ' ');
  }
  return line + help + "\n";
}

std::string OptionGroupsHelp(const std::vector<ConvertOptionGroup>& groups) {
  std::string text;
  for (const ConvertOptionGroup& group : groups) {
    text += "\n" + std::string(group.title) + " options:\n";
    for (const ConvertOption& option : group.options) {
      text += OptionHelpLine(option.name, option.valueName, option.help);
    }
  }
  return text;
}

bool ApplyEdits(const ConvertJob& job, DibImage& image) {
  for (const Edit& edit : job.edits) {
    ClearMessage();
    if (!edit.apply(image)) {
      const std::string reason = LastMessage();
      SetMessage("Failed to %s!%s%s%s", edit.description.c_str(), reason.empty() ? "" : " (",
                 reason.c_str(), reason.empty() ? "" : ")");
      return false;
    }
  }
  if (job.writeThumbnail) {
    DibRaster thumbnail = std::move(image.thumbnail);
    image.Release(true);
    image.raster = std::move(thumbnail);
  }
  return true;
}

void PrintWritten(const std::string& path, FileTypeCode type, const DibRaster& raster) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  std::printf("wrote %s: %s, %d x %d, %d bits, %llu bytes\n", path.c_str(), FileTypeName(type),
              raster.width, raster.height, raster.bitsPerPixel,
              error ? 0ULL : static_cast<unsigned long long>(bytes));
  std::fflush(stdout);
}

void PrintDocumentWritten(const std::string& path, int pages) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  std::printf("wrote %s: djvu document, %d page%s, %llu bytes\n", path.c_str(), pages,
              pages == 1 ? "" : "s", error ? 0ULL : static_cast<unsigned long long>(bytes));
  std::fflush(stdout);
}

void PrintProgress(const char* text, int percent) {
  std::printf("%3d%% %s\n", percent, text);
  std::fflush(stdout);
}

}  // namespace leaf::cli
