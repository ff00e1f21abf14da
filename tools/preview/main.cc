// Entry point of the map preview: tunnelsmith-preview MAPFILE [-o OUT.png] [--scale N]
#include <iostream>
#include <string>
#include <vector>

#include "preview_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  return ts::preview::runPreview(args, std::cout);
}
