#include "check_run.h"

#include "base/file_io.h"
#include "check.h"
#include "model/problems.h"
#include "tool_cli.h"

namespace ts::check {

namespace {

constexpr std::string_view kUsage =
    "usage: tunnelsmith-check [--werror] MAPFILE...\n"
    "Reports every problem of each map file as path:line:column: error|warning|note: text,\n"
    "then a summary line.\n"
    "\n"
    "  --werror    count warnings as errors\n"
    "  --help      this text\n"
    "  --version   the version of Tunnelsmith\n"
    "\n"
    "Exit status: 0 no errors, 1 errors found (with --werror, warnings count as errors),\n"
    "2 usage error or a map file that cannot be read.\n";

}  // namespace

int runChecker(const std::vector<std::string>& args, std::ostream& out) {
  if (cli::answersHelpOrVersion(args, "tunnelsmith-check", kUsage, out)) return cli::kSuccess;
  bool werror = false;
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--werror") {
      werror = true;
    } else if (!args[i].empty() && args[i][0] == '-') {
      out << "unknown option: " << args[i] << "\n" << kUsage;
      return cli::kUsage;
    } else {
      paths.push_back(args[i]);
    }
  }
  if (paths.empty()) {
    out << kUsage;
    return cli::kUsage;
  }
  const NameMaps names;
  std::size_t errors = 0;
  std::size_t warnings = 0;
  bool unreadable = false;
  for (const std::string& path : paths) {
    std::string text;
    switch (readFile(path, text)) {
      case ReadResult::kRead:
        break;
      case ReadResult::kUnreadable:
        out << path << ": error: cannot read the map file\n";
        ++errors;
        unreadable = true;
        continue;
      case ReadResult::kTooLarge:
        out << path << ": error: "
            << consoleText(Problem{ProblemId::kMapFileTooLarge,
                                   Problem::kNowhere,
                                   {path, std::to_string(kMaxInputSize >> 20)}});
        ++errors;
        unreadable = true;
        continue;
    }
    for (const Diagnostic& d : checkMap(text, names)) {
      out << format(path, d) << "\n";
      if (d.severity == Severity::kError) ++errors;
      if (d.severity == Severity::kWarning) ++warnings;
    }
  }
  out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
      << (warnings == 1 ? " warning" : " warnings") << "\n";
  if (unreadable) return cli::kUsage;
  return errors > 0 || (werror && warnings > 0) ? cli::kProblems : cli::kSuccess;
}

}  // namespace ts::check
