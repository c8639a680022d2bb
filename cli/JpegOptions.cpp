#include "Args.h"
#include "ConvertOptions.h"
#include "formats/Jpeg.h"

namespace leaf::cli {

namespace {

void ApplyQuality(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.jpegQty = ParseInt(option, value, 0, 100);
}

void ApplySmoothing(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.jpegSmooth = ParseInt(option, value, 0, 100);
}

void ApplyOptimize(ConvertJob& job, const std::string& option, const std::string& value) {
  job.settings.jpegOptHuff = ParseInt(option, value, 0, 1);
}

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
    method = ParseInt(option, value, kJpegDctAccurate, kJpegDctFloat);
  }
  job.settings.jpegEncodeDct = method;
  job.settings.jpegDecodeDct = method;
}

void ApplyDisplayDepth(ConvertJob& job, const std::string& option, const std::string& value) {
  job.read.depth = ParseInt(option, value, 1, 24);
}

const ConvertOption kOptions[] = {
    {"--jpeg-quality", "N", "JPEG quality 0..100 (settings: JpegQty)", ApplyQuality},
    {"--jpeg-smooth", "N", "JPEG smoothing 0..100 (settings: JpegSmooth)", ApplySmoothing},
    {"--jpeg-optimize", "0|1", "optimal Huffman tables (settings: JpegOptHuff)", ApplyOptimize},
    {"--jpeg-dct", "METHOD",
     "JPEG DCT method: accurate, fast, float (JpegDecodeDCT, JpegEncodeDCT)", ApplyDct},
    {"--display-depth", "BITS", "below 24, a colour JPEG is read as 256 colours (default 24)",
     ApplyDisplayDepth},
};

}  // namespace

std::span<const ConvertOption> JpegConvertOptions() { return kOptions; }

}  // namespace leaf::cli
