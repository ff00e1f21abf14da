// The map checker: reads a map text with the compiler's own reader and reports every problem
// with its line and column, including the mistakes the compiler drops without a word.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/problems.h"
#include "model/vocabulary.h"

namespace ts::check {

using Severity = ts::Severity;

// A change to the map text that mends a mistake whose intent is certain: the bytes
// [offset, offset + length) are replaced by `replacement`.
struct Edit {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::string replacement;
};

// An explanation attached to a diagnostic, at its own place in the text.
struct Note {
  std::size_t line = 1;
  std::size_t column = 1;
  std::string text;
};

struct Diagnostic {
  std::size_t line = 1;       // from 1
  std::size_t column = 1;     // from 1, in bytes
  std::size_t endColumn = 0;  // one past the last byte of the token on that line; 0: one byte
  Severity severity = Severity::kWarning;
  std::string id;  // a stable identifier of the kind of problem, e.g. "gate-square"
  std::string text;
  std::vector<Note> notes;
  std::vector<Edit> fixes;       // applied together by --fix; empty when the intent is not certain
  bool afterFirstError = false;  // an error found after resuming past an earlier fatal error
};

// Every problem of one map text, in the order of the text where that order is known.
[[nodiscard]] std::vector<Diagnostic> checkMap(std::string_view text, const NameMaps& names);

// "path:line:column: error: text"
[[nodiscard]] std::string format(std::string_view path, const Diagnostic& d);

// The closest name of `candidates` to `word`, when one is near enough to be a likely typo.
[[nodiscard]] std::string closestName(std::string_view word,
                                      const std::vector<std::string_view>& candidates);

}  // namespace ts::check
