// The map checker: reads a map text with the compiler's own reader and reports every problem at
// its place, including the mistakes the compiler drops without a word. Diagnostics are values:
// byte spans into the text, an identifier from a table, the explanation, located notes, the
// suggestions and squares they are about, and the fixes whose intent is certain. Lines and
// columns are a rendering of the spans (analysis/line_index.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/check_ids.h"
#include "analysis/spelling.h"
#include "analysis/trace.h"
#include "model/level_description.h"
#include "model/problems.h"
#include "model/vocabulary.h"

namespace ts::check {

using Severity = ts::Severity;

// Bytes [start, end) of the map text. An empty span (end == start) is a place, not a range: a
// renderer shows one character there.
struct Span {
  std::size_t start = 0;
  std::size_t end = 0;
  friend bool operator==(const Span&, const Span&) = default;
};

// A square of the map: x the column, y the row, both from 0.
struct Square {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Square&, const Square&) = default;
};

// A change to the map text that mends a mistake whose intent is certain: the bytes
// [offset, offset + length) are replaced by `replacement`.
struct Edit {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::string replacement;
};

// A word the designer probably meant in place of the word at `span`: "did you mean IMP?".
struct Suggestion {
  Span span;
  std::string replacement;
};

// An explanation attached to a diagnostic, at its own place in the text, and the square it is
// about when it names one.
struct Note {
  Span span;
  std::string text;
  std::optional<Square> square;
};

struct Diagnostic {
  Span span;
  Severity severity = Severity::kWarning;
  // What kind of problem it is: one of the checker's (check) or, with CheckId::kNone, one of
  // the compiler's (problem).
  CheckId check = CheckId::kNone;
  ProblemId problem = ProblemId::kCount;
  std::string text;
  std::vector<Note> notes;
  std::vector<Edit> fixes;  // applied together by --fix; empty when the intent is not certain
  std::string fixTitle;     // what the fixes do, as an editor offers them: "Set the count to 13"
  std::vector<Suggestion> suggestions;
  std::optional<Square> square;  // the square the diagnostic is about, if any
  bool afterFirstError = false;  // an error found after resuming past an earlier fatal error

  // The stable identifier of its kind, "count-too-small"; empty when it has none.
  [[nodiscard]] std::string_view name() const {
    if (check != CheckId::kNone) return infoOf(check).name;
    return problem == ProblemId::kCount ? std::string_view() : ts::infoOf(problem).name;
  }
};

// A diagnostic of which only its place, kind and severity are kept: all that grouped() takes of
// one that is counted and not shown.
struct BriefDiagnostic {
  Span span;
  Severity severity = Severity::kWarning;
  CheckId check = CheckId::kNone;
};

// Every problem of one map text, in the order of the text where that order is known.
[[nodiscard]] std::vector<Diagnostic> checkMap(std::string_view text, const NameMaps& names);

// The checker's diagnostics and what its readings read, from the same readings: a tool that needs
// both (an editor server) reads the map once.
struct MapAnalysis {
  std::vector<Diagnostic> diagnostics;
  // With AnalysisOptions::wholeOfOneKind, the warnings past the first few of a kind, in the order
  // of the text: not in `diagnostics`, and only their place, kind and severity.
  std::vector<BriefDiagnostic> brief;
  // What the readings read, in the order of the text: the first reading's up to its fatal error,
  // then each later reading's from the keyword it resumed at.
  Trace trace;
  LevelDescription level;         // as the first reading left it
  std::vector<std::size_t> rows;  // where each map row the first reading took starts
  bool gui = false;               // the map-drawing tool's format
};
// How much of each diagnostic an analysis writes out.
struct AnalysisOptions {
  // Past the first `wholeOfOneKind` placement warnings of one kind (0: no limit), each is kept
  // brief (MapAnalysis::brief): all that grouped() takes of them. A grid shifted under 200,000
  // creatures is then checked without writing 200,000 messages that nobody reads.
  std::size_t wholeOfOneKind = 0;
};
[[nodiscard]] MapAnalysis analyseMap(std::string_view text, const NameMaps& names,
                                     const AnalysisOptions& options = {});

}  // namespace ts::check
