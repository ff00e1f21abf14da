// The checker's command line:
// tunnelsmith-check [--werror] [--color=WHEN] [--format=FORMAT] [--fix [--backup]] MAPFILE...
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tool_cli.h"

namespace ts::check {

using OutputContext = cli::OutputContext;

// Exit status 0 when no map has an error, 1 when one has (with --werror, warnings count as
// errors) or a fixed map could not be written, 2 for a usage error or a map file that cannot be
// read.
int runChecker(const std::vector<std::string>& args, std::ostream& out,
               const OutputContext& context = {});

}  // namespace ts::check
