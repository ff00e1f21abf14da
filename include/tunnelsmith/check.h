// Checking a map text as a designer's editor or build step does: every problem at its place in
// the text (byte spans), with the explanation, located notes, the words probably meant and the
// fixes whose intent is certain; and applying those fixes. Nothing here reads or writes a file.
// Link Tunnelsmith::tunnelsmith (find_package(Tunnelsmith)) to use it.
//
// The results are plain values that own their data. Every function may be called from several
// threads at once; none throws (a failure inside the library becomes an error diagnostic named
// "internal-error").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tunnelsmith/compile.h"

namespace tunnelsmith {

// Bytes [start, end) of the map text. An empty span (end == start) is a place, not a range.
struct Span {
  std::size_t start = 0;
  std::size_t end = 0;
};

// A square of the map: x the column, y the row, both from 0.
struct Square {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Replace the bytes of `span` with `replacement`: a fix to apply, or a word to suggest.
struct TextEdit {
  Span span;
  std::string replacement;
};

// An explanation attached to a diagnostic, at its own place in the text.
struct Note {
  std::string message;
  Span span;
  std::optional<Square> square;  // the square it is about, when it names one
};

struct Diagnostic {
  // Stable identifier for tools, lower case with dashes ("count-too-small"); a problem the
  // compiler itself reports has the name compileMap gives it ("map-code-not-found").
  std::string id;
  Severity severity = Severity::kWarning;
  std::string message;
  Span span;
  std::vector<Note> notes;
  // Edits applied together by applyFixes; empty when the intent is not certain.
  std::vector<TextEdit> fixes;
  std::string fixTitle;  // what the fixes do, as an editor offers them: "Set the count to 13"
  // Words the designer probably meant ("did you mean IMP?"), each for the bytes it would replace;
  // never applied by applyFixes.
  std::vector<TextEdit> suggestions;
  std::optional<Square> square;  // the square the diagnostic is about, if any
  // Found after the reading resumed past an earlier error: it may be a consequence of that one.
  bool afterFirstError = false;
};

struct CheckResult {
  std::vector<Diagnostic> diagnostics;  // in the order of the text where that order is known
  std::size_t errors = 0;               // diagnostics of each severity
  std::size_t warnings = 0;
};

// Every problem of `mapText` (the whole contents of a map file), including the mistakes the
// compiler passes over without a word. Spans count from the first byte of `mapText`.
[[nodiscard]] CheckResult checkMap(std::string_view mapText);

struct FixResult {
  std::string text;         // the mended map text
  std::size_t applied = 0;  // diagnostics whose fixes were applied
  std::size_t skipped = 0;  // diagnostics whose fixes clash with one applied before them
};

// Applies the fixes of each diagnostic in turn, all of a diagnostic's edits or none: a
// diagnostic is skipped when one of its edits falls outside the text or overlaps an edit taken
// before it. Spans are those of `mapText`, as checkMap gave them; only `fixes` is read.
[[nodiscard]] FixResult applyFixes(std::string_view mapText,
                                   const std::vector<Diagnostic>& diagnostics);

// Where a byte offset stands as editors and compilers show it: line and column from 1, the
// column counted in bytes. An offset past the end stands at the end.
struct TextPosition {
  std::size_t line = 1;
  std::size_t column = 1;
};

// The lines of one text, indexed once, for the positions of many offsets in it. It keeps no
// reference to the text.
class TextLines {
 public:
  explicit TextLines(std::string_view text);
  [[nodiscard]] TextPosition positionOf(std::size_t offset) const;

 private:
  std::vector<std::size_t> starts_;  // the first byte of each line
  std::size_t size_ = 0;
};

// The position of one offset of `text`; TextLines serves many.
[[nodiscard]] TextPosition positionOf(std::string_view text, std::size_t offset);

}  // namespace tunnelsmith
