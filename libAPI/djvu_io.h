// The routines through which the coding layer reads and writes files: the
// caller's own, over whatever context it passes (an open file, a buffer).
#pragma once

#include <cstddef>

// Reads up to length bytes into buffer; returns how many were read (0 at
// the end of the input).
typedef size_t (*djvu_read_routine)(void* context, void* buffer, size_t length);

// Writes length bytes; returns how many were written.
typedef size_t (*djvu_write_routine)(void* context, const void* buffer, size_t length);
