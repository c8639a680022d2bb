#include "djvu_image.h"

void djvu_run_image_free(djvu_run_image* run) {
  if (!run) return;
  if (run->runs) _djvu_free(run->runs);
  delete run;
}
