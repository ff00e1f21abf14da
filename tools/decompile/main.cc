// Entry point of the decompiler: tunnelsmith-decompile [-o MAP.txt] FILE...
#include <iostream>
#include <string>
#include <vector>

#include "decompile_cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  return ts::decompile::runDecompiler(args, std::cout, std::cerr);
}
