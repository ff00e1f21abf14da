// Entry point of the map checker: tunnelsmith-check [OPTION]... MAPFILE...
#include <iostream>
#include <string>
#include <vector>

#include "check_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  return ts::check::runChecker(args, std::cout, ts::cli::standardOutput());
}
