// One open map text: its text as the editor holds it, its lines, its diagnostics and, when a
// feature asks for it, its index.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/check.h"
#include "analysis/grouping.h"
#include "line_index.h"
#include "map_index.h"

namespace ts::lsp {

class Document {
 public:
  Document(std::string text, const NameMaps& names) : names_(names) { setText(std::move(text)); }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  void setText(std::string text) {
    text_ = std::move(text);
    lines_.reset();
    index_.reset();
    analysis_.reset();
  }
  // Replaces [from, to) of the text, both within it, by `with`.
  void replace(std::size_t from, std::size_t to, std::string_view with) {
    text_.replace(from, to - from, with);
    lines_.reset();
    index_.reset();
    analysis_.reset();
  }
  [[nodiscard]] const std::string& text() const { return text_; }
  // Made when first asked for: a change of a map without problems needs no lines.
  [[nodiscard]] const LineIndex& lines() const {
    if (!lines_) lines_ = std::make_unique<LineIndex>(text_);
    return *lines_;
  }

  // The checker's diagnostics of the current text, and what its readings read: one analysis
  // serves the diagnostics and the index. Past the first few of a kind, the diagnostics are
  // written out only as grouped() counts them.
  const std::vector<check::Diagnostic>& diagnostics() { return analysis().diagnostics; }
  std::vector<check::Diagnostic> shownDiagnostics() { return check::grouped(analysis()); }
  const MapIndex& index() {
    if (!index_) index_ = std::make_unique<MapIndex>(text_, names_, analysis());
    return *index_;
  }
  [[nodiscard]] const NameMaps& names() const { return names_; }

 private:
  const NameMaps& names_;
  std::string text_;
  mutable std::unique_ptr<LineIndex> lines_;
  std::unique_ptr<MapIndex> index_;
  std::unique_ptr<check::MapAnalysis> analysis_;

  const check::MapAnalysis& analysis() {
    if (!analysis_) {
      // Only the diagnostics an editor is shown are written out whole.
      analysis_ = std::make_unique<check::MapAnalysis>(
          check::analyseMap(text_, names_, {check::kShownOfOneKind + 1}));
    }
    return *analysis_;
  }
};

}  // namespace ts::lsp
