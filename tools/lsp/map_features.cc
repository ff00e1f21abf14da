#include "map_features.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

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

class Completions {
 public:
  Completions(const LineIndex& lines, Span replaced, bool snippets)
      : lines_(lines), replaced_(replaced), snippets_(snippets) {}

  void add(std::string_view label, int kind, std::string detail, std::string snippet = {}) {
    json item = {{"label", label}, {"kind", kind}};
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
  template <std::size_t N>
  void addTable(const std::array<NameValue, N>& table, int kind, std::string_view what) {
    for (const NameValue& entry : table) add(entry.name, kind, std::string(what));
  }
  void addPlayers(std::int32_t keepers = 4, bool others = true) {
    for (std::int32_t k = 1; k <= keepers; ++k) {
      add("P" + std::to_string(k), kItemEnumMember, "keeper " + std::to_string(k));
    }
    if (others) {
      add("PH", kItemEnumMember, "the heroes");
      add("PN", kItemEnumMember, "the neutral player");
    }
  }
  void addEntries(const MapIndex& index, EntryKind kind) {
    for (const Entry& e : index.entries()) {
      if (e.kind == kind) add(std::to_string(e.number), kItemReference, e.summary);
    }
  }
  json take() { return {{"isIncomplete", false}, {"items", std::move(items_)}}; }

 private:
  const LineIndex& lines_;
  Span replaced_;
  bool snippets_;
  json items_ = json::array();
};

std::string playerChoice(std::int32_t keepers) {
  std::string s = "${1|";
  for (std::int32_t k = 1; k <= keepers; ++k) s += "P" + std::to_string(k) + ",";
  return s + "PH,PN|}";
}

void triggerWords(Completions& c, const MapIndex& index) {
  const std::string players = playerChoice(4);
  c.add("TRIGGER_TIME", kItemKeyword, "trigger: after a time", "TRIGGER_TIME ${1:time}");
  c.add("TRIGGER_SLAP_COUNT_EQUALS", kItemKeyword, "trigger: on a slap count",
        "TRIGGER_SLAP_COUNT_EQUALS ${1:count}");
  c.add("TRIGGER_CONTROL_AREA", kItemKeyword, "trigger: a player controls an entrance area",
        "TRIGGER_CONTROL_AREA " + players + " ${2:area}");
  c.add("ACTION_HERO_RELEASE", kItemKeyword, "action: release a hero band",
        "ACTION_HERO_RELEASE ${1:band} ${2|G,A|} ${3:location}");
  for (std::string_view what : {"ROOM", "DOOR", "TRAP", "SPELL"}) {
    const std::string keyword = "ACTION_ADD_" + std::string(what);
    std::string lower(what);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char ch) { return static_cast<char>(ch - 'A' + 'a'); });
    c.add(keyword, kItemKeyword, "action: give the player a " + lower,
          keyword + " " + players + " ${2:" + lower + "}");
  }
  c.add("ACTION_DESTROY_HERO_GATE", kItemKeyword, "action: destroy a hero gate",
        "ACTION_DESTROY_HERO_GATE ${1:gate}");
  (void)index;
}

}  // namespace

json diagnosticsOf(const std::string& uri, Document& doc) {
  json out = json::array();
  for (const check::Diagnostic& d : doc.diagnostics()) out.push_back(diagnosticJson(uri, doc, d));
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
  [[nodiscard]] bool first(std::string_view w) const { return !before.empty() && before[0] == w; }
};

void completePlacement(Completions& c, const CompletionPlace& at) {
  const std::size_t n = at.words();
  switch (at.section) {
    case Section::kMapCodes:
      if (n == 1) c.addTable(kTerrainTable, kItemConstant, "terrain");
      break;
    case Section::kThings:
      if (n == 0) c.addTable(kObjectTable, kItemConstant, "object or magic item");
      break;
    case Section::kCreatures:
      if (n == 0) c.addTable(kCreatureTable, kItemConstant, "creature");
      if (n == 3) c.addTable(kLevelTokens, kItemEnumMember, "experience level");
      if (n == 4) c.addPlayers();
      break;
    case Section::kDoors:
      if (n == 0) c.addTable(kDoorTable, kItemConstant, "door");
      if (n == 3) c.addPlayers();
      if (n == 4) {
        c.add("L", kItemValue, "locked");
        c.add("U", kItemValue, "unlocked");
      }
      break;
    case Section::kTraps:
      if (n == 0) c.addTable(kTrapTable, kItemConstant, "trap");
      if (n == 3) c.addPlayers();
      break;
    default:
      break;
  }
}

void completeHearts(Completions& c, const CompletionPlace& at) {
  if (at.words() % 2 != 0) return;
  for (std::int32_t k = 1; k <= at.keepers; ++k) {
    const std::string heart = "KPR" + std::to_string(k) + "_HEART_CENTER";
    c.add(heart, kItemKeyword, "keeper " + std::to_string(k) + "'s heart centre",
          heart + " ${1:x} ${2:y}");
    c.add("GOLD" + std::to_string(k), kItemKeyword,
          "keeper " + std::to_string(k) + "'s starting gold",
          "GOLD" + std::to_string(k) + " ${1:amount}");
  }
}

void completeBands(Completions& c, const CompletionPlace& at, const MapIndex& index,
                   const NameMaps& names) {
  const std::size_t n = at.words();
  const bool member =
      n > 0 && index.level().heroBands.size() < 1000 && names.findCreatureId(at.before[0]) >= 0;
  if (n == 0) c.addTable(kCreatureTable, kItemConstant, "creature");
  if (n == 1 && member) c.addTable(kLevelTokens, kItemEnumMember, "experience level");
  if (n == 2 && !member) c.addPlayers();
}

void completeTriggers(Completions& c, const CompletionPlace& at, const MapIndex& index) {
  const std::size_t n = at.words();
  if (n == 0) triggerWords(c, index);
  if (at.first("TRIGGER_CONTROL_AREA")) {
    if (n == 1) c.addPlayers();
    if (n == 2) c.addEntries(index, EntryKind::kArea);
  }
  if (at.first("ACTION_HERO_RELEASE")) {
    if (n == 1) c.addEntries(index, EntryKind::kBand);
    if (n == 2) {
      c.add("G", kItemValue, "at a hero gate");
      c.add("A", kItemValue, "at an entrance area");
    }
    if (n == 3) c.addEntries(index, at.before[2] == "A" ? EntryKind::kArea : EntryKind::kGate);
  }
  if (at.first("ACTION_DESTROY_HERO_GATE") && n == 1) c.addEntries(index, EntryKind::kGate);
  if (n >= 1 && at.before[0].starts_with("ACTION_ADD_")) {
    if (n == 1) c.addPlayers();
    if (n == 2 && at.first("ACTION_ADD_ROOM")) c.addTable(kRoomTable, kItemConstant, "room");
    if (n == 2 && at.first("ACTION_ADD_DOOR")) c.addTable(kDoorTable, kItemConstant, "door");
    if (n == 2 && at.first("ACTION_ADD_TRAP")) c.addTable(kTrapTable, kItemConstant, "trap");
    if (n == 2 && at.first("ACTION_ADD_SPELL")) {
      c.addTable(kSpellTable, kItemConstant, "keeper spell");
    }
  }
}

void completeScenario(Completions& c, const CompletionPlace& at) {
  const std::size_t n = at.words();
  if (n == 0) {
    std::string players = "${1|";
    for (std::int32_t k = 1; k <= at.keepers; ++k) {
      players += "P" + std::to_string(k) + (k < at.keepers ? "," : "|}");
    }
    c.add("CREATURE_COUNT", kItemKeyword, "the keeper's pool of a creature",
          "CREATURE_COUNT " + players + " ${2:creature} ${3:count}");
    c.add("START_WITH", kItemKeyword, "available from the start",
          "START_WITH " + players + " ${2:name}");
    c.add("MUST_RESEARCH", kItemKeyword, "must be researched",
          "MUST_RESEARCH " + players + " ${2:name}");
    c.add("NO", kItemKeyword, "not available", "NO " + players + " ${2:name}");
    c.add("EOF", kItemKeyword, "the end of the level");
  }
  const bool statement = at.first("CREATURE_COUNT") || at.first("START_WITH") ||
                         at.first("MUST_RESEARCH") || at.first("NO");
  if (statement && n == 1) c.addPlayers(at.keepers, false);
  if (at.first("CREATURE_COUNT") && n == 2) c.addTable(kCreatureTable, kItemConstant, "creature");
  if (statement && !at.first("CREATURE_COUNT") && n == 2) {
    c.addTable(kRoomTable, kItemConstant, "room");
    c.addTable(kTrapTable, kItemConstant, "trap");
    c.addTable(kDoorTable, kItemConstant, "door");
    c.addTable(kSpellTable, kItemConstant, "keeper spell");
  }
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
      completeHearts(c, place);
      break;
    case Section::kBands:
      completeBands(c, place, index, doc.names());
      break;
    case Section::kTriggers:
      completeTriggers(c, place, index);
      break;
    case Section::kScenario:
      completeScenario(c, place);
      break;
    default:
      completePlacement(c, place);
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
    if (t->kind == Token::kX || t->kind == Token::kY) {
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
