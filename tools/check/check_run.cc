#include "check_run.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include "analysis/check.h"
#include "analysis/fixes.h"
#include "analysis/grouping.h"
#include "base/file_io.h"
#include "fix.h"
#include "model/problems.h"
#include "options.h"
#include "render/diagnostics.h"
#include "tool_cli.h"

namespace ts::check {

namespace {

constexpr std::string_view kUsage =
    "usage: tunnelsmith-check [OPTION]... MAPFILE...\n"
    "Reports every problem of each map file as path:line:column: error|warning|note: text,\n"
    "with the source line and a caret under the place, then a summary line.\n"
    "\n"
    "  --werror          count warnings as errors\n"
    "  --color=WHEN      colour the text: auto (on a terminal, unless NO_COLOR is set),\n"
    "                    always or never; default auto\n"
    "  --format=FORMAT   text (default); json: one JSON object per problem and line;\n"
    "                    sarif: one SARIF 2.1.0 log. Neither prints the summary line\n"
    "  --fix             apply the certain fixes to each map, rewriting it in place, and\n"
    "                    report each as a note; then check the map again\n"
    "  --backup          with --fix, keep the map as it was in MAPFILE.orig\n"
    "  --all             list every problem; by default the text shows the first 20 of each\n"
    "                    kind and the number of the rest (json and sarif list every one)\n"
    "  --help            this text\n"
    "  --version         the version of Tunnelsmith\n"
    "\n"
    "Exit status: 0 no errors, 1 errors found (with --werror, warnings count as errors) or a\n"
    "fixed map could not be written, 2 usage error or a map file that cannot be read.\n";

struct Options {
  bool werror = false;
  bool fix = false;
  bool backup = false;
  bool all = false;
  OutputFormat format = OutputFormat::kText;
  enum class Color { kAuto, kAlways, kNever } color = Color::kAuto;
  std::vector<std::string> paths;
};

// The options, or nothing after printing what is wrong.
std::optional<Options> parse(const std::vector<std::string>& args, std::ostream& out) {
  Options options;
  std::string color = "auto";
  std::string format = "text";
  std::string error;
  const bool parsed = cli::OptionParser()
                          .flag("--werror", options.werror)
                          .flag("--fix", options.fix)
                          .flag("--backup", options.backup)
                          .flag("--all", options.all)
                          .choice("--color", {"auto", "always", "never"}, color, "always")
                          .choice("--format", {"text", "json", "sarif"}, format)
                          .parse(args, options.paths, error);
  if (parsed && options.backup && !options.fix) error = "--backup needs --fix";
  if (parsed && error.empty() && options.paths.empty()) error = "no map file given";
  if (!error.empty()) {
    out << error << "\n" << kUsage;
    return std::nullopt;
  }
  options.color = color == "always"  ? Options::Color::kAlways
                  : color == "never" ? Options::Color::kNever
                                     : Options::Color::kAuto;
  options.format = format == "json"    ? OutputFormat::kJson
                   : format == "sarif" ? OutputFormat::kSarif
                                       : OutputFormat::kText;
  return options;
}

bool colored(Options::Color color, const OutputContext& context) {
  switch (color) {
    case Options::Color::kAlways:
      return true;
    case Options::Color::kNever:
      return false;
    case Options::Color::kAuto:
      break;
  }
  return context.terminal && !context.noColor;
}

// The message of a map that cannot be read, or nothing when it was read into `text`.
std::optional<std::string> readMap(const std::string& path, std::string& text) {
  switch (readFile(path, text)) {
    case ReadResult::kRead:
      return std::nullopt;
    case ReadResult::kUnreadable:
      break;
    case ReadResult::kTooLarge: {
      std::string message = consoleText(Problem{ProblemId::kMapFileTooLarge,
                                                Problem::kNowhere,
                                                {path, std::to_string(kMaxInputSize >> 20)}});
      while (!message.empty() && message.back() == '\n') message.pop_back();
      return message;
    }
  }
  return "cannot read the map file";
}

}  // namespace

int runChecker(const std::vector<std::string>& args, std::ostream& out,
               const OutputContext& context) {
  if (cli::answersHelpOrVersion(args, "tunnelsmith-check", kUsage, out)) return cli::kSuccess;
  const std::optional<Options> options = parse(args, out);
  if (!options) return cli::kUsage;
  const std::unique_ptr<Renderer> renderer =
      makeRenderer(options->format, out, colored(options->color, context));
  const NameMaps names;
  std::size_t errors = 0;
  std::size_t warnings = 0;
  bool unreadable = false;
  for (const std::string& path : options->paths) {
    std::string text;
    if (const std::optional<std::string> failure = readMap(path, text)) {
      renderer->fileError(path, "unreadable-map", *failure);
      ++errors;
      unreadable = true;
      continue;
    }
    std::vector<Diagnostic> diagnostics = checkMap(text, names);
    if (options->fix) {
      FixedText fixed = applyFixes(text, diagnostics);
      std::string reason;
      if (fixed.applied.empty()) {
        // Nothing to mend: the map is not touched.
      } else if (rewriteMap(path, text, fixed.text, options->backup, reason)) {
        renderer->map(path, fixed.text, fixNotes(fixed, diagnostics));
        text = std::move(fixed.text);
        diagnostics = checkMap(text, names);
      } else {
        renderer->fileError(path, "fix-not-written", "cannot write the fixed map: " + reason);
        ++errors;
      }
    }
    const bool listAll = options->all || options->format != OutputFormat::kText;
    renderer->map(path, text, listAll ? diagnostics : grouped(diagnostics));
    for (const Diagnostic& d : diagnostics) {
      if (d.severity == Severity::kError) ++errors;
      if (d.severity == Severity::kWarning) ++warnings;
    }
  }
  renderer->finish(errors, warnings);
  if (unreadable) return cli::kUsage;
  return errors > 0 || (options->werror && warnings > 0) ? cli::kProblems : cli::kSuccess;
}

}  // namespace ts::check
