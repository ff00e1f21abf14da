#include "driver/run.h"

#include <string>

#include "base/file_io.h"
#include "driver/compile.h"
#include "driver/level_output.h"
#include "model/problems.h"
#include "tunnelsmith/version.h"

namespace ts {

int run(const std::vector<std::string>& args, std::ostream& console) {
  MessageSink out(console);
  out.line("Tunnelsmith version: ", tunnelsmith::kVersion);
  if (args.size() != 2) {
    out.line("Syntax is ", args.empty() ? std::string() : args[0], " <Map File Name> ");
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
