// The public compile (include/tunnelsmith/compile.h): the driver's in-memory compile, with its
// results copied into the public values so that no reader, writer or model type is visible to
// the programs that link it.
#include "driver/compile.h"

#include <string>
#include <utility>

#include "library/guarded.h"
#include "model/problems.h"
#include "tunnelsmith/compile.h"
#include "tunnelsmith/version.h"

namespace tunnelsmith {

namespace {

Problem publicProblem(const ts::Problem& problem) {
  Problem result;
  result.name = std::string(problem.name());
  result.severity = detail::publicSeverity(problem.severity());
  if (problem.offset != ts::Problem::kNowhere) result.offset = problem.offset;
  result.message = ts::consoleText(problem);
  return result;
}

}  // namespace

CompileResult compileMap(std::string_view mapText) {
  return detail::guarded(
      [&] {
        ts::CompileResult compiled = ts::compileMap(mapText);
        CompileResult result;
        result.console = std::move(compiled.console);
        result.valid = compiled.valid;
        result.problems.reserve(compiled.problems.size());
        for (const ts::Problem& problem : compiled.problems) {
          result.problems.push_back(publicProblem(problem));
        }
        result.files.reserve(compiled.files.size());
        for (ts::LevelFile& file : compiled.files) {
          result.files.push_back({std::move(file.name), std::move(file.bytes)});
        }
        return result;
      },
      [](std::string message) {
        CompileResult result;
        message += '\n';
        result.console = message;
        result.problems.push_back(
            {std::string(detail::kInternalError), Severity::kError, {}, std::move(message)});
        return result;
      });
}

std::string_view version() { return kVersion; }

}  // namespace tunnelsmith
