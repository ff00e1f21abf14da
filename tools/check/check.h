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

struct Diagnostic {
  std::size_t line = 1;    // from 1
  std::size_t column = 1;  // from 1, in bytes
  Severity severity = Severity::kWarning;
  std::string text;
};

// Every problem of one map text, in the order of the text where that order is known.
[[nodiscard]] std::vector<Diagnostic> checkMap(std::string_view text, const NameMaps& names);

// "path:line:column: error: text"
[[nodiscard]] std::string format(std::string_view path, const Diagnostic& d);

// The closest name of `candidates` to `word`, when one is near enough to be a likely typo.
[[nodiscard]] std::string closestName(std::string_view word,
                                      const std::vector<std::string_view>& candidates);

}  // namespace ts::check
