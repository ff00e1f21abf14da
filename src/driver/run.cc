#include "driver/run.h"

#include <string>
#include <string_view>

#include "base/file_io.h"
#include "base/file_system.h"
#include "driver/compile.h"
#include "driver/level_output.h"
#include "model/problems.h"

namespace ts {

namespace {

constexpr std::string_view kHelp =
    "Usage: tunnelsmith MAPFILE\n"
    "Reads the map text file MAPFILE, checks it section by section, and writes the level's\n"
    "six files into the current folder, named after the level: <level>Map.kld,\n"
    "<level>Triggers.kld, <level>Things.kld, <level>Players.kld, <level>Variables.kld and\n"
    "<level>.kwd. The six are written together or not at all.\n"
    "\n"
    "Exit status (calling tools rely on it): 1 when all six files were written; 0 otherwise\n"
    "(usage error, map file not readable, map rejected, a file that could not be written).\n"
    "For a build command that exits 0 on success, use tunnelsmith-build.\n";

// "--help" and "--version" are answered only when no file of that name exists: a map that
// happens to be called so is compiled as always.
bool isQuestion(const std::string& arg, std::string_view option) {
  return arg == option && files::entryAt(arg) == files::Entry::kNone;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& console) {
  MessageSink out(console);
  out.line("Tunnelsmith version: ", TUNNELSMITH_BANNER_VERSION);
  if (args.size() != 2) {
    out.line("Syntax is ", args.empty() ? std::string() : args[0], " <Map File Name> ");
    return 0;
  }
  if (isQuestion(args[1], "--help")) {
    console << kHelp;
    return 0;
  }
  if (isQuestion(args[1], "--version")) {
    out.line("tunnelsmith ", TUNNELSMITH_BANNER_VERSION);
    return 0;
  }
  ProblemSink problems(&console);
  FileText text;
  switch (text.load(args[1])) {
    case ReadResult::kRead:
      break;
    case ReadResult::kUnreadable:
      problems.report(ProblemId::kMapFileUnreadable, Problem::kNowhere, args[1]);
      return 0;
    case ReadResult::kTooLarge:
      problems.report(ProblemId::kMapFileTooLarge, Problem::kNowhere, args[1], kMaxInputSize >> 20);
      return 0;
  }
  const NameMaps names;
  AllOrNothingFiles files;
  if (!compileMap(text.text(), names, problems, files)) return 0;
  if (!files.install(problems)) return 0;
  for (const std::string& name : files.names()) out.line("produced file : ", name);
  return 1;
}

}  // namespace ts
