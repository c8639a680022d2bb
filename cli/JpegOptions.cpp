#include "Args.h"
#include "ConvertOptions.h"
#include "formats/Jpeg.h"

namespace leaf::cli {

namespace {

// The DCT method by name or by libjpeg's number; it serves decoding and coding.
void ApplyDct(ConvertJob& job, const std::string& option, const std::string& value) {
  int method;
  if (value == "accurate") {
    method = kJpegDctAccurate;
  } else if (value == "fast") {
    method = kJpegDctFast;
  } else if (value == "float") {
    method = kJpegDctFloat;
  } else {
    constexpr const SettingDescription& methods = Setting("JpegEncodeDCT");
    method = ParseInt(option, value, methods.lowest(), methods.highest());
  }
  job.settings.jpegEncodeDct = method;
  job.settings.jpegDecodeDct = method;
}

void ApplyDisplayDepth(ConvertJob& job, const std::string& option, const std::string& value) {
  job.read.depth = ParseInt(option, value, 1, 24);
}

std::vector<ConvertOption> JpegOptions() {
  std::vector<ConvertOption> options = SettingConvertOptions({"JPEG"});
  options.push_back({"--jpeg-dct", "METHOD",
                     "JPEG DCT method of reading and writing: accurate, fast, float", ApplyDct});
  options.push_back({"--display-depth", "BITS",
                     "below 24, a colour JPEG is read as 256 colours (default 24)",
                     ApplyDisplayDepth});
  return options;
}

}  // namespace

std::span<const ConvertOption> JpegConvertOptions() {
  static const std::vector<ConvertOption> options = JpegOptions();
  return options;
}

}  // namespace leaf::cli
