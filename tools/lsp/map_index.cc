#include "map_index.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "reader/map_reader.h"
#include "reader/text_reader.h"

namespace ts::lsp {

namespace {

// The protocol's symbol kinds used in the outline.
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolClass = 5;
constexpr int kSymbolProperty = 7;
constexpr int kSymbolField = 8;
constexpr int kSymbolFunction = 12;
constexpr int kSymbolObject = 19;
constexpr int kSymbolEnumMember = 22;
constexpr int kSymbolEvent = 24;

// A large map lists hundreds of thousands of entries; the outline shows the first ones.
constexpr std::size_t kMaxOutlineEntries = 2000;

// Remembers where each map row was read.
class RowObserver : public ReaderObserver {
 public:
  explicit RowObserver(std::vector<std::size_t>& rows) : rows_(rows) {}
  void rowRead(std::int32_t /*row*/, std::size_t offset) override { rows_.push_back(offset); }

 private:
  std::vector<std::size_t>& rows_;
};

std::vector<Span> wordsOf(std::string_view text, std::size_t from, std::size_t to) {
  std::vector<Span> words;
  std::size_t i = from;
  while (i < to) {
    while (i < to && isBlank(text[i])) ++i;
    if (i >= to) break;
    const std::size_t start = i;
    while (i < to && !isBlank(text[i])) ++i;
    words.push_back({start, i});
  }
  return words;
}

// A whole number as the reader reads it, with nothing after it.
std::optional<std::int32_t> numberOf(std::string_view word) {
  TextReader in(word);
  std::int32_t value = 0;
  in.readInteger(value);
  if (in.failed() || in.position() != word.size()) return std::nullopt;
  return value;
}

std::string squareText(std::int32_t x, std::int32_t y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::string hex(std::int32_t value) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "0x%08X", static_cast<unsigned>(value));
  return buffer.data();
}

// Reads the words of one section in order.
class Words {
 public:
  Words(std::string_view text, std::vector<Span> words) : text_(text), words_(std::move(words)) {}
  [[nodiscard]] bool more(std::size_t n = 1) const { return next_ + n <= words_.size(); }
  Span take() { return words_[next_++]; }
  [[nodiscard]] Span peek() const { return words_[next_]; }
  [[nodiscard]] std::string_view at(Span s) const { return text_.substr(s.start, s.end - s.start); }
  // The count a counted section starts with; the entries that fit the words when it is no number.
  std::size_t count(std::size_t wordsPerEntry) {
    if (!more()) return 0;
    const std::optional<std::int32_t> n = numberOf(at(take()));
    const std::size_t fit = (words_.size() - next_) / wordsPerEntry;
    if (!n || *n < 0) return fit;
    return static_cast<std::size_t>(*n);
  }
  // The words `from` to the last one taken, joined by single blanks.
  [[nodiscard]] std::string joined(std::size_t from) const {
    std::string s;
    for (std::size_t i = from; i < next_; ++i) {
      if (!s.empty()) s += ' ';
      s += at(words_[i]);
    }
    return s;
  }
  [[nodiscard]] std::size_t index() const { return next_; }
  [[nodiscard]] Span last() const { return words_[next_ - 1]; }

 private:
  std::string_view text_;
  std::vector<Span> words_;
  std::size_t next_ = 0;
};

}  // namespace

std::string_view entryKindName(EntryKind kind) {
  switch (kind) {
    case EntryKind::kBand:
      return "hero band";
    case EntryKind::kArea:
      return "entrance area";
    case EntryKind::kGate:
      return "hero gate";
  }
  return {};
}

MapIndex::MapIndex(std::string_view text, const NameMaps& names) : text_(text), names_(names) {
  ProblemSink quiet(nullptr);
  RowObserver rows(rows_);
  readLevel(text, level_, names, quiet, &rows);
  const std::size_t firstLineEnd = std::min(text.find('\n'), text.size());
  gui_ = text.substr(0, firstLineEnd).find("GUI_GENERATED_MAP") != std::string_view::npos;
  findSections();
  for (const SectionSpan& s : sections_) readSection(s);
}

void MapIndex::findSections() {
  const std::size_t gridStart = rows_.empty() ? text_.size() : rows_.front();
  std::size_t from = 0;
  if (!rows_.empty()) {
    const std::size_t lastRow = rows_.back();
    const std::size_t lineEnd = text_.find('\n', lastRow);
    from = lineEnd == std::string_view::npos ? text_.size() : lineEnd + 1;
  } else {
    // Without rows the sections are looked for after the three header lines.
    for (int line = 0; line < 3 && from < text_.size(); ++line) {
      const std::size_t end = text_.find('\n', from);
      from = end == std::string_view::npos ? text_.size() : end + 1;
    }
  }
  sections_.push_back({Section::kHeader, {0, std::min(gridStart, from)}, {}});
  if (!rows_.empty()) sections_.push_back({Section::kGrid, {gridStart, from}, {}});
  std::size_t next = 0;  // keyword sections come in their order
  for (std::size_t line = from; line < text_.size();) {
    std::size_t end = text_.find('\n', line);
    if (end == std::string_view::npos) end = text_.size();
    std::size_t contentEnd = end;
    if (contentEnd > line && text_[contentEnd - 1] == '\r') --contentEnd;
    const std::string_view content = text_.substr(line, contentEnd - line);
    if (content.size() <= 20) {
      for (std::size_t k = next; k < kSectionCount; ++k) {
        const Section section = ts::sections()[k].section;
        if (!ts::sections()[k].keyword.empty() && content == keywordOf(section)) {
          sections_.back().span.end = line;
          sections_.push_back({section, {line, text_.size()}, {line, contentEnd}});
          next = k + 1;
          break;
        }
      }
    }
    line = end + 1;
  }
  sections_.back().span.end = text_.size();
}

Section MapIndex::sectionAt(std::size_t offset) const {
  Section found = Section::kHeader;
  for (const SectionSpan& s : sections_) {
    if (s.span.start <= offset) found = s.section;
  }
  return found;
}

const Token* MapIndex::tokenAt(std::size_t offset) const {
  auto it = std::upper_bound(tokens_.begin(), tokens_.end(), offset,
                             [](std::size_t o, const Token& t) { return o < t.span.start; });
  if (it == tokens_.begin()) return nullptr;
  --it;
  // The end of a word counts as the word, as editors put the cursor after what was typed.
  return offset <= it->span.end ? &*it : nullptr;
}

const Entry* MapIndex::entry(EntryKind kind, std::int32_t number) const {
  for (const Entry& e : entries_) {
    if (e.kind == kind && e.number == number) return &e;
  }
  return nullptr;
}

std::optional<Square> MapIndex::squareAt(std::size_t offset) const {
  auto it = std::upper_bound(rows_.begin(), rows_.end(), offset);
  if (it == rows_.begin()) return std::nullopt;
  --it;
  const auto row = static_cast<std::int32_t>(it - rows_.begin());
  const std::size_t column = (offset - *it) / (gui_ ? 2 : 1);
  if (column >= static_cast<std::size_t>(level_.mapWidth)) return std::nullopt;
  const std::size_t lineEnd = std::min(text_.find('\n', *it), text_.size());
  if (offset >= lineEnd) return std::nullopt;
  return Square{static_cast<std::int32_t>(column), row};
}

std::optional<Span> MapIndex::squareSpan(Square s) const {
  if (s.y < 0 || static_cast<std::size_t>(s.y) >= rows_.size() || s.x < 0 ||
      s.x >= level_.mapWidth) {
    return std::nullopt;
  }
  const std::size_t width = gui_ ? 2 : 1;
  const std::size_t start =
      rows_[static_cast<std::size_t>(s.y)] + width * static_cast<std::size_t>(s.x);
  return Span{start, start + width};
}

std::optional<TerrainCode> MapIndex::terrainAt(Square s) const {
  if (s.y < 0 || static_cast<std::size_t>(s.y) >= level_.mapRows.size() || s.x < 0 ||
      s.x >= level_.mapWidth) {
    return std::nullopt;
  }
  const CharacterCodes codes(level_.mapCodes);
  const std::string& row = level_.mapRows[static_cast<std::size_t>(s.y)];
  return codes.terrainOf(static_cast<unsigned char>(row[static_cast<std::size_t>(s.x)]));
}

std::string MapIndex::terrainName(TerrainCode code) const {
  const auto& byCode = names_.terrainNames();
  if (const auto it = byCode.find(code); it != byCode.end()) return it->second;
  return "no terrain (" + hex(code) + ")";
}

const LegendLine* MapIndex::legendFor(char c) const {
  const LegendLine* found = nullptr;
  const CharacterCodes codes(level_.mapCodes);
  for (const LegendLine& l : legend_) {
    if (l.c != c) continue;
    if (!codes.has(static_cast<unsigned char>(c)) ||
        codes.code(static_cast<unsigned char>(c)) == l.code) {
      return &l;
    }
    if (found == nullptr) found = &l;
  }
  return found;
}

std::optional<GateExtent> MapIndex::extentOf(EntryKind kind, std::int32_t number) const {
  const auto i = static_cast<std::size_t>(number - 1);
  if (number < 1) return std::nullopt;
  if (kind == EntryKind::kGate && i < level_.heroGates.size() &&
      level_.heroGates[i].extent.present()) {
    return level_.heroGates[i].extent;
  }
  if (kind == EntryKind::kArea && i < level_.areas.size()) {
    const EntranceArea& a = level_.areas[i];
    return GateExtent{a.left, a.top, a.right, a.bottom};
  }
  return std::nullopt;
}

void MapIndex::readSection(const SectionSpan& s) {
  const std::size_t bodyStart = s.keyword.end;
  Words w(text_, wordsOf(text_, bodyStart, s.span.end));
  Symbol section{std::string(keywordOf(s.section)), {}, kSymbolNamespace, s.span, s.keyword, {}};
  const auto add = [&](Symbol symbol) {
    if (section.children.size() < kMaxOutlineEntries) section.children.push_back(std::move(symbol));
  };
  const auto coordinate = [&](Span x, Span y) {
    const std::int32_t vx = numberOf(w.at(x)).value_or(0);
    const std::int32_t vy = numberOf(w.at(y)).value_or(0);
    tokens_.push_back({x, Token::kX, EntryKind::kBand, vx, vy});
    tokens_.push_back({y, Token::kY, EntryKind::kBand, vx, vy});
    return squareText(vx, vy);
  };
  const auto numbered = [&](Span word, Token::Kind kind, EntryKind entry, std::int32_t number) {
    tokens_.push_back({word, kind, entry, number, 0});
  };
  const auto reference = [&](Span word, EntryKind entry) {
    const std::optional<std::int32_t> n = numberOf(w.at(word));
    if (n) numbered(word, Token::kReference, entry, *n);
  };

  switch (s.section) {
    case Section::kHeader: {
      const std::string name = level_.levelName.empty() ? "header" : level_.levelName;
      symbols_.push_back({name, "level", kSymbolNamespace, s.span, s.span, {}});
      return;
    }
    case Section::kGrid:
      symbols_.push_back(
          {"map rows",
           std::to_string(level_.mapWidth) + " x " + std::to_string(level_.mapHeight),
           kSymbolNamespace,
           s.span,
           {s.span.start, s.span.start},
           {}});
      return;
    case Section::kMapCodes:
      for (std::size_t i = 0, n = w.count(2); i < n && w.more(); ++i) {
        const Span first = w.take();
        const char c = text_[first.start];
        Span name{first.start + 1, first.end};
        if (name.start == name.end) {
          if (!w.more()) break;
          name = w.take();
        }
        const TerrainCode code = names_.findTerrainCode(w.at(name));
        legend_.push_back(
            {c, {first.start, first.start + 1}, name, code < 1 ? kUnknownTerrainCode : code});
        add({std::string(1, c) + " " + std::string(w.at(name)),
             {},
             kSymbolEnumMember,
             {first.start, name.end},
             {first.start, first.start + 1},
             {}});
      }
      break;
    case Section::kThings:
    case Section::kCreatures:
    case Section::kDoors:
    case Section::kTraps: {
      const std::size_t size = s.section == Section::kThings  ? 3
                               : s.section == Section::kTraps ? 4
                                                              : 5;
      for (std::size_t i = 0, n = w.count(size); i < n && w.more(size); ++i) {
        const std::size_t from = w.index();
        const Span name = w.take();
        const Span x = w.take();
        const Span y = w.take();
        const std::string at = coordinate(x, y);
        for (std::size_t k = 3; k < size; ++k) w.take();
        add({std::string(w.at(name)),
             at + " " + w.joined(from + 3),
             kSymbolObject,
             {name.start, w.last().end},
             name,
             {}});
      }
      break;
    }
    case Section::kHearts:
      while (w.more()) {
        const Span word = w.take();
        const std::string_view text = w.at(word);
        if (text.size() == 17 && text.starts_with("KPR") && text.ends_with("_HEART_CENTER") &&
            w.more(2)) {
          const Span x = w.take();
          const Span y = w.take();
          add({std::string(text),
               coordinate(x, y),
               kSymbolProperty,
               {word.start, y.end},
               word,
               {}});
        } else if (text.starts_with("GOLD") && w.more()) {
          const Span amount = w.take();
          add({std::string(text),
               std::string(w.at(amount)),
               kSymbolProperty,
               {word.start, amount.end},
               word,
               {}});
        }
      }
      break;
    case Section::kBands:
      for (std::int32_t i = 0, n = static_cast<std::int32_t>(w.count(3)); i < n && w.more(3); ++i) {
        const Span name = w.take();
        const Span members = w.take();
        const Span owner = w.take();
        // The rest of the band's first line is not read.
        const std::size_t lineEnd = std::min(text_.find('\n', owner.end), text_.size());
        while (w.more() && w.peek().start < lineEnd) w.take();
        numbered(name, Token::kEntryNumber, EntryKind::kBand, i + 1);
        Symbol band{std::string(w.at(name)),
                    "hero band " + std::to_string(i + 1),
                    kSymbolClass,
                    {name.start, owner.end},
                    name,
                    {}};
        std::string list;
        const std::int32_t count = numberOf(w.at(members)).value_or(0);
        for (std::int32_t m = 0; m < count && w.more(2); ++m) {
          const Span creature = w.take();
          const Span level = w.take();
          const std::string member = std::string(w.at(creature)) + " " + std::string(w.at(level));
          if (m < 16) list += (list.empty() ? "" : ", ") + member;
          band.children.push_back(
              {member, {}, kSymbolField, {creature.start, level.end}, creature, {}});
          band.range.end = level.end;
        }
        entries_.push_back(
            {EntryKind::kBand, i + 1, name, band.range,
             "hero band " + std::to_string(i + 1) + ": " + std::string(w.at(name)) + ", " +
                 std::to_string(count) + (count == 1 ? " member" : " members") +
                 (list.empty() ? "" : " (" + list + ")") + ", owner " + std::string(w.at(owner))});
        add(std::move(band));
      }
      break;
    case Section::kAreas:
      for (std::int32_t i = 0, n = static_cast<std::int32_t>(w.count(5)); i < n && w.more(5); ++i) {
        const Span id = w.take();
        numbered(id, Token::kEntryNumber, EntryKind::kArea, i + 1);
        const Span left = w.take();
        const Span top = w.take();
        const std::string from = coordinate(left, top);
        const Span right = w.take();
        const Span bottom = w.take();
        const std::string to = coordinate(right, bottom);
        const std::string label = "entrance area " + std::to_string(i + 1);
        entries_.push_back({EntryKind::kArea,
                            i + 1,
                            id,
                            {id.start, bottom.end},
                            label + ": from " + from + " to " + to});
        add({label, from + " to " + to, kSymbolObject, {id.start, bottom.end}, id, {}});
      }
      break;
    case Section::kGates:
      for (std::int32_t i = 0, n = static_cast<std::int32_t>(w.count(3)); i < n && w.more(3); ++i) {
        const Span id = w.take();
        numbered(id, Token::kEntryNumber, EntryKind::kGate, i + 1);
        const Span x = w.take();
        const Span y = w.take();
        const std::string at = coordinate(x, y);
        std::string summary = "hero gate " + std::to_string(i + 1) + " at " + at;
        const Square square{numberOf(w.at(x)).value_or(-1), numberOf(w.at(y)).value_or(-1)};
        if (const std::optional<TerrainCode> t = terrainAt(square)) {
          summary += ", " + terrainName(*t);
        }
        if (const std::optional<GateExtent> e = extentOf(EntryKind::kGate, i + 1)) {
          summary +=
              ", squares " + squareText(e->left, e->top) + " to " + squareText(e->right, e->bottom);
        }
        entries_.push_back({EntryKind::kGate, i + 1, id, {id.start, y.end}, summary});
        add({"hero gate " + std::to_string(i + 1), at, kSymbolObject, {id.start, y.end}, id, {}});
      }
      break;
    case Section::kTriggers: {
      bool lost = false;  // an unknown keyword: what follows cannot be told apart
      for (std::size_t t = 0, n = w.count(3); t < n && w.more() && !lost; ++t) {
        const std::size_t from = w.index();
        const Span kind = w.take();
        const std::string_view k = w.at(kind);
        if (k == "TRIGGER_TIME" || k == "TRIGGER_SLAP_COUNT_EQUALS") {
          if (w.more()) w.take();
        } else if (k == "TRIGGER_CONTROL_AREA") {
          if (!w.more(2)) break;
          w.take();
          reference(w.take(), EntryKind::kArea);
        } else {
          break;
        }
        Symbol trigger{w.joined(from), {}, kSymbolEvent, {kind.start, w.last().end}, kind, {}};
        const std::size_t actions = w.count(1);
        for (std::size_t a = 0; a < actions && w.more(); ++a) {
          const std::size_t start = w.index();
          const Span action = w.take();
          const std::string_view name = w.at(action);
          if (name == "ACTION_HERO_RELEASE" && w.more(2)) {
            reference(w.take(), EntryKind::kBand);
            const Span which = w.take();
            Span location = which;
            if (which.end - which.start == 1) {
              if (!w.more()) break;
              location = w.take();
            } else {
              ++location.start;
            }
            const char c = text_[which.start];
            if (c == 'G' || c == 'A') {
              reference(location, c == 'G' ? EntryKind::kGate : EntryKind::kArea);
            }
          } else if (name.starts_with("ACTION_ADD_") && w.more(2)) {
            w.take();
            w.take();
          } else if (name == "ACTION_DESTROY_HERO_GATE" && w.more()) {
            reference(w.take(), EntryKind::kGate);
          } else {
            lost = true;
            break;
          }
          trigger.children.push_back(
              {w.joined(start), {}, kSymbolFunction, {action.start, w.last().end}, action, {}});
          trigger.range.end = w.last().end;
        }
        add(std::move(trigger));
      }
      break;
    }
    case Section::kScenario:
      while (w.more()) {
        const std::size_t from = w.index();
        const Span word = w.take();
        const std::string_view k = w.at(word);
        if (k == "EOF") break;
        const std::size_t operands = k == "CREATURE_COUNT"                                    ? 3
                                     : k == "START_WITH" || k == "MUST_RESEARCH" || k == "NO" ? 2
                                                                                              : 0;
        if (operands == 0 || !w.more(operands)) continue;
        for (std::size_t i = 0; i < operands; ++i) w.take();
        add({w.joined(from), {}, kSymbolProperty, {word.start, w.last().end}, word, {}});
      }
      break;
  }
  symbols_.push_back(std::move(section));
}

std::string describeName(std::string_view word, const NameMaps& names) {
  const std::string w(word);
  const auto id = [&](std::string_view what, std::int32_t value) {
    return w + ": " + std::string(what) + ", id " + std::to_string(value);
  };
  if (const std::int32_t code = names.findTerrainCode(word); code >= 1) {
    return w + ": terrain, code " +
           (code < 0x100 ? std::to_string(code) + " (a gate marker)" : hex(code));
  }
  if (const std::int32_t v = names.findObjectId(word); v >= 0) {
    return id(word.starts_with("MI_") ? "magic item" : "object", v);
  }
  if (const std::int32_t v = names.findCreatureId(word); v >= 0) return id("creature", v);
  if (const std::int32_t v = doorIdOrZero(word); v != 0) return id("door", v);
  if (const std::int32_t v = trapIdOrZero(word); v != 0) return id("trap", v);
  if (const std::int32_t v = roomIdOrZero(word); v != 0) return id("room", v);
  if (const std::int32_t v = spellIdOrZero(word); v != 0) return id("keeper spell", v);
  if (const std::int32_t v = parsePlayerToken(word); v != 0) {
    const std::string who = v == kHeroPlayer      ? "the heroes"
                            : v == kNeutralPlayer ? "the neutral player"
                                                  : "keeper " + std::to_string(v - 2);
    return w + ": player token, " + who + " (player " + std::to_string(v) + ")";
  }
  if (const std::int32_t v = parseLevelToken(word); v != 0) {
    return w + ": experience level " + std::to_string(v);
  }
  if (sectionOfKeyword(word)) return w + ": section keyword";
  for (const auto& statements : {triggerWords(), actionWords(), scenarioWords(), heartsWords()}) {
    for (const StatementInfo& s : statements) {
      if (word == s.word) return w + ": " + std::string(s.summary);
    }
  }
  if (word == kGuiWord) {
    return w + ": the map rows have two characters a square (owner, terrain)";
  }
  return {};
}

}  // namespace ts::lsp
