#include "check_run.h"

#include "base/file_io.h"
#include "check.h"
#include "model/problems.h"

namespace ts::check {

namespace {

constexpr std::string_view kUsage =
    "usage: tunnelsmith-check [--werror] MAPFILE...\n"
    "Reports every problem of each map file as path:line:column: error|warning|note: text,\n"
    "then a summary line. Exit status: 0 no errors, 1 errors found (with --werror, warnings\n"
    "count as errors), 2 usage error.\n";

}  // namespace

int runChecker(const std::vector<std::string>& args, std::ostream& out) {
  bool werror = false;
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--werror") {
      werror = true;
    } else if (args[i] == "--help" || args[i] == "-h") {
      out << kUsage;
      return 0;
    } else if (!args[i].empty() && args[i][0] == '-') {
      out << "unknown option: " << args[i] << "\n" << kUsage;
      return 2;
    } else {
      paths.push_back(args[i]);
    }
  }
  if (paths.empty()) {
    out << kUsage;
    return 2;
  }
  const NameMaps names;
  std::size_t errors = 0;
  std::size_t warnings = 0;
  for (const std::string& path : paths) {
    std::string text;
    switch (readFile(path, text)) {
      case ReadResult::kRead:
        break;
      case ReadResult::kUnreadable:
        out << path << ": error: cannot read the map file\n";
        ++errors;
        continue;
      case ReadResult::kTooLarge:
        out << path << ": error: "
            << consoleText(Problem{ProblemId::kMapFileTooLarge,
                                   Problem::kNowhere,
                                   {path, std::to_string(kMaxInputSize >> 20)}});
        ++errors;
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
  return errors > 0 || (werror && warnings > 0) ? 1 : 0;
}

}  // namespace ts::check
