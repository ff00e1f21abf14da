// The checker's command line:
// tunnelsmith-check [--werror] [--color=WHEN] [--format=FORMAT] [--fix [--backup]] MAPFILE...
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ts::check {

// What --color=auto decides on: colour only on a terminal, and never when NO_COLOR is set to a
// non-empty value.
struct OutputContext {
  bool terminal = false;
  bool noColor = false;
};

// The context of this process's standard output and environment.
[[nodiscard]] OutputContext standardOutput();

// Exit status 0 when no map has an error, 1 when one has (with --werror, warnings count as
// errors) or a fixed map could not be written, 2 for a usage error or a map file that cannot be
// read.
int runChecker(const std::vector<std::string>& args, std::ostream& out,
               const OutputContext& context = {});

}  // namespace ts::check
