// The inspector's command line:
//   tunnelsmith-inspect [--json] FILE...      decode and check each file
//   tunnelsmith-inspect [--json] --diff A B   compare two files of the same kind
//   tunnelsmith-inspect --help | --version
// Exit status (cli::kSuccess, kProblems, kUsage): 0 every file well-formed (for --diff: and
// identical), 1 a problem or a difference found, or the report could not be written, 2 a
// usage error or a file that cannot be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tool_cli.h"

namespace ts::inspect {

// `args` as main() receives them, the program name first. Reports go to `out`, usage and
// read errors to `err`.
int runInspector(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ts::inspect
