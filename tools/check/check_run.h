// The checker's command line: tunnelsmith-check [--werror] MAPFILE...
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ts::check {

// Exit status 0 when no map has an error, 1 when one has (with --werror, warnings count as
// errors), 2 for a usage error or a map file that cannot be read.
int runChecker(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ts::check
