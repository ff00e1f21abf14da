#include "map_build.h"

#include <utility>

#include "analysis/check.h"
#include "analysis/grouping.h"
#include "base/file_io.h"
#include "driver/compile.h"
#include "driver/level_output.h"
#include "model/problems.h"
#include "render/diagnostics.h"

namespace ts::build {

namespace {

// The all-or-nothing writer that also keeps the level's name once the compile announces it.
class LevelFiles : public AllOrNothingFiles {
 public:
  explicit LevelFiles(std::string folder) : AllOrNothingFiles(std::move(folder)) {}

  void announce(std::string_view level, const std::vector<std::string>& names) override {
    level_ = level;
    AllOrNothingFiles::announce(level, names);
  }
  [[nodiscard]] const std::string& level() const { return level_; }

 private:
  std::string level_;
};

// "path: error: text" for a problem of the compiler, whose console text ends with a line end.
std::string problemText(std::string_view path, const Problem& problem) {
  std::string text = consoleText(problem);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return std::string(path) + ": " + std::string(severityName(problem.severity())) + ": " + text;
}

std::string counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

MapBuilder::MapBuilder(std::ostream& out, std::vector<std::string> paths, std::string folder,
                       bool werror, bool color)
    : out_(out),
      renderer_(check::makeRenderer(check::OutputFormat::kText, out, color)),
      paths_(std::move(paths)),
      folder_(std::move(folder)),
      werror_(werror),
      levels_(paths_.size()) {}

MapBuilder::~MapBuilder() = default;

void MapBuilder::say(std::string_view prefix, const std::string& text) {
  out_ << prefix << text << '\n' << std::flush;
}

// The map that last wrote `level`, other than paths[index]; empty when none did.
std::string MapBuilder::clashWith(std::size_t index, const std::string& level) const {
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    if (i != index && levels_[i] == level) return paths_[i];
  }
  return {};
}

bool MapBuilder::readMap(const std::string& path, std::string_view prefix, std::string& text) {
  switch (readFile(path, text)) {
    case ReadResult::kRead:
      return true;
    case ReadResult::kUnreadable:
      say(prefix, path + ": error: cannot read the map file");
      return false;
    case ReadResult::kTooLarge:
      say(prefix, problemText(path, Problem{ProblemId::kMapFileTooLarge,
                                            Problem::kNowhere,
                                            {path, std::to_string(kMaxInputSize >> 20)}}));
      return false;
  }
  return false;
}

MapBuilder::Counts MapBuilder::check(const std::string& path, const std::string& text) {
  const std::vector<check::Diagnostic> diagnostics = check::checkMap(text, names_);
  renderer_->map(path, text, check::grouped(diagnostics));
  out_ << std::flush;
  Counts counts;
  for (const check::Diagnostic& d : diagnostics) {
    if (d.severity == Severity::kError) ++counts.errors;
    if (d.severity == Severity::kWarning) ++counts.warnings;
  }
  return counts;
}

Outcome MapBuilder::notBuilt(std::string_view prefix, const std::string& path, Counts counts) {
  std::string why = counted(counts.errors, "error", "errors") + ", " +
                    counted(counts.warnings, "warning", "warnings");
  if (counts.errors == 0 && werror_) why += " with --werror";
  say(prefix, path + ": not built (" + why + ")");
  return Outcome::kNotBuilt;
}

Outcome MapBuilder::compileAndInstall(std::size_t index, std::string_view prefix,
                                      const std::string& text, Counts counts) {
  const std::string& path = paths_[index];
  // The checker has printed all the compiler would say; only the writer's own lines follow.
  LevelFiles files(folder_);
  ProblemSink compiling(nullptr, true);
  if (!compileMap(text, names_, compiling, files)) {
    // The checker reads with the compiler's reader, so this only shows a rejection it missed.
    for (const Problem& problem : compiling.takeProblems()) {
      if (problem.severity() != Severity::kError) continue;
      say({}, problemText(path, problem));
      ++counts.errors;
    }
    if (counts.errors == 0) ++counts.errors;
    return notBuilt(prefix, path, counts);
  }
  const std::string first = clashWith(index, files.level());
  if (!first.empty()) {
    // Not installed: the writer removes its temporary files.
    say({}, path + ": error: level " + files.level() + " was already built from " + first +
                " in this run; its files would be replaced");
    ++counts.errors;
    return notBuilt(prefix, path, counts);
  }
  ProblemSink installing(nullptr, true);
  const bool installed = files.install(installing);
  for (const Problem& problem : installing.takeProblems()) {
    say({}, problemText(path, problem));
    if (problem.severity() == Severity::kError) ++counts.errors;
  }
  if (!installed) return notBuilt(prefix, path, counts);
  levels_[index] = files.level();
  say(prefix, path + ": built " + files.level() + " into " + folder_ + " (" +
                  counted(files.names().size(), "file", "files") + ")");
  return Outcome::kBuilt;
}

Outcome MapBuilder::build(std::size_t index, std::string_view prefix) {
  const std::string& path = paths_[index];
  std::string text;
  if (!readMap(path, prefix, text)) return Outcome::kUnreadable;
  const Counts counts = check(path, text);
  if (counts.errors > 0 || (werror_ && counts.warnings > 0)) return notBuilt(prefix, path, counts);
  return compileAndInstall(index, prefix, text, counts);
}

}  // namespace ts::build
