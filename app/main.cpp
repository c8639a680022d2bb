// leafsmith [FILE]: the desktop program.
#include "CLeafApp.h"

int main(int argc, char** argv) {
  CLeafApp app(argc, argv);
  return app.run();
}
