// Entry point of the level inspector: tunnelsmith-inspect [--json] FILE... | --diff A B
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  return ts::inspect::runInspector(args, std::cout, std::cerr);
}
