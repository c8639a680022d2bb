// The checks before a conversion that recognises text: DjVu output, and
// languages that are well formed and installed.
#include <cstdio>

#include "Args.h"
#include "Command.h"
#include "ConvertOptions.h"
#include "ocr/OcrLanguages.h"

namespace leaf::cli {

int CheckOcrJob(const ConvertJob& job, const AppSettings& profile) {
  const AppSettings& s = job.settings;
  if (!s.djvuOcr) return kExitOk;
  if (job.outputType != kFileDjvu) {
    // The profile's setting applies to DjVu output only; the option given
    // for another type is a mistake.
    if (profile.djvuOcr) return kExitOk;
    throw UsageError("--ocr adds a text layer to DjVu pages; the output here is not DjVu");
  }
  if (SplitOcrLanguages(s.djvuOcrLang).empty()) {
    throw UsageError("--ocr-lang: '" + s.djvuOcrLang +
                     "' is not a list of languages (tesseract's names joined by '+', such as "
                     "eng+deu)");
  }
  const std::string problem = CheckOcrLanguages(s.djvuOcrLang);
  if (problem.empty()) return kExitOk;
  std::fprintf(stderr, "leafsmith-cli: %s\n", problem.c_str());
  return kExitFailure;
}

}  // namespace leaf::cli
