// What the editor features need to know about one map text: its sections, the entries that
// numbers refer to (hero bands, entrance areas, hero gates), the numbers that refer to them, the
// coordinate pairs, the grid squares with their terrain, and the outline. Built from the
// checker's readings of the text (what the reader read, word by word), so that one reading
// serves the diagnostics and every feature; a text with mistakes gives what was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/check.h"
#include "model/grammar.h"
#include "model/level_description.h"
#include "model/vocabulary.h"

namespace ts::lsp {

using ts::Section;

// Bytes [start, end) of the text.
struct Span {
  std::size_t start = 0;
  std::size_t end = 0;
  [[nodiscard]] bool contains(std::size_t offset) const { return offset >= start && offset < end; }
};

struct SectionSpan {
  Section section;
  Span span;     // from its keyword line (or first line) to the next section
  Span keyword;  // the keyword's word; empty for the header and the grid
};

// What numbers in triggers refer to.
enum class EntryKind { kBand, kArea, kGate };
[[nodiscard]] std::string_view entryKindName(EntryKind kind);  // "hero band", ...

struct Entry {
  EntryKind kind;
  std::int32_t number;  // from 1, in the order of the text
  Span name;            // the word that stands for the entry: a band's name, an area's or gate's id
  Span whole;           // the entry's words
  std::string summary;  // "hero band 1: Scouts, 2 members (DWARF L2, THIEF L1), owner PH"
};

// A number with a meaning of its own in the text: a coordinate, a reference to an entry or an
// entry's own number, or a value whose meaning the index spells out (a count, a time, an amount).
struct Token {
  enum Kind { kX, kY, kReference, kEntryNumber, kValue };
  Span span;
  Kind kind;
  EntryKind entry = EntryKind::kBand;  // kReference, kEntryNumber
  // kX, kY: the pair; kReference, kEntryNumber: the number in x; kValue: where its meaning is
  // kept, in x (MapIndex::meaning gives it).
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct LegendLine {
  char c;
  Span character;
  Span name;
  TerrainCode code;  // kUnknownTerrainCode for an unknown name
};

// An outline entry, as document symbols show it.
struct Symbol {
  std::string name;
  std::string detail;
  int kind;  // the protocol's SymbolKind
  Span range;
  Span selection;
  std::vector<Symbol> children;
};

struct Square {
  std::int32_t x;
  std::int32_t y;
};

class MapIndex {
 public:
  // REQUIRES: `analysis` is of `text` and outlives the index.
  MapIndex(std::string_view text, const NameMaps& names, const check::MapAnalysis& analysis);

  [[nodiscard]] std::string_view text() const { return text_; }
  [[nodiscard]] const LevelDescription& level() const { return level_; }
  [[nodiscard]] bool gui() const { return gui_; }
  [[nodiscard]] const std::vector<SectionSpan>& sections() const { return sections_; }
  [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }
  [[nodiscard]] const std::vector<Token>& tokens() const { return tokens_; }
  [[nodiscard]] const std::vector<LegendLine>& legend() const { return legend_; }
  [[nodiscard]] const std::vector<Symbol>& symbols() const { return symbols_; }

  // The section holding `offset`; the header before the first row.
  [[nodiscard]] Section sectionAt(std::size_t offset) const;
  [[nodiscard]] const Token* tokenAt(std::size_t offset) const;
  // What a kValue token's number means: "trigger: fires after 3000 seconds of play (50 min 0 s)".
  [[nodiscard]] const std::string& meaning(const Token& value) const {
    return meanings_[static_cast<std::size_t>(value.x)];
  }
  [[nodiscard]] const Entry* entry(EntryKind kind, std::int32_t number) const;

  // The grid square drawn at `offset`, if a map row holds it.
  [[nodiscard]] std::optional<Square> squareAt(std::size_t offset) const;
  // The characters of a square in its row (one, or two in the map-drawing-tool format).
  [[nodiscard]] std::optional<Span> squareSpan(Square s) const;
  // The terrain of a square as the compiler writes it.
  [[nodiscard]] std::optional<TerrainCode> terrainAt(Square s) const;
  [[nodiscard]] std::string terrainName(TerrainCode code) const;
  // The MAP_CODES line that gives the grid character `c` its terrain.
  [[nodiscard]] const LegendLine* legendFor(char c) const;
  // The squares of the n-th hero gate (from 1), widened for HERO_GATE_3 as the compiler widens
  // them, or of the n-th entrance area.
  [[nodiscard]] std::optional<GateExtent> extentOf(EntryKind kind, std::int32_t number) const;
  [[nodiscard]] std::size_t rowCount() const { return rows_.size(); }
  [[nodiscard]] std::size_t rowStart(std::size_t row) const { return rows_[row]; }

 private:
  class SectionIndexer;

  // The sections, and the trace's section each keyword section is (null for the header and grid).
  std::vector<const check::TraceSection*> findSections(const check::Trace& trace);
  void readSection(const SectionSpan& s, const check::Trace& trace,
                   const check::TraceSection* read);

  std::string_view text_;
  const NameMaps& names_;
  const LevelDescription& level_;
  bool gui_ = false;
  std::vector<std::size_t> rows_;  // the offset of each map row read
  std::vector<SectionSpan> sections_;
  std::vector<Entry> entries_;
  std::vector<Token> tokens_;  // in the order of the text
  std::vector<std::string> meanings_;
  std::vector<LegendLine> legend_;
  std::vector<Symbol> symbols_;
};

// Who a player number (as parsePlayerToken gives it) stands for: "keeper 1", "the heroes".
[[nodiscard]] std::string playerName(std::int32_t player);

// The vocabulary's description of a word: "creature TROLL (id 7)"; empty for an unknown word.
[[nodiscard]] std::string describeName(std::string_view word, const NameMaps& names);

}  // namespace ts::lsp
