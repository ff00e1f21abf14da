// Entry point of the level compiler: tunnelsmith <Map File Name>
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  return ts::run(args, std::cout);
}
