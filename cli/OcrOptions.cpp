// Text recognition as options of "convert", "batch" and "sweep": a DjVu
// page saved with --ocr carries its text as a hidden, searchable layer.
#include <cstdio>

#include "Args.h"
#include "Command.h"
#include "ConvertOptions.h"
#include "ocr/OcrLanguages.h"

namespace leaf::cli {

namespace {

void ApplyOcr(ConvertJob& job, const std::string&, const std::string&) { job.ocr.enabled = true; }

void ApplyOcrLanguages(ConvertJob& job, const std::string& option, const std::string& value) {
  if (SplitOcrLanguages(value).empty()) {
    throw UsageError(option + ": '" + value +
                     "' is not a list of languages (tesseract's names joined by '+', such as "
                     "eng+deu)");
  }
  job.ocr.languages = value;
  job.ocr.enabled = true;
}

const ConvertOption kOptions[] = {
    {"--ocr", nullptr,
     "recognise the text of DjVu pages (as scanned, beside the encoder) into a hidden, "
     "searchable text layer",
     ApplyOcr},
    {"--ocr-lang", "L",
     "the languages to recognise, tesseract's names joined by '+' (eng+deu; default eng); "
     "implies --ocr. Each needs its Debian package tesseract-ocr-NAME",
     ApplyOcrLanguages},
};

}  // namespace

std::span<const ConvertOption> OcrConvertOptions() { return kOptions; }

int CheckOcrJob(const ConvertJob& job) {
  if (!job.ocr.enabled) return kExitOk;
  if (job.outputType != kFileDjvu) {
    throw UsageError("--ocr adds a text layer to DjVu pages; the output here is not DjVu");
  }
  const std::string problem = CheckOcrLanguages(job.ocr.languages);
  if (problem.empty()) return kExitOk;
  std::fprintf(stderr, "leafsmith-cli: %s\n", problem.c_str());
  return kExitFailure;
}

}  // namespace leaf::cli
