#include "map_features.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <span>
#include <string_view>
#include <tuple>

#include "analysis/grouping.h"
#include "reader/text_reader.h"

namespace ts::lsp {

namespace {

// The protocol's completion item kinds.
constexpr int kItemValue = 12;
constexpr int kItemKeyword = 14;
constexpr int kItemSnippet = 15;
constexpr int kItemReference = 18;
constexpr int kItemEnumMember = 20;
constexpr int kItemConstant = 21;

// Squares of one character that references list at most: a whole grid would be a million.
constexpr std::size_t kMaxSquareLocations = 1000;

json positionJson(Position p) { return {{"line", p.line}, {"character", p.character}}; }

json rangeJson(const LineIndex& lines, std::size_t start, std::size_t end) {
  return {{"start", positionJson(positionOf(lines, start))},
          {"end", positionJson(positionOf(lines, end))}};
}

json locationJson(const std::string& uri, const LineIndex& lines, Span s) {
  return {{"uri", uri}, {"range", rangeJson(lines, s.start, s.end)}};
}

// The word (a run of non-blank bytes) holding `offset`, or ending at it.
Span wordAround(std::string_view text, std::size_t offset) {
  std::size_t start = std::min(offset, text.size());
  while (start > 0 && !isBlank(text[start - 1])) --start;
  std::size_t end = std::min(offset, text.size());
  while (end < text.size() && !isBlank(text[end])) ++end;
  return {start, end};
}

std::string_view textOf(std::string_view text, Span s) {
  return text.substr(s.start, s.end - s.start);
}

// The bytes of a diagnostic on its line: its span, kept inside the line; one character when it
// has no range.
Span diagnosticSpan(const Document& doc, const check::Diagnostic& d) {
  const LineIndex& lines = doc.lines();
  const std::size_t size = doc.text().size();
  const std::size_t from = std::min(d.span.start, size);
  const std::size_t end = std::max(from, lines.lineEnd(lines.lineOf(from)));
  std::size_t to = from;
  if (std::min(d.span.end, size) > from) {
    to = std::min(d.span.end, end);
  } else if (from < end) {
    ++to;
    while (to < end && (static_cast<unsigned char>(doc.text()[to]) & 0xC0) == 0x80) ++to;
  }
  return {from, to};
}

// The word a note stands at, within its line.
Span noteSpan(const Document& doc, const check::Note& n) {
  const LineIndex& lines = doc.lines();
  const std::size_t from = std::min(n.span.start, doc.text().size());
  const std::size_t end = lines.lineEnd(lines.lineOf(from));
  std::size_t to = from;
  while (to < end && !isBlank(doc.text()[to])) ++to;
  return {from, to};
}

// A compiler's problem is worded as the compiler prints it ("error near SCENARIO_DESCRIPTION
// section"), which says where reading stopped, not what is wrong; the checker's explanation of
// it is its first note when that note stands at the diagnostic's own place. Many clients show
// only a diagnostic's message, so the explanation is the message and the compiler's wording
// becomes a note. Every error is the compiler refusing the map, in the compiler's words, also
// when the checker files it under a kind of its own (missing-eof, gate-square).
bool explainedByFirstNote(const check::Diagnostic& d) {
  const bool compilers = d.problem != ProblemId::kCount || d.severity == Severity::kError;
  return compilers && !d.notes.empty() && d.notes.front().span.start == d.span.start;
}

json diagnosticJson(const std::string& uri, Document& doc, const check::Diagnostic& d) {
  const Span span = diagnosticSpan(doc, d);
  const int severity = d.severity == Severity::kError     ? 1
                       : d.severity == Severity::kWarning ? 2
                                                          : 3;
  const bool explained = explainedByFirstNote(d);
  const std::string& message = explained ? d.notes.front().text : d.text;
  json out = {{"range", rangeJson(doc.lines(), span.start, span.end)},
              {"severity", severity},
              {"source", "tunnelsmith"},
              {"message", d.afterFirstError ? message + " [after first error]" : message}};
  if (!d.name().empty()) out["code"] = d.name();
  json related = json::array();
  if (explained) {
    related.push_back({{"location", locationJson(uri, doc.lines(), span)},
                       {"message", "the compiler's message: " + d.text}});
  }
  for (std::size_t i = 0; i < d.notes.size(); ++i) {
    const check::Note& n = d.notes[i];
    // A note about a square of the grid points at the square itself; the explanation, now the
    // message, is kept there only when it points at a square.
    std::optional<Span> square;
    if (n.square) square = doc.index().squareSpan({n.square->x, n.square->y});
    if (i == 0 && explained && !square) continue;
    const Span at = square.value_or(noteSpan(doc, n));
    related.push_back({{"location", locationJson(uri, doc.lines(), at)}, {"message", n.text}});
  }
  if (!related.empty()) out["relatedInformation"] = std::move(related);
  return out;
}

// The key that sorts labels as a designer counts: every run of digits padded to one width, so
// that L2 comes before L10 and gate 9 before gate 10. Clients sort by it, not by the label.
std::string sortKey(std::string_view label) {
  constexpr std::size_t kWidth = 10;  // the digits of the largest number a map holds
  std::string key;
  for (std::size_t i = 0; i < label.size();) {
    std::size_t end = i;
    while (end < label.size() && label[end] >= '0' && label[end] <= '9') ++end;
    if (end == i) {
      key += label[i++];
      continue;
    }
    if (end - i < kWidth) key.append(kWidth - (end - i), '0');
    key += label.substr(i, end - i);
    i = end;
  }
  return key;
}

// The players a word may name at one place: the level's keepers, and the heroes and the neutral
// player where the game gives them something.
struct Players {
  std::int32_t keepers = 4;
  bool heroes = false;
  bool neutral = false;

  [[nodiscard]] bool has(std::int32_t player) const {
    if (player == kHeroPlayer) return heroes;
    if (player == kNeutralPlayer) return neutral;
    return player >= kFirstKeeperPlayer && player - kFirstKeeperPlayer < keepers;
  }
};

// Anyone owns a creature, door or trap; a hero band belongs to the heroes or a keeper (the
// reader takes PN for the heroes, so it is not offered); only a keeper controls an area, is given
// a room, door, trap or spell, or has creature pools and research.
Players playersIn(Section section, std::int32_t keepers) {
  switch (section) {
    case Section::kCreatures:
    case Section::kDoors:
    case Section::kTraps:
      return {keepers, true, true};
    case Section::kBands:
      return {keepers, true, false};
    default:
      return {keepers, false, false};
  }
}

// The keeper a heart or gold statement is about (from 1), or 0 for other statements.
std::int32_t keeperOf(Statement id) {
  const auto at = [&](Statement first) {
    return static_cast<std::int32_t>(id) - static_cast<std::int32_t>(first) + 1;
  };
  if (id >= Statement::kHeart1 && id <= Statement::kHeart4) return at(Statement::kHeart1);
  if (id >= Statement::kGold1 && id <= Statement::kGold4) return at(Statement::kGold1);
  return 0;
}

// How a snippet names a word of a statement: the grammar's placeholder, and for a plain number
// what it counts.
std::string placeholderName(Statement statement, WordKind kind) {
  if (kind == WordKind::kNumber) {
    switch (statement) {
      case Statement::kTriggerTime:
        return "seconds";
      case Statement::kTriggerSlapCount:
      case Statement::kCreatureCount:
        return "count";
      default:
        return "amount";
    }
  }
  std::string_view name = placeholderOf(kind);
  if (name.starts_with('<') && name.ends_with('>')) name = name.substr(1, name.size() - 2);
  return std::string(name);
}

class Completions {
 public:
  Completions(const LineIndex& lines, Span replaced, bool snippets)
      : lines_(lines), replaced_(replaced), snippets_(snippets) {}

  void add(std::string_view label, int kind, std::string detail, std::string snippet = {}) {
    json item = {{"label", label}, {"kind", kind}, {"sortText", sortKey(label)}};
    if (!detail.empty()) item["detail"] = std::move(detail);
    std::string insert(label);
    if (!snippet.empty() && snippets_) {
      insert = std::move(snippet);
      item["insertTextFormat"] = 2;
      item["kind"] = kItemSnippet;
    }
    item["textEdit"] = {{"range", rangeJson(lines_, replaced_.start, replaced_.end)},
                        {"newText", insert}};
    items_.push_back(std::move(item));
  }
  void addTable(std::span<const NameValue> table, int kind, std::string_view what) {
    for (const NameValue& entry : table) add(entry.name, kind, std::string(what));
  }
  void addPlayers(const Players& players) {
    for (const NameValue& token : kPlayerTokens) {
      if (players.has(token.value)) add(token.name, kItemEnumMember, playerName(token.value));
    }
  }
  void addEntries(const MapIndex& index, EntryKind kind) {
    for (const Entry& e : index.entries()) {
      if (e.kind == kind) add(std::to_string(e.number), kItemReference, e.summary);
    }
  }
  // A statement with its words as a snippet.
  void addStatement(const StatementInfo& s, const Players& players) {
    std::string snippet(s.word);
    int n = 0;
    for (const WordKind kind : s.operands) {
      const std::string number = std::to_string(++n);
      if (kind == WordKind::kPlayer) {
        std::string choice;
        for (const NameValue& token : kPlayerTokens) {
          if (!players.has(token.value)) continue;
          if (!choice.empty()) choice += ',';
          choice += token.name;
        }
        snippet += " ${" + number + "|" + choice + "|}";
      } else if (kind == WordKind::kSwitch) {
        snippet += " ${" + number + "|G,A|}";
      } else {
        snippet += " ${" + number + ":" + placeholderName(s.id, kind) + "}";
      }
    }
    add(s.word, kItemKeyword, std::string(s.summary), n > 0 ? snippet : std::string());
  }
  json take() { return {{"isIncomplete", false}, {"items", std::move(items_)}}; }

 private:
  const LineIndex& lines_;
  Span replaced_;
  bool snippets_;
  json items_ = json::array();
};

}  // namespace

json diagnosticsOf(const std::string& uri, Document& doc) {
  json out = json::array();
  // Past the first few of one kind, one line counts the rest: an editor shows a grid shifted
  // into 200,000 warnings as quickly as one warning.
  for (const check::Diagnostic& d : doc.shownDiagnostics()) {
    out.push_back(diagnosticJson(uri, doc, d));
  }
  return out;
}

namespace {

// Where a completion is asked for: the section, the words of the line before the one being
// written, and the level's keepers.
struct CompletionPlace {
  Section section;
  std::vector<std::string_view> before;
  std::int32_t keepers;

  [[nodiscard]] std::size_t words() const { return before.size(); }
};

// The words whose completions are a whole name table, with the item kind and what each is.
struct NameList {
  WordKind kind;
  std::span<const NameValue> names;
  int item;
  std::string_view what;
};

const NameList kNameLists[] = {
    {WordKind::kTerrain, kTerrainTable, kItemConstant, "terrain"},
    {WordKind::kObject, kObjectTable, kItemConstant, "object or magic item"},
    {WordKind::kCreature, kCreatureTable, kItemConstant, "creature"},
    {WordKind::kRoom, kRoomTable, kItemConstant, "room"},
    {WordKind::kDoor, kDoorTable, kItemConstant, "door"},
    {WordKind::kTrap, kTrapTable, kItemConstant, "trap"},
    {WordKind::kSpell, kSpellTable, kItemConstant, "keeper spell"},
    {WordKind::kLevel, kLevelTokens, kItemEnumMember, "experience level"},
};

// The names, tokens and numbers that a word of `kind` may be.
void completeWord(Completions& c, WordKind kind, const CompletionPlace& at, const MapIndex& index) {
  for (const NameList& list : kNameLists) {
    if (list.kind == kind) {
      c.addTable(list.names, list.item, list.what);
      return;
    }
  }
  switch (kind) {
    case WordKind::kAvailable:
      for (const WordKind each :
           {WordKind::kRoom, WordKind::kTrap, WordKind::kDoor, WordKind::kSpell}) {
        completeWord(c, each, at, index);
      }
      break;
    case WordKind::kPlayer:
      c.addPlayers(playersIn(at.section, at.keepers));
      break;
    case WordKind::kLock:
      c.add("L", kItemValue, "locked");
      c.add("U", kItemValue, "unlocked");
      break;
    case WordKind::kSwitch:
      c.add("G", kItemValue, "at a hero gate");
      c.add("A", kItemValue, "at an entrance area");
      break;
    case WordKind::kBand:
      c.addEntries(index, EntryKind::kBand);
      break;
    case WordKind::kArea:
      c.addEntries(index, EntryKind::kArea);
      break;
    case WordKind::kGate:
      c.addEntries(index, EntryKind::kGate);
      break;
    case WordKind::kLocation:
      c.addEntries(index, at.before.back() == "A" ? EntryKind::kArea : EntryKind::kGate);
      break;
    default:
      break;  // numbers, coordinates and names of the designer's own
  }
}

// The statements that start a line of a section, or the word a statement's operand is.
void completeStatement(Completions& c, const CompletionPlace& at, const MapIndex& index) {
  const Players players = playersIn(at.section, at.keepers);
  if (at.words() == 0) {
    for (const auto statements : {heartsWords(), triggerWords(), actionWords(), scenarioWords()}) {
      for (const StatementInfo& s : statements) {
        if (s.section == at.section && keeperOf(s.id) <= at.keepers) c.addStatement(s, players);
      }
    }
    return;
  }
  const StatementInfo* s = findStatement(at.section, at.before[0]);
  if (s != nullptr && at.words() <= s->operands.size()) {
    completeWord(c, s->operands[at.words() - 1], at, index);
  }
}

// A hero band's first line (name, member count, owner) or one of its members (creature, level).
void completeBand(Completions& c, const CompletionPlace& at, const MapIndex& index,
                  const NameMaps& names) {
  const SectionInfo& bands = sectionInfo(Section::kBands);
  if (at.words() == 0) {
    completeWord(c, bands.member[0], at, index);
    return;
  }
  const bool member = names.findCreatureId(at.before[0]) >= 0;
  const std::span<const WordKind> words = member ? bands.member : bands.entry;
  if (at.words() < words.size()) completeWord(c, words[at.words()], at, index);
}

// The words of the line from `lineStart` up to `wordStart`.
std::vector<std::string_view> wordsBetween(std::string_view text, std::size_t lineStart,
                                           std::size_t wordStart) {
  std::vector<std::string_view> words;
  for (std::size_t i = lineStart; i < wordStart;) {
    while (i < wordStart && isBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < wordStart && !isBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

}  // namespace

json completion(Document& doc, Position at, bool snippets) {
  const LineIndex& lines = doc.lines();
  const std::string_view text = doc.text();
  const std::size_t offset = offsetOf(lines, at);
  const std::size_t lineStart = lines.lineStart(at.line);
  std::size_t wordStart = offset;
  while (wordStart > lineStart && !isBlank(text[wordStart - 1])) --wordStart;
  const MapIndex& index = doc.index();
  const std::int32_t players = index.level().playerCount;
  const CompletionPlace place{index.sectionAt(lineStart), wordsBetween(text, lineStart, wordStart),
                              players >= 1 && players <= 4 ? players : 4};
  Completions c(lines, {wordStart, offset}, snippets);

  const bool pastRows = index.rowCount() == 0 || lineStart > index.rowStart(index.rowCount() - 1);
  if (place.words() == 0 && place.section != Section::kHeader &&
      (place.section != Section::kGrid || pastRows)) {
    for (const SectionInfo& s : sections()) {
      if (!s.keyword.empty() && s.section >= place.section) {
        c.add(s.keyword, kItemKeyword, "section");
      }
    }
  }
  switch (place.section) {
    case Section::kHearts:
    case Section::kTriggers:
    case Section::kScenario:
      completeStatement(c, place, index);
      break;
    case Section::kBands:
      completeBand(c, place, index, doc.names());
      break;
    default:
      // An area's or a gate's own number is a new one: the numbers in use are not offered.
      if (const std::span<const WordKind> words = sectionInfo(place.section).entry;
          place.words() < words.size() && words[place.words()] != WordKind::kArea &&
          words[place.words()] != WordKind::kGate) {
        completeWord(c, words[place.words()], place, index);
      }
      break;
  }
  return c.take();
}

json hover(Document& doc, Position at) {
  const LineIndex& lines = doc.lines();
  const std::size_t offset = offsetOf(lines, at);
  const MapIndex& index = doc.index();
  std::string value;
  Span span{offset, offset};
  const auto squareText = [&](Square s) {
    std::string text = "square (" + std::to_string(s.x) + ", " + std::to_string(s.y) + "): ";
    const std::optional<TerrainCode> t = index.terrainAt(s);
    return text + (t ? index.terrainName(*t) : "outside the map");
  };
  if (const Token* t = index.tokenAt(offset)) {
    span = t->span;
    if (t->kind == Token::kValue) {
      value = index.meaning(*t);
    } else if (t->kind == Token::kX || t->kind == Token::kY) {
      value = squareText({t->x, t->y});
    } else if (const Entry* e = index.entry(t->entry, t->x)) {
      value = e->summary;
    } else {
      value = "no " + std::string(entryKindName(t->entry)) + " " + std::to_string(t->x) +
              " in this map";
    }
  } else if (index.sectionAt(offset) == Section::kGrid) {
    if (const std::optional<Square> s = index.squareAt(offset)) {
      span = *index.squareSpan(*s);
      value = squareText(*s) + ", drawn as '" + std::string(textOf(doc.text(), span)) + "'";
    }
  }
  if (value.empty()) {
    span = wordAround(doc.text(), offset);
    value = describeName(textOf(doc.text(), span), doc.names());
  }
  if (value.empty()) return nullptr;
  return {{"contents", {{"kind", "plaintext"}, {"value", value}}},
          {"range", rangeJson(lines, span.start, span.end)}};
}

namespace {

// The rows of an extent on the grid, one location each.
void extentLocations(const std::string& uri, const LineIndex& lines, const MapIndex& index,
                     const GateExtent& e, json& out) {
  for (std::int32_t y = e.top; y <= e.bottom; ++y) {
    const std::optional<Span> from = index.squareSpan({e.left, y});
    const std::optional<Span> to = index.squareSpan({e.right, y});
    if (from && to) out.push_back(locationJson(uri, lines, {from->start, to->end}));
  }
}

std::optional<std::pair<EntryKind, std::int32_t>> entryAt(const MapIndex& index,
                                                          std::size_t offset) {
  const Token* t = index.tokenAt(offset);
  if (t == nullptr || (t->kind != Token::kReference && t->kind != Token::kEntryNumber)) {
    return std::nullopt;
  }
  return std::pair{t->entry, t->x};
}

// The grid character under `offset`, on a grid square or a MAP_CODES character.
std::optional<char> characterAt(const MapIndex& index, std::size_t offset) {
  if (index.gui()) return std::nullopt;
  if (index.sectionAt(offset) == Section::kGrid) {
    if (const std::optional<Square> s = index.squareAt(offset)) {
      return index.text()[index.squareSpan(*s)->start];
    }
  }
  for (const LegendLine& l : index.legend()) {
    if (l.character.start == offset || l.character.end == offset) return l.c;
  }
  return std::nullopt;
}

}  // namespace

json definition(const std::string& uri, Document& doc, Position at) {
  const LineIndex& lines = doc.lines();
  const std::size_t offset = offsetOf(lines, at);
  const MapIndex& index = doc.index();
  json out = json::array();
  if (const Token* t = index.tokenAt(offset); t != nullptr && t->kind == Token::kReference) {
    if (const Entry* e = index.entry(t->entry, t->x))
      out.push_back(locationJson(uri, lines, e->whole));
  } else if (const auto e = entryAt(index, offset)) {
    if (const std::optional<GateExtent> extent = index.extentOf(e->first, e->second)) {
      extentLocations(uri, lines, index, *extent, out);
    }
  } else if (index.sectionAt(offset) == Section::kGrid) {
    if (const std::optional<Square> s = index.squareAt(offset)) {
      if (const std::optional<char> c = characterAt(index, offset)) {
        if (const LegendLine* l = index.legendFor(*c)) {
          out.push_back(locationJson(uri, lines, {l->character.start, l->name.end}));
        }
      }
      const auto& gates = index.level().heroGates;
      for (std::size_t g = 0; g < gates.size(); ++g) {
        const GateExtent& e = gates[g].extent;
        if (e.present() && s->x >= e.left && s->x <= e.right && s->y >= e.top && s->y <= e.bottom) {
          if (const Entry* entry =
                  index.entry(EntryKind::kGate, static_cast<std::int32_t>(g + 1))) {
            out.push_back(locationJson(uri, lines, entry->whole));
          }
        }
      }
    }
  }
  if (out.empty()) return nullptr;
  return out;
}

json references(const std::string& uri, Document& doc, Position at, bool includeDeclaration) {
  const LineIndex& lines = doc.lines();
  const std::size_t offset = offsetOf(lines, at);
  const MapIndex& index = doc.index();
  json out = json::array();
  if (const auto e = entryAt(index, offset)) {
    if (includeDeclaration) {
      if (const Entry* entry = index.entry(e->first, e->second)) {
        out.push_back(locationJson(uri, lines, entry->name));
      }
    }
    for (const Token& t : index.tokens()) {
      if (t.kind == Token::kReference && t.entry == e->first && t.x == e->second) {
        out.push_back(locationJson(uri, lines, t.span));
      }
    }
    if (e->first == EntryKind::kGate) {
      if (const std::optional<GateExtent> extent = index.extentOf(e->first, e->second)) {
        extentLocations(uri, lines, index, *extent, out);
      }
    }
  } else if (const std::optional<char> c = characterAt(index, offset)) {
    if (includeDeclaration) {
      for (const LegendLine& l : index.legend()) {
        if (l.c == *c) out.push_back(locationJson(uri, lines, {l.character.start, l.name.end}));
      }
    }
    const std::string_view text = index.text();
    const auto width = static_cast<std::size_t>(index.level().mapWidth);
    std::size_t listed = 0;
    for (std::size_t r = 0; r < index.rowCount() && listed < kMaxSquareLocations; ++r) {
      const std::size_t row = index.rowStart(r);
      for (std::size_t x = 0; x < width && row + x < text.size(); ++x) {
        if (text[row + x] != *c) continue;
        std::size_t end = x;
        while (end < width && row + end < text.size() && text[row + end] == *c) ++end;
        out.push_back(locationJson(uri, lines, {row + x, row + end}));
        ++listed;
        x = end;
      }
    }
  }
  return out;
}

namespace {

json symbolJson(const LineIndex& lines, const Symbol& s) {
  json out = {{"name", s.name.empty() ? std::string("(unnamed)") : s.name},
              {"kind", s.kind},
              {"range", rangeJson(lines, s.range.start, s.range.end)},
              {"selectionRange", rangeJson(lines, s.selection.start, s.selection.end)}};
  if (!s.detail.empty()) out["detail"] = s.detail;
  if (!s.children.empty()) {
    json children = json::array();
    for (const Symbol& c : s.children) children.push_back(symbolJson(lines, c));
    out["children"] = std::move(children);
  }
  return out;
}

}  // namespace

json documentSymbols(Document& doc) {
  json out = json::array();
  for (const Symbol& s : doc.index().symbols()) out.push_back(symbolJson(doc.lines(), s));
  return out;
}

json codeActions(const std::string& uri, Document& doc, Position from, Position to) {
  const LineIndex& lines = doc.lines();
  const std::size_t start = offsetOf(lines, from);
  const std::size_t end = offsetOf(lines, to);
  json out = json::array();
  std::set<std::tuple<std::size_t, std::size_t, std::string>> offered;
  const auto action = [&](std::string title, const check::Diagnostic& d, json edits,
                          bool preferred) {
    json a = {{"title", std::move(title)},
              {"kind", "quickfix"},
              {"diagnostics", json::array({diagnosticJson(uri, doc, d)})},
              {"edit", {{"changes", {{uri, std::move(edits)}}}}}};
    if (preferred) a["isPreferred"] = true;
    out.push_back(std::move(a));
  };
  for (const check::Diagnostic& d : doc.diagnostics()) {
    const Span span = diagnosticSpan(doc, d);
    if (span.start > end || span.end < start) continue;
    if (!d.fixes.empty()) {
      json edits = json::array();
      for (const check::Edit& e : d.fixes) {
        edits.push_back({{"range", rangeJson(lines, e.offset, e.offset + e.length)},
                         {"newText", e.replacement}});
      }
      // The checker says what each of its fixes does ("Set the count to 13").
      action(d.fixTitle.empty() ? "Apply the checker's fix" : d.fixTitle, d, std::move(edits),
             true);
    }
    for (const check::Suggestion& suggestion : d.suggestions) {
      const Span target{std::min(suggestion.span.start, doc.text().size()),
                        std::min(suggestion.span.end, doc.text().size())};
      const std::string& name = suggestion.replacement;
      const std::string_view old = textOf(doc.text(), target);
      if (name.empty() || target.start == target.end || old == name) continue;
      if (!offered.insert({target.start, target.end, name}).second) continue;
      action(
          "Change '" + std::string(old) + "' to '" + name + "'", d,
          json::array({{{"range", rangeJson(lines, target.start, target.end)}, {"newText", name}}}),
          d.fixes.empty());
    }
  }
  return out;
}

}  // namespace ts::lsp
