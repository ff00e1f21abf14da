// Fuzz target: any bytes as a map text, through the checker and the compiler, in memory. The
// checker reports an error exactly when the compiler rejects the text; its diagnostics render as
// text, as JSON Lines and as SARIF that parse; its trace of the map is what the reader read and
// nothing it skipped; applying its fixes never turns a level the compiler accepts into one it
// rejects, nor changes how any word the compiler read is read; every level the compiler accepts
// decodes in the inspector without a single problem, each file as the kind it is. An analysis
// that writes out only what is shown (as the language server asks) shows what the whole one
// shows once grouped. Crashes,
// hangs, leaks, sanitizer reports and disagreements are findings.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/check.h"
#include "analysis/fixes.h"
#include "analysis/grouping.h"
#include "analysis/trace.h"
#include "decoding/inspection.h"
#include "driver/compile.h"
#include "render/diagnostics.h"

namespace {

// The kinds of the compiler's six files, in the order it builds them.
constexpr std::array<ts::inspect::FileKind, 6> kFileKinds = {
    ts::inspect::FileKind::kMap,       ts::inspect::FileKind::kTriggers,
    ts::inspect::FileKind::kThings,    ts::inspect::FileKind::kPlayers,
    ts::inspect::FileKind::kVariables, ts::inspect::FileKind::kLevelInfo};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "check_fuzzer: %s\n", what);
  __builtin_trap();
}

// Renders the diagnostics in `format` into a string.
std::string rendered(ts::check::OutputFormat format, std::string_view text,
                     const std::vector<ts::check::Diagnostic>& diagnostics, std::size_t errors) {
  std::ostringstream out;
  const auto renderer =
      ts::check::makeRenderer(format, out, format == ts::check::OutputFormat::kText);
  renderer->map("fuzz.txt", text, diagnostics);
  renderer->finish(errors, diagnostics.size() - errors);
  return out.str();
}

// Every diagnostic through every renderer: JSON Lines give one object a line, SARIF one log.
void render(std::string_view text, const std::vector<ts::check::Diagnostic>& diagnostics,
            std::size_t errors) {
  static_cast<void>(rendered(ts::check::OutputFormat::kText, text, diagnostics, errors));
  std::istringstream lines(rendered(ts::check::OutputFormat::kJson, text, diagnostics, errors));
  for (std::string line; std::getline(lines, line);) {
    if (!nlohmann::json::accept(line)) fail("a JSON line does not parse");
  }
  const std::string sarif = rendered(ts::check::OutputFormat::kSarif, text, diagnostics, errors);
  const nlohmann::json log = nlohmann::json::parse(sarif, nullptr, false);
  if (log.is_discarded() || !log.contains("runs")) fail("the SARIF log does not parse");
}

// One reading: the trace is what the reader read, nothing it skipped; every diagnostic and note
// lies inside the text.
void checkReading(std::string_view text, const ts::check::MapAnalysis& analysis,
                  const ts::NameMaps& names) {
  if (const std::string problem =
          ts::check::traceProblem(text, analysis.trace, analysis.level, names);
      !problem.empty()) {
    std::fprintf(stderr, "check_fuzzer: %s\n", problem.c_str());
    fail("the trace is not what the reader read");
  }
  for (const ts::check::Diagnostic& d : analysis.diagnostics) {
    if (d.span.start > text.size()) fail("a diagnostic past the end of the text");
    if (d.name().empty()) fail("a diagnostic without its stable identifier");
    for (const ts::check::Note& n : d.notes) {
      if (n.span.start > text.size()) fail("a note past the end of the text");
    }
  }
}

// A fix never turns an accepted level into a rejected one, and never changes how a word the
// compiler read before is read.
void checkFixes(std::string_view text, const ts::check::MapAnalysis& analysis,
                const ts::NameMaps& names) {
  const ts::check::FixedText fixed = ts::check::applyFixes(text, analysis.diagnostics);
  if (fixed.applied.empty()) return;
  if (!ts::compileMap(fixed.text, names).valid) {
    fail("applying the checker's fixes makes the compiler reject an accepted map");
  }
  const ts::check::MapAnalysis after = ts::check::analyseMap(fixed.text, names);
  if (const std::string changed =
          ts::check::readingChanged(analysis.trace, after.trace, fixed, analysis.diagnostics);
      !changed.empty()) {
    std::fprintf(stderr, "check_fuzzer: %s\n", changed.c_str());
    fail("applying the checker's fixes changes how the compiler reads an accepted map");
  }
}

// Every file of an accepted level decodes without a problem, as the kind it is.
void checkCompiledFiles(const ts::CompileResult& result) {
  if (result.files.size() != kFileKinds.size()) fail("a valid level without its six files");
  for (std::size_t i = 0; i < kFileKinds.size(); ++i) {
    const ts::Bytes& bytes = result.files[i].bytes;
    const ts::inspect::Inspection in =
        ts::inspect::inspect(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
    if (!in.wellFormed()) {
      std::fprintf(stderr, "check_fuzzer: %s at %zu: %s\n", result.files[i].name.c_str(),
                   in.problems.front().offset, in.problems.front().message.c_str());
      fail("the inspector finds a problem in a compiled file");
    }
    if (in.kind != kFileKinds[i]) fail("the inspector decodes a compiled file as another kind");
  }
}

// Grouped after one of a kind, an analysis that writes out two of each kind whole shows what the
// whole analysis shows: the warnings it keeps brief are only ever counted.
void checkBrief(std::string_view text, const ts::check::MapAnalysis& analysis,
                const ts::NameMaps& names) {
  const ts::check::MapAnalysis brief = ts::check::analyseMap(text, names, {2});
  const std::vector<ts::check::Diagnostic> shown = ts::check::grouped(brief, 1);
  const std::vector<ts::check::Diagnostic> whole = ts::check::grouped(analysis.diagnostics, 1);
  if (shown.size() != whole.size()) fail("the brief analysis shows another number of diagnostics");
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const ts::check::Diagnostic& a = shown[i];
    const ts::check::Diagnostic& b = whole[i];
    if (a.text != b.text || a.span != b.span || a.check != b.check || a.problem != b.problem ||
        a.severity != b.severity || a.notes.size() != b.notes.size()) {
      std::fprintf(stderr, "check_fuzzer: shown %zu: '%s' / '%s'\n", i, a.text.c_str(),
                   b.text.c_str());
      fail("the brief analysis shows a diagnostic the whole one does not");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ts::NameMaps names;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const ts::check::MapAnalysis analysis = ts::check::analyseMap(text, names);
  const std::vector<ts::check::Diagnostic>& diagnostics = analysis.diagnostics;
  checkReading(text, analysis, names);
  checkBrief(text, analysis, names);
  const auto errors = static_cast<std::size_t>(std::count_if(
      diagnostics.begin(), diagnostics.end(),
      [](const ts::check::Diagnostic& d) { return d.severity == ts::check::Severity::kError; }));
  render(text, diagnostics, errors);

  const ts::CompileResult result = ts::compileMap(text, names);
  if (errors > 0 && result.valid)
    fail("the checker reports an error, the compiler accepts the map");
  if (errors == 0 && !result.valid) {
    fail("the compiler rejects the map, the checker reports no error");
  }
  if (!result.valid) return 0;
  checkFixes(text, analysis, names);
  checkCompiledFiles(result);
  return 0;
}
