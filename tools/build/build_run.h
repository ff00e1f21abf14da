// The designer's build command: tunnelsmith-build [-o DIR] [--werror] [--watch] MAPFILE...
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ts::build {

// Checks each map and compiles those without errors into the output folder. Exit status 0
// when every map was built, 1 when one was not, 2 for a usage error, an output folder that
// cannot be created or a map file that cannot be read. With --watch it rebuilds each map
// whenever it changes until SIGINT or SIGTERM, and then returns 0.
int runBuild(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ts::build
