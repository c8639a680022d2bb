#include "FileConversion.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "FilePlacement.h"
#include "OutputNames.h"
#include "image/Messages.h"
#include "image/Thumbnail.h"

namespace leaf {

namespace {

std::atomic<unsigned> g_temporarySequence{0};

bool Fail(ConversionResult& result, int status, const char* fallback) {
  result.status |= status;
  if (result.message.empty()) result.message = *LastMessage() ? LastMessage() : fallback;
  return false;
}

std::string BatchTemporaryFor(const std::string& path) {
  char tag[64];
  std::snprintf(tag, sizeof tag, "%d-%u.leafsmith-part", static_cast<int>(getpid()),
                g_temporarySequence.fetch_add(1));
  return HiddenTemporaryFor(path, tag);
}

// Moves the written temporary file to its name; false with the reason set.
bool PutInPlace(const std::string& temporary, const std::string& wanted, bool replace,
                std::string& placed, ConversionResult& result, int status) {
  ClearMessage();
  if (replace) {
    if (std::rename(temporary.c_str(), wanted.c_str()) == 0) {
      placed = wanted;
      return true;
    }
    SetMessage("Could not put %s in place", wanted.c_str());
  } else if (PlaceUnderFreeName(temporary, wanted, false, placed)) {
    return true;
  }
  ::unlink(temporary.c_str());
  return Fail(result, status, "Could not put the file in place");
}

}  // namespace

std::string ConversionStatusText(int status) {
  if (status == 0) return "ok";
  const std::pair<int, const char*> names[] = {{kConversionLoadFailed, "load failed"},
                                               {kConversionSaveFailed, "save failed"},
                                               {kConversionThumbnailFailed, "thumbnail failed"},
                                               {kConversionPrepareFailed, "label failed"}};
  std::string text;
  for (const auto& [bit, name] : names) {
    if (status & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  }
  return text;
}

std::string HiddenTemporaryFor(const std::string& path, const std::string& tag) {
  const std::string folder = FolderOf(path);
  return (folder.empty() ? "" : folder + "/") + "." + FileNameOf(path) + "." + tag;
}

long long FileSize(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : 0;
}

bool LoadForConversion(const std::string& path, const ConversionSettings& settings, DibImage& image,
                       ConversionResult& result) {
  const FileTypeCode type = FileTypeForReading(path);
  if (type == kFileUnknown) {
    result.unreadableType = true;
    SetMessage("cannot tell the type of %s from its name", path.c_str());
    return Fail(result, kConversionLoadFailed, "unknown file type");
  }
  ReadOptions read = settings.read;
  read.layer = 0;
  read.zoom = 0;
  read.depth = 24;
  ClearMessage();
  if (!ReadImageFile(image, path, type, read)) {
    return Fail(result, kConversionLoadFailed, "Failed to open the image!");
  }
  result.width = image.raster.width;
  result.height = image.raster.height;
  result.bitsPerPixel = image.raster.bitsPerPixel;
  if (settings.prepare) {
    ClearMessage();
    if (!settings.prepare(image, path)) return Fail(result, kConversionPrepareFailed, "failed");
  }
  return true;
}

bool WriteOutput(DibImage& image, const std::string& path, const ConversionSettings& settings,
                 ConversionResult& result) {
  ClearMessage();
  if (!SaveImageFile(path, settings.outputType, image, settings.save)) {
    return Fail(result, kConversionSaveFailed, "Failed to save the image!");
  }
  return true;
}

bool WriteThumbnail(DibImage& image, const std::string& path, const ConversionSettings& settings,
                    ConversionResult& result) {
  const ThumbnailOptions& options = settings.thumbnail;
  const ThumbnailSize size = ComputeThumbnailSize(image.raster.width, image.raster.height,
                                                  options.width, options.height, options.mode);
  ClearMessage();
  if (!MakeThumbnail(image, size.width, size.height, options.method)) {
    return Fail(result, kConversionThumbnailFailed, "Failed to make the thumbnail!");
  }
  SaveParameters parameters = settings.save;
  parameters.jpeg.thumbnail = true;
  const bool written = SaveImageFile(path, kFileJpeg, image, parameters);
  image.thumbnail = DibRaster();
  if (!written) return Fail(result, kConversionThumbnailFailed, "Failed to save the thumbnail!");
  return true;
}

ConversionResult ConvertFile(const std::string& input, const std::string& outputStem,
                             const ConversionSettings& settings) {
  ConversionResult result;
  DibImage image;
  if (!LoadForConversion(input, settings, image, result)) return result;
  std::string outputTemporary;
  std::string outputWanted;
  if (!settings.thumbnailsOnly) {
    outputWanted = ReplaceExtension(outputStem, OutputExtension(settings.outputType, image));
    outputTemporary = BatchTemporaryFor(outputWanted);
    if (!WriteOutput(image, outputTemporary, settings, result)) return result;
  }
  if (settings.addThumbnails || settings.thumbnailsOnly) {
    const std::string wanted = ReplaceExtension(outputStem, ".jpg");
    const std::string temporary = BatchTemporaryFor(wanted);
    // The output goes in place first, so that a JPEG output keeps its own
    // name and the thumbnail takes the next one.
    if (!outputTemporary.empty()) {
      if (!PutInPlace(outputTemporary, outputWanted, settings.replaceExisting, result.outputPath,
                      result, kConversionSaveFailed)) {
        return result;
      }
      outputTemporary.clear();
    }
    if (WriteThumbnail(image, temporary, settings, result)) {
      PutInPlace(temporary, wanted, false, result.thumbnailPath, result,
                 kConversionThumbnailFailed);
    }
  }
  if (!outputTemporary.empty()) {
    PutInPlace(outputTemporary, outputWanted, settings.replaceExisting, result.outputPath, result,
               kConversionSaveFailed);
  }
  if (!result.outputPath.empty()) result.outputSize = FileSize(result.outputPath);
  return result;
}

}  // namespace leaf
