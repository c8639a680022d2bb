// Hands a finished file to the caller's output routine in one call.
#pragma once

#include "ByteStream.h"
#include "GSmartPointer.h"
#include "djvu_encode.h"

namespace djvu {

// Passes every byte of the stream to output (or writes it to context as a
// FILE*, standard output when null). Raises "djvu_encode: output routine
// did not return expected value" when fewer bytes were taken.
void HandOver(ByteStream& stream, djvu_output_routine output, void* context);

}  // namespace djvu
