// The checker's renderings of its diagnostics: text as compilers print it (the source line and
// a caret under the place, in colour on request), JSON Lines for scripts and editors, and a
// SARIF 2.1.0 log for code-scanning tools.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/check.h"
#include "analysis/line_index.h"

namespace ts::check {

enum class OutputFormat { kText, kJson, kSarif };

// A source line as shown under a diagnostic, and the line under it with `^` at `column` and `~`
// under the rest of [column, endColumn) (columns from 1, in bytes; endColumn 0: one byte). Tabs of
// the source line are copied into the caret line so that the caret stays aligned; a character of
// several UTF-8 bytes takes one place. A line too long for a terminal is cut to a window around the
// column, marked by "...".
struct Excerpt {
  std::string source;
  std::string caret;
};
[[nodiscard]] Excerpt excerpt(std::string_view sourceLine, std::size_t column,
                              std::size_t endColumn);

// Receives the diagnostics of each map in turn and prints them in one format.
class Renderer {
 public:
  virtual ~Renderer() = default;
  // The diagnostics of the map at `path`, whose text is `text`.
  virtual void map(std::string_view path, std::string_view text,
                   const std::vector<Diagnostic>& diagnostics) = 0;
  // A map that could not be read, or not be rewritten: a problem without a place in its text.
  virtual void fileError(std::string_view path, std::string_view id, std::string_view message) = 0;
  // After the last map: the text format prints its summary, SARIF its whole log.
  virtual void finish(std::size_t errors, std::size_t warnings) = 0;
};

[[nodiscard]] std::unique_ptr<Renderer> makeRenderer(OutputFormat format, std::ostream& out,
                                                     bool color);

}  // namespace ts::check
