// The inspector's command line:
//   tunnelsmith-inspect [--json] FILE...      decode and check each file
//   tunnelsmith-inspect [--json] --diff A B   compare two files of the same kind
// Exit status: 0 every file well-formed (for --diff: and no differences), 1 a problem or a
// difference found, 2 a usage error or a file that cannot be read.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ts::inspect {

inline constexpr int kExitClean = 0;
inline constexpr int kExitProblem = 1;
inline constexpr int kExitUsage = 2;

// `args` as main() receives them, the program name first. Reports go to `out`, usage and
// read errors to `err`.
int runInspector(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ts::inspect
