// Writes the benchmark page as a BMP file, so that other programs can be
// measured on the same pixels: leafsmith-benchpage BITS OUT.bmp
#include <cstdio>
#include <cstdlib>

#include "BenchPages.h"
#include "formats/Bmp.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: leafsmith-benchpage 1|8|24 OUT.bmp\n");
    return 2;
  }
  const int bits = std::atoi(argv[1]);
  if (bits != 1 && bits != 8 && bits != 24) {
    std::fprintf(stderr, "leafsmith-benchpage: depth must be 1, 8 or 24\n");
    return 2;
  }
  leaf::DibImage page;
  leaf::bench::MakePage(page, leaf::bench::kLetterWidth300, leaf::bench::kLetterHeight300, bits);
  if (!leaf::WriteBmp(page, argv[2])) {
    std::fprintf(stderr, "leafsmith-benchpage: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
