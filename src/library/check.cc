// The public checker (include/tunnelsmith/check.h): the analysis layer's diagnostics and fixes,
// copied into the public values.
#include "tunnelsmith/check.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "analysis/check.h"
#include "analysis/fixes.h"
#include "analysis/line_index.h"
#include "library/guarded.h"
#include "model/vocabulary.h"

namespace tunnelsmith {

namespace {

Span publicSpan(const ts::check::Span& span) { return {span.start, span.end}; }

std::optional<Square> publicSquare(const std::optional<ts::check::Square>& square) {
  if (!square) return std::nullopt;
  return Square{square->x, square->y};
}

Diagnostic publicDiagnostic(ts::check::Diagnostic&& d) {
  Diagnostic result;
  result.id = std::string(d.name());
  result.severity = detail::publicSeverity(d.severity);
  result.message = std::move(d.text);
  result.span = publicSpan(d.span);
  for (ts::check::Note& note : d.notes) {
    result.notes.push_back(
        {std::move(note.text), publicSpan(note.span), publicSquare(note.square)});
  }
  for (ts::check::Edit& edit : d.fixes) {
    result.fixes.push_back({{edit.offset, edit.offset + edit.length}, std::move(edit.replacement)});
  }
  for (ts::check::Suggestion& suggestion : d.suggestions) {
    result.suggestions.push_back({publicSpan(suggestion.span), std::move(suggestion.replacement)});
  }
  result.fixTitle = std::move(d.fixTitle);
  result.square = publicSquare(d.square);
  result.afterFirstError = d.afterFirstError;
  return result;
}

}  // namespace

CheckResult checkMap(std::string_view mapText) {
  return detail::guarded(
      [&] {
        const ts::NameMaps names;
        CheckResult result;
        for (ts::check::Diagnostic& d : ts::check::checkMap(mapText, names)) {
          result.diagnostics.push_back(publicDiagnostic(std::move(d)));
          const Severity severity = result.diagnostics.back().severity;
          if (severity == Severity::kError) ++result.errors;
          if (severity == Severity::kWarning) ++result.warnings;
        }
        return result;
      },
      [](std::string message) {
        CheckResult result;
        Diagnostic failure;
        failure.id = std::string(detail::kInternalError);
        failure.severity = Severity::kError;
        failure.message = std::move(message);
        result.diagnostics.push_back(std::move(failure));
        result.errors = 1;
        return result;
      });
}

FixResult applyFixes(std::string_view mapText, const std::vector<Diagnostic>& diagnostics) {
  return detail::guarded(
      [&] {
        // Only the edits matter to the engine; a span that ends before it starts fits nowhere.
        std::vector<ts::check::Diagnostic> withEdits(diagnostics.size());
        for (std::size_t i = 0; i < diagnostics.size(); ++i) {
          for (const TextEdit& edit : diagnostics[i].fixes) {
            const Span& span = edit.span;
            const std::size_t length = span.end >= span.start
                                           ? span.end - span.start
                                           : std::numeric_limits<std::size_t>::max();
            withEdits[i].fixes.push_back({span.start, length, edit.replacement});
          }
        }
        ts::check::FixedText fixed = ts::check::applyFixes(mapText, withEdits);
        return FixResult{std::move(fixed.text), fixed.applied.size(), fixed.skipped};
      },
      // The text as it was: nothing applied.
      [&](const std::string&) {
        return FixResult{std::string(mapText), 0, 0};
      });
}

TextLines::TextLines(std::string_view text) : size_(text.size()) {
  try {
    const ts::LineIndex lines(text);
    starts_.reserve(lines.lineCount());
    for (std::size_t line = 0; line < lines.lineCount(); ++line) {
      starts_.push_back(lines.lineStart(line));
    }
  } catch (...) {
    // Out of memory: positionOf counts the lines itself.
    starts_.clear();
  }
}

TextPosition TextLines::positionOf(std::size_t offset) const {
  offset = std::min(offset, size_);
  if (starts_.empty()) return {1, offset + 1};
  const auto next = std::upper_bound(starts_.begin(), starts_.end(), offset);
  const std::size_t line = static_cast<std::size_t>(next - starts_.begin()) - 1;
  return {line + 1, offset - starts_[line] + 1};
}

TextPosition positionOf(std::string_view text, std::size_t offset) {
  // One offset: counting the line ends before it needs no index.
  const std::string_view before = text.substr(0, std::min(offset, text.size()));
  const std::size_t lastEnd = before.rfind('\n');
  const auto line = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t lineStart = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
  return {line + 1, before.size() - lineStart + 1};
}

}  // namespace tunnelsmith
