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

// "25 creatures follow", "1 legend entry follows".
std::string following(std::int32_t count, std::string_view what) {
  std::string noun(what);
  if (count != 1) noun = noun.ends_with('y') ? noun.substr(0, noun.size() - 1) + "ies" : noun + "s";
  return std::to_string(count) + " " + noun + (count == 1 ? " follows" : " follow");
}

// What the plain number of a statement stands for, or nothing when the statement has none. A
// time is in seconds of play, which a designer thinks of in minutes.
std::string numberMeaning(const StatementInfo& statement, std::int32_t value,
                          std::string_view player, std::string_view creature) {
  const std::string n = std::to_string(value);
  switch (statement.id) {
    case Statement::kTriggerTime: {
      std::string text = "trigger: fires after " + n + " seconds of play";
      if (value >= 0) {
        text += " (" + std::to_string(value / 60) + " min " + std::to_string(value % 60) + " s)";
      }
      return text;
    }
    case Statement::kTriggerSlapCount:
      return "trigger: fires when the slap count equals " + n;
    case Statement::kGold1:
    case Statement::kGold2:
    case Statement::kGold3:
    case Statement::kGold4:
      return std::string(statement.summary) + ": " + n;
    case Statement::kCreatureCount:
      return std::string(player) + "'s creature pool: " + n + " " + std::string(creature);
    default:
      return {};
  }
}

std::string hex(std::int32_t value) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "0x%08X", static_cast<unsigned>(value));
  return buffer.data();
}

}  // namespace

std::string_view entryKindName(EntryKind kind) {
  static constexpr std::array<std::string_view, 3> kNames = {"hero band", "entrance area",
                                                             "hero gate"};
  return kNames[static_cast<std::size_t>(kind)];
}

MapIndex::MapIndex(std::string_view text, const NameMaps& names, const check::MapAnalysis& analysis)
    : text_(text), names_(names), level_(analysis.level), gui_(analysis.gui), rows_(analysis.rows) {
  // Each section with what the readings read of it.
  const std::vector<const check::TraceSection*> read = findSections(analysis.trace);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    readSection(sections_[i], analysis.trace, read[i]);
  }
}

std::vector<const check::TraceSection*> MapIndex::findSections(const check::Trace& trace) {
  std::vector<const check::TraceSection*> read;
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
  read.push_back(nullptr);
  if (!rows_.empty()) {
    sections_.push_back({Section::kGrid, {gridStart, from}, {}});
    read.push_back(nullptr);
  }
  // The keyword sections the readings found, in order; each runs from its keyword's line to the
  // next one's.
  for (const check::TraceSection& t : trace.sections) {
    if (keywordOf(t.section).empty() || t.start < from) continue;
    if (!sections_.empty() && sections_.back().section >= t.section &&
        !keywordOf(sections_.back().section).empty()) {
      continue;
    }
    std::size_t line = t.start;
    while (line > 0 && text_[line - 1] != '\n') --line;
    std::size_t contentEnd = std::min(text_.find('\n', t.start), text_.size());
    if (contentEnd > line && text_[contentEnd - 1] == '\r') --contentEnd;
    sections_.back().span.end = line;
    sections_.push_back({t.section, {line, text_.size()}, {line, contentEnd}});
    read.push_back(&t);
  }
  sections_.back().span.end = text_.size();
  return read;
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

namespace {

// The words of one entry as the reader read them.
class EntryWords {
 public:
  EntryWords(std::string_view text, const check::Trace& trace, const check::TraceEntry& e)
      : text_(text), first_(trace.words.data() + e.firstWord), count_(e.wordCount) {}

  [[nodiscard]] std::size_t size() const { return count_; }
  [[nodiscard]] Span span(std::size_t i) const { return {first_[i].start, first_[i].end}; }
  [[nodiscard]] WordKind kind(std::size_t i) const { return first_[i].kind; }
  [[nodiscard]] std::string_view at(std::size_t i) const {
    return text_.substr(first_[i].start, first_[i].end - first_[i].start);
  }
  [[nodiscard]] std::int32_t value(std::size_t i) const { return numberOf(at(i)).value_or(0); }
  // Words [from, to) joined by single blanks.
  [[nodiscard]] std::string joined(std::size_t from, std::size_t to) const {
    std::string s;
    for (std::size_t i = from; i < to; ++i) {
      if (!s.empty()) s += ' ';
      s += at(i);
    }
    return s;
  }
  [[nodiscard]] Span whole() const { return {span(0).start, span(size() - 1).end}; }

 private:
  std::string_view text_;
  const check::TraceWord* first_;
  std::size_t count_;
};

}  // namespace

// Indexes the entries of one section: their outline symbols, and the tokens, entries and legend
// lines the features look up.
class MapIndex::SectionIndexer {
 public:
  SectionIndexer(MapIndex& index, Symbol& section) : index_(index), section_(section) {}

  // The section's count, before its entries.
  void count(const check::TraceSection& read) {
    if (read.countAt == static_cast<std::size_t>(-1)) return;
    const Span word{read.countAt, read.countEnd};
    if (const std::optional<std::int32_t> n =
            numberOf(index_.text_.substr(word.start, word.end - word.start))) {
      value(word, std::string(keywordOf(read.section)) + ": " +
                      following(*n, sectionInfo(read.section).what));
    }
  }

  void entry(Section section, const EntryWords& w, std::int32_t number) {
    if (w.size() < sectionInfo(section).entry.size()) return;  // cut short by the end
    switch (section) {
      case Section::kMapCodes:
        legendLine(w);
        break;
      case Section::kThings:
      case Section::kCreatures:
      case Section::kDoors:
      case Section::kTraps:
        add({std::string(w.at(0)),
             coordinate(w, 1, 2) + " " + w.joined(3, w.size()),
             kSymbolObject,
             w.whole(),
             w.span(0),
             {}});
        break;
      case Section::kHearts:
        // A heart centre and its square, or a keeper's gold and its amount.
        if (w.size() == 2 && w.kind(1) == WordKind::kNumber) {
          statementNumber(w, 1, findStatement(section, w.at(0)));
        }
        add({std::string(w.at(0)),
             w.size() == 3 ? coordinate(w, 1, 2) : std::string(w.at(1)),
             kSymbolProperty,
             w.whole(),
             w.span(0),
             {}});
        break;
      case Section::kBands:
        band(w, number);
        break;
      case Section::kAreas:
        area(w, number);
        break;
      case Section::kGates:
        gate(w, number);
        break;
      case Section::kTriggers:
        trigger(w, number);
        break;
      case Section::kScenario:
        statement(w);
        break;
      default:
        break;
    }
  }

 private:
  void add(Symbol symbol) {
    if (section_.children.size() < kMaxOutlineEntries)
      section_.children.push_back(std::move(symbol));
  }
  std::string coordinate(const EntryWords& w, std::size_t x, std::size_t y) {
    const std::int32_t vx = w.value(x);
    const std::int32_t vy = w.value(y);
    index_.tokens_.push_back({w.span(x), Token::kX, EntryKind::kBand, vx, vy});
    index_.tokens_.push_back({w.span(y), Token::kY, EntryKind::kBand, vx, vy});
    return squareText(vx, vy);
  }
  void numbered(Span word, Token::Kind kind, EntryKind entry, std::int32_t number) {
    index_.tokens_.push_back({word, kind, entry, number, 0});
  }
  // A number whose meaning hover spells out.
  void value(Span word, std::string meaning) {
    if (meaning.empty()) return;
    index_.tokens_.push_back({word, Token::kValue, EntryKind::kBand,
                              static_cast<std::int32_t>(index_.meanings_.size()), 0});
    index_.meanings_.push_back(std::move(meaning));
  }
  // The plain number at word `i` of a statement.
  void statementNumber(const EntryWords& w, std::size_t i, const StatementInfo* statement) {
    const std::optional<std::int32_t> n = numberOf(w.at(i));
    if (statement == nullptr || !n) return;
    const bool pool = statement->id == Statement::kCreatureCount;
    value(w.span(i), numberMeaning(*statement, *n, pool ? w.at(1) : "", pool ? w.at(2) : ""));
  }
  void reference(const EntryWords& w, std::size_t i, EntryKind entry) {
    if (const std::optional<std::int32_t> n = numberOf(w.at(i))) {
      numbered(w.span(i), Token::kReference, entry, *n);
    }
  }

  void legendLine(const EntryWords& w) {
    const Span c = w.span(0);
    const TerrainCode code = index_.names_.findTerrainCode(w.at(1));
    index_.legend_.push_back(
        {index_.text_[c.start], c, w.span(1), code < 1 ? kUnknownTerrainCode : code});
    add({w.joined(0, 2), {}, kSymbolEnumMember, w.whole(), c, {}});
  }

  void band(const EntryWords& w, std::int32_t number) {
    numbered(w.span(0), Token::kEntryNumber, EntryKind::kBand, number);
    if (const std::optional<std::int32_t> members = numberOf(w.at(1))) {
      value(w.span(1), "hero band " + std::to_string(number) + ", " + std::string(w.at(0)) + ": " +
                           following(*members, "member"));
    }
    Symbol band{std::string(w.at(0)),
                "hero band " + std::to_string(number),
                kSymbolClass,
                {w.span(0).start, w.span(2).end},
                w.span(0),
                {}};
    std::string list;
    const std::int32_t members = w.value(1);
    for (std::size_t m = 0; 3 + 2 * m + 1 < w.size(); ++m) {
      const std::size_t creature = 3 + 2 * m;
      const std::string member = w.joined(creature, creature + 2);
      if (m < kMaxBandMembers) list += (list.empty() ? "" : ", ") + member;
      band.children.push_back({member,
                               {},
                               kSymbolField,
                               {w.span(creature).start, w.span(creature + 1).end},
                               w.span(creature),
                               {}});
      band.range.end = w.span(creature + 1).end;
    }
    index_.entries_.push_back(
        {EntryKind::kBand, number, w.span(0), band.range,
         "hero band " + std::to_string(number) + ": " + std::string(w.at(0)) + ", " +
             std::to_string(members) + (members == 1 ? " member" : " members") +
             (list.empty() ? "" : " (" + list + ")") + ", owner " + std::string(w.at(2))});
    add(std::move(band));
  }

  void area(const EntryWords& w, std::int32_t number) {
    numbered(w.span(0), Token::kEntryNumber, EntryKind::kArea, number);
    const std::string from = coordinate(w, 1, 2);
    const std::string to = coordinate(w, 3, 4);
    const std::string label = "entrance area " + std::to_string(number);
    index_.entries_.push_back(
        {EntryKind::kArea, number, w.span(0), w.whole(), label + ": from " + from + " to " + to});
    add({label, from + " to " + to, kSymbolObject, w.whole(), w.span(0), {}});
  }

  void gate(const EntryWords& w, std::int32_t number) {
    numbered(w.span(0), Token::kEntryNumber, EntryKind::kGate, number);
    const std::string at = coordinate(w, 1, 2);
    std::string summary = "hero gate " + std::to_string(number) + " at " + at;
    const Square square{numberOf(w.at(1)).value_or(-1), numberOf(w.at(2)).value_or(-1)};
    if (const std::optional<TerrainCode> t = index_.terrainAt(square)) {
      summary += ", " + index_.terrainName(*t);
    }
    if (const std::optional<GateExtent> e = index_.extentOf(EntryKind::kGate, number)) {
      summary +=
          ", squares " + squareText(e->left, e->top) + " to " + squareText(e->right, e->bottom);
    }
    index_.entries_.push_back({EntryKind::kGate, number, w.span(0), w.whole(), summary});
    add({"hero gate " + std::to_string(number), at, kSymbolObject, w.whole(), w.span(0), {}});
  }

  // The condition and its operands, then the action count, then each action's words.
  void trigger(const EntryWords& w, std::int32_t number) {
    const StatementInfo* condition = findStatement(Section::kTriggers, w.at(0));
    std::size_t i = 1;
    for (; i < w.size() && w.kind(i) != WordKind::kCount; ++i) {
      if (w.kind(i) == WordKind::kArea) reference(w, i, EntryKind::kArea);
      if (w.kind(i) == WordKind::kNumber) statementNumber(w, i, condition);
    }
    if (i < w.size()) {
      if (const std::optional<std::int32_t> actions = numberOf(w.at(i))) {
        value(w.span(i),
              "trigger " + std::to_string(number) + ": " + following(*actions, "action"));
      }
    }
    Symbol trigger{w.joined(0, i), {}, kSymbolEvent, {w.span(0).start, w.span(i - 1).end},
                   w.span(0),      {}};
    for (++i; i < w.size();) {
      const std::size_t action = i;
      for (++i; i < w.size() && w.kind(i) != WordKind::kKeyword; ++i) actionReference(w, i);
      trigger.children.push_back({w.joined(action, i),
                                  {},
                                  kSymbolFunction,
                                  {w.span(action).start, w.span(i - 1).end},
                                  w.span(action),
                                  {}});
      trigger.range.end = w.span(i - 1).end;
    }
    add(std::move(trigger));
  }

  // A band, gate or area an action's word names.
  void actionReference(const EntryWords& w, std::size_t i) {
    if (w.kind(i) == WordKind::kBand) reference(w, i, EntryKind::kBand);
    if (w.kind(i) == WordKind::kGate) reference(w, i, EntryKind::kGate);
    if (w.kind(i) == WordKind::kLocation && w.kind(i - 1) == WordKind::kSwitch) {
      const char which = w.at(i - 1)[0];
      if (which == 'G' || which == 'A') {
        reference(w, i, which == 'G' ? EntryKind::kGate : EntryKind::kArea);
      }
    }
  }

  void statement(const EntryWords& w) {
    const StatementInfo* statement = findStatement(Section::kScenario, w.at(0));
    if (statement == nullptr || statement->id == Statement::kEof ||
        w.size() < 1 + statement->operands.size()) {
      return;
    }
    for (std::size_t i = 1; i < w.size(); ++i) {
      if (w.kind(i) == WordKind::kNumber) statementNumber(w, i, statement);
    }
    add({w.joined(0, w.size()), {}, kSymbolProperty, w.whole(), w.span(0), {}});
  }

  MapIndex& index_;
  Symbol& section_;
};

void MapIndex::readSection(const SectionSpan& s, const check::Trace& trace,
                           const check::TraceSection* read) {
  if (s.section == Section::kHeader) {
    const std::string name = level_.levelName.empty() ? "header" : level_.levelName;
    symbols_.push_back({name, "level", kSymbolNamespace, s.span, s.span, {}});
    return;
  }
  if (s.section == Section::kGrid) {
    symbols_.push_back({"map rows",
                        std::to_string(level_.mapWidth) + " x " + std::to_string(level_.mapHeight),
                        kSymbolNamespace,
                        s.span,
                        {s.span.start, s.span.start},
                        {}});
    return;
  }
  Symbol section{std::string(keywordOf(s.section)), {}, kSymbolNamespace, s.span, s.keyword, {}};
  SectionIndexer indexer(*this, section);
  if (read != nullptr) indexer.count(*read);
  for (std::size_t n = 0; read != nullptr && n < read->entryCount; ++n) {
    const EntryWords w(text_, trace, trace.entries[read->firstEntry + n]);
    if (w.size() > 0) indexer.entry(s.section, w, static_cast<std::int32_t>(n + 1));
  }
  symbols_.push_back(std::move(section));
}

std::string playerName(std::int32_t player) {
  if (player == kHeroPlayer) return "the heroes";
  if (player == kNeutralPlayer) return "the neutral player";
  return "keeper " + std::to_string(player - kFirstKeeperPlayer + 1);
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
    return w + ": player token, " + playerName(v) + " (player " + std::to_string(v) + ")";
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
