// The command-line driver: banner, argument check, reading the map file, compiling it, and
// writing the six level files into the current directory, all or none.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ts {

// Exit status 1 after all six files were written; 0 on every other path (calling tools rely
// on these statuses).
int run(const std::vector<std::string>& args, std::ostream& console);

}  // namespace ts
