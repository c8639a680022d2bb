#include "Tiff.h"
#include "image/Messages.h"

namespace leaf {

void TiffMessageHandler(const char* /*module*/, const char* format, va_list args) {
  // The module name would only title a message box that is never shown.
  SetMessageV(format, args);
}

}  // namespace leaf
