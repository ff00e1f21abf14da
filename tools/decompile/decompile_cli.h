// The decompiler's command line:
//   tunnelsmith-decompile [-o MAP.txt] FILE...   the map text of the level FILE belongs to
//   tunnelsmith-decompile --help | --version
// Exit status (cli::kSuccess, kProblems, kUsage): 0 the text was written and compiles to the
// same six files, 1 it was written but something could not be expressed (or a file is damaged,
// or the text could not be written), 2 a usage error or a file that cannot be read.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ts::decompile {

// `args` as main() receives them, the program name first. The text goes to `out` without -o;
// findings, usage and read errors go to `err`.
int runDecompiler(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ts::decompile
