// What every Tunnelsmith tool (all but the compiler, whose interface is fixed) shares on its
// command line: the same exit statuses, and --help and --version answered alike.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tunnelsmith/version.h"

namespace ts::cli {

// Exit statuses of the tools: make, shell && chains and editors read 0 as success.
inline constexpr int kSuccess = 0;   // the job was done, nothing to report
inline constexpr int kProblems = 1;  // the input had problems, or the job was not done
inline constexpr int kUsage = 2;     // usage error or unreadable input

// "tunnelsmith-check 1.2.0": one release version for every program, from the build.
inline void printVersion(std::ostream& out, std::string_view program) {
  out << program << ' ' << tunnelsmith::kReleaseVersion << '\n';
}

// True when the arguments (past the program name) ask for --help or --version; the text is
// then printed to `out`. Either option wins over everything else on the line, as is usual; past
// "--", every argument is a file name.
inline bool answersHelpOrVersion(const std::vector<std::string>& args, std::string_view program,
                                 std::string_view help, std::ostream& out) {
  for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      out << help;
      return true;
    }
    if (args[i] == "--version") {
      printVersion(out, program);
      return true;
    }
  }
  return false;
}

// What --color=auto decides on: colour only on a terminal, and never when NO_COLOR is set to a
// non-empty value.
struct OutputContext {
  bool terminal = false;
  bool noColor = false;
};

// The context of this process's standard output and environment.
[[nodiscard]] OutputContext standardOutput();

}  // namespace ts::cli
