// libjpeg's header, which needs FILE and size_t declared before it.
#pragma once

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on
