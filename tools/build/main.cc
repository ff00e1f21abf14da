// Entry point of the build command: tunnelsmith-build [-o DIR] [--werror] [--watch] MAPFILE...
#include <iostream>
#include <string>
#include <vector>

#include "build_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  return ts::build::runBuild(args, std::cout);
}
