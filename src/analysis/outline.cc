// The section outline of a map text, the words of its lines, and what the reader saw.
#include <algorithm>
#include <array>
#include <optional>
#include <sstream>

#include "analysis/analysis.h"
#include "reader/text_reader.h"

namespace ts::check {

namespace {

// The stages that start with a keyword line: MAP_CODES (of the grid) to SCENARIO_DESCRIPTION.
constexpr int kFirstKeywordStage = static_cast<int>(Stage::kGrid);
constexpr int kLastKeywordStage = static_cast<int>(Stage::kScenario);

// isBlank as a table: the outline looks at every character of the largest maps.
constexpr std::array<bool, 256> kBlanks = [] {
  std::array<bool, 256> blanks{};
  for (std::size_t c = 0; c < blanks.size(); ++c) blanks[c] = isBlank(static_cast<char>(c));
  return blanks;
}();

inline bool blank(char c) { return kBlanks[static_cast<unsigned char>(c)]; }

}  // namespace

Section sectionOf(Stage stage) {
  switch (stage) {
    case Stage::kHeader:
    case Stage::kEnd:
      return Section::kHeader;
    case Stage::kGrid:
      return Section::kMapCodes;
    default:
      // The stages after the grid are the sections after MAP_CODES, in order.
      return static_cast<Section>(static_cast<int>(stage) - static_cast<int>(Stage::kThings) +
                                  static_cast<int>(Section::kThings));
  }
}

std::string_view keywordOf(Stage stage) { return ts::keywordOf(sectionOf(stage)); }

Stage stageOf(ProblemId id) {
  // The stage whose reading reports each fatal problem; the header's are not listed.
  static constexpr std::pair<ProblemId, Stage> kStages[] = {
      {ProblemId::kLoopMapRows, Stage::kGrid},
      {ProblemId::kMapSectionError, Stage::kGrid},
      {ProblemId::kMapRowTooShort, Stage::kGrid},
      {ProblemId::kLoopMap, Stage::kGrid},
      {ProblemId::kMapCodesError, Stage::kGrid},
      {ProblemId::kLoopThings, Stage::kThings},
      {ProblemId::kThingsError, Stage::kThings},
      {ProblemId::kLoopCreatures, Stage::kCreatures},
      {ProblemId::kCreaturesError, Stage::kCreatures},
      {ProblemId::kLoopDoors, Stage::kDoors},
      {ProblemId::kDoorsError, Stage::kDoors},
      {ProblemId::kLoopTraps, Stage::kTraps},
      {ProblemId::kTrapsError, Stage::kTraps},
      {ProblemId::kLoopHearts, Stage::kHearts},
      {ProblemId::kHeartsError, Stage::kHearts},
      {ProblemId::kHeartCount, Stage::kHearts},
      {ProblemId::kLoopBandData, Stage::kBands},
      {ProblemId::kLoopBands, Stage::kBands},
      {ProblemId::kBandsError, Stage::kBands},
      {ProblemId::kLoopAreas, Stage::kAreas},
      {ProblemId::kAreasError, Stage::kAreas},
      {ProblemId::kAreaIdOrder, Stage::kAreas},
      {ProblemId::kLoopGates, Stage::kGates},
      {ProblemId::kGatesError, Stage::kGates},
      {ProblemId::kGateIdOrder, Stage::kGates},
      {ProblemId::kNoGateTerrain, Stage::kGates},
      {ProblemId::kGateConflictsWithArea, Stage::kGates},
      {ProblemId::kGateConflictsWithGate, Stage::kGates},
      {ProblemId::kLoopTriggers, Stage::kTriggers},
      {ProblemId::kBeforeTriggersError, Stage::kTriggers},
      {ProblemId::kTriggersError, Stage::kTriggers},
      {ProblemId::kInvalidTrigger, Stage::kTriggers},
      {ProblemId::kControlAreaPlayer, Stage::kTriggers},
      {ProblemId::kControlAreaArea, Stage::kTriggers},
      {ProblemId::kInvalidSwitch, Stage::kTriggers},
      {ProblemId::kInvalidRoom, Stage::kTriggers},
      {ProblemId::kInvalidDoor, Stage::kTriggers},
      {ProblemId::kInvalidTrap, Stage::kTriggers},
      {ProblemId::kInvalidSpell, Stage::kTriggers},
      {ProblemId::kInvalidActionPlayer, Stage::kTriggers},
      {ProblemId::kInvalidGateId, Stage::kTriggers},
      {ProblemId::kInvalidAction, Stage::kTriggers},
      {ProblemId::kLoopDescription, Stage::kScenario},
      {ProblemId::kBeforeDescriptionError, Stage::kScenario},
      {ProblemId::kLoopScenario, Stage::kScenario},
      {ProblemId::kScenarioError, Stage::kScenario},
  };
  for (const auto& [problem, stage] : kStages) {
    if (problem == id) return stage;
  }
  return Stage::kHeader;
}

std::size_t TextView::lineStart(std::size_t offset) const {
  offset = std::min(offset, text.size());
  const std::size_t at = offset == 0 ? std::string_view::npos : text.rfind('\n', offset - 1);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::size_t TextView::lineEnd(std::size_t offset) const {
  std::size_t at = text.find('\n', std::min(offset, text.size()));
  if (at == std::string_view::npos) at = text.size();
  if (at > offset && text[at - 1] == '\r') --at;
  return at;
}

std::size_t TextView::nextLine(std::size_t offset) const {
  const std::size_t at = text.find('\n', std::min(offset, text.size()));
  return at == std::string_view::npos ? text.size() : at + 1;
}

std::size_t TextView::wordEnd(std::size_t offset) const {
  while (offset < text.size() && !blank(text[offset])) ++offset;
  return offset;
}

std::size_t TextView::skipBlanks(std::size_t offset) const {
  while (offset < text.size() && isBlank(text[offset])) ++offset;
  return offset;
}

std::size_t TextView::wordsBefore(std::size_t offset, int n) const {
  for (; n > 0 && offset > 0; --n) {
    std::size_t at = offset;
    while (at > 0 && isBlank(text[at - 1])) --at;
    while (at > 0 && !isBlank(text[at - 1])) --at;
    offset = at;
  }
  return offset;
}

std::vector<std::size_t> TextView::lineWords(std::size_t offset) const {
  std::vector<std::size_t> words;
  const std::size_t end = lineEnd(offset);
  for (std::size_t at = lineStart(offset); at < end;) {
    while (at < end && isBlank(text[at])) ++at;
    if (at >= end) break;
    words.push_back(at);
    at = wordEnd(at);
  }
  return words;
}

TextView::Repeat TextView::repeatedLines(std::size_t from, std::size_t to) const {
  constexpr std::size_t kLongestBlock = 8;
  std::vector<std::pair<std::size_t, std::string>> lines;  // the lines with words, and those
  for (std::size_t line = lineStart(std::min(from, text.size())); line < std::min(to, text.size());
       line = nextLine(line)) {
    std::size_t end = lineEnd(line);
    while (end > line && isBlank(text[end - 1])) --end;
    std::string joined;
    for (std::size_t at = skipBlanks(line); at < end;) {
      const std::size_t stop = wordEnd(at);
      joined.append(text.substr(at, stop - at)).push_back(' ');
      at = stop;
      while (at < end && isBlank(text[at])) ++at;
    }
    if (!joined.empty()) lines.emplace_back(line, std::move(joined));
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    for (std::size_t k = 1; k <= std::min(kLongestBlock, i) && i + k <= lines.size(); ++k) {
      bool same = true;
      for (std::size_t j = 0; j < k && same; ++j)
        same = lines[i - k + j].second == lines[i + j].second;
      if (same) return {lines[i].first, k};
    }
  }
  return {};
}

bool isWholeNumber(std::string_view word) {
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) word.remove_prefix(1);
  if (word.empty() || word.size() > TextReader::kMaxIntegerLength) return false;
  // A leading zero reads the rest in octal: a whole number then holds no 8 or 9.
  const bool octal = word.size() > 1 && word[0] == '0';
  return std::all_of(word.begin(), word.end(),
                     [&](char c) { return c >= '0' && (octal ? c <= '7' : c <= '9'); });
}

// The first words of a line, found without keeping every word: map rows and long lists of
// entries are scanned once, with nothing allocated.
struct LineHead {
  std::size_t first = kNoOffset;   // the first word, kNoOffset on a blank line
  std::size_t firstEnd = 0;        // one past its last character
  std::size_t second = kNoOffset;  // the second word, kNoOffset when there is none
  std::size_t end = 0;             // the line's end, before its line end
  std::size_t next = 0;            // the next line's start, or the text's size
};

namespace {

// The end of the line starting at `line` and the next line's start, with one search.
void lineSpan(std::string_view text, std::size_t line, std::size_t& end, std::size_t& next) {
  const std::size_t newline = text.find('\n', line);
  next = newline == std::string_view::npos ? text.size() : newline + 1;
  end = newline == std::string_view::npos ? text.size() : newline;
  if (end > line && text[end - 1] == '\r') --end;
}

// Longer words (map rows) are no misspelt keyword, and comparing them would cost much.
constexpr std::size_t kLongestNearMiss = 24;

// The next word's start at or after `at`, or `end`.
std::size_t skipBlanksTo(std::string_view text, std::size_t at, std::size_t end) {
  while (at < end && blank(text[at])) ++at;
  return at;
}

// The end of the word at `at`, at most `end`.
std::size_t wordEndTo(std::string_view text, std::size_t at, std::size_t end) {
  while (at < end && !blank(text[at])) ++at;
  return at;
}

// True when `words` (a line without blanks around it) is `keyword` written with blanks where
// the keyword has '_', in any case: "SCENARIO description" for SCENARIO_DESCRIPTION.
bool spacedKeyword(std::string_view words, std::string_view keyword) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < words.size() && j < keyword.size()) {
    if (blank(words[i])) {
      if (keyword[j++] != '_') return false;
      while (i < words.size() && blank(words[i])) ++i;
      continue;
    }
    const char c =
        words[i] >= 'a' && words[i] <= 'z' ? static_cast<char>(words[i] - 'a' + 'A') : words[i];
    if (c != keyword[j]) return false;
    ++i;
    ++j;
  }
  return i == words.size() && j == keyword.size();
}

LineHead lineHead(const TextView& view, std::size_t line) {
  LineHead h;
  lineSpan(view.text, line, h.end, h.next);
  const std::size_t first = skipBlanksTo(view.text, line, h.end);
  if (first >= h.end) return h;
  h.first = first;
  // A first word longer than any keyword's near miss is cut there, and the rest not looked at.
  const std::size_t limit = std::min(h.end, first + kLongestNearMiss + 1);
  h.firstEnd = wordEndTo(view.text, first, limit);
  if (h.firstEnd == first + kLongestNearMiss + 1) return h;
  if (const std::size_t second = skipBlanksTo(view.text, h.firstEnd, h.end); second < h.end) {
    h.second = second;
  }
  return h;
}

}  // namespace

Outline::Outline(std::string_view text, bool gui) {
  const TextView view{text};
  std::vector<std::string_view> names;
  for (int s = kFirstKeywordStage; s <= kLastKeywordStage; ++s) {
    names.push_back(keywordOf(static_cast<Stage>(s)));
  }
  // The header takes the first three lines (four when GUI_GENERATED_MAP stands alone).
  std::size_t at = 0;
  for (int header = gui ? 4 : 3; header > 0 && at < text.size(); --header) {
    at = view.nextLine(at);
  }
  // One pass over the lines for those that are, or look like, keyword lines.
  for (LineHead head; at < text.size(); at = head.next) {
    head = lineHead(view, at);
    if (head.first != kNoOffset) keywordLine(text, head, at, names);
  }
}

const KeywordLine* Outline::keywordLine(std::string_view text, const LineHead& head, std::size_t at,
                                        const std::vector<std::string_view>& names) {
  const std::string_view first = text.substr(head.first, head.firstEnd - head.first);
  // A longer first word (a map row) is neither a keyword nor a near miss of one.
  if (first.size() > kLongestNearMiss) return nullptr;
  const bool alone = head.second == kNoOffset;
  // A number alone (a count) is no keyword.
  if (alone && isWholeNumber(first)) return nullptr;
  const std::string_view line = text.substr(at, head.end - at);
  std::size_t last = head.end;
  while (last > head.first && blank(text[last - 1])) --last;
  const std::string_view words = text.substr(head.first, last - head.first);
  // Beside a word alone on its line, a keyword line starts with the keyword's first letter.
  const char initial =
      first[0] >= 'a' && first[0] <= 'z' ? static_cast<char>(first[0] - 'a' + 'A') : first[0];
  // The keywords starting with each letter, as bits by stage.
  static const std::array<std::uint32_t, 256> kByInitial = [] {
    std::array<std::uint32_t, 256> masks{};
    for (int s = kFirstKeywordStage; s <= kLastKeywordStage; ++s) {
      masks[static_cast<unsigned char>(keywordOf(static_cast<Stage>(s))[0])] |= 1U << s;
    }
    return masks;
  }();
  const std::uint32_t candidates = alone ? ~0U : kByInitial[static_cast<unsigned char>(initial)];
  if (candidates == 0) return nullptr;
  for (std::size_t s = 1; s < names.size() + 1; ++s) {
    if ((candidates & (1U << s)) == 0) continue;
    const std::string_view keyword = keywordOf(static_cast<Stage>(s));
    KeywordLine::Kind kind;
    if (first == keyword) {
      kind = line == keyword ? KeywordLine::kExact
             : alone         ? KeywordLine::kBlanks
                             : KeywordLine::kWithText;
    } else if (alone ? upperCase(first) == keyword || closestName(first, names) == keyword
                     : words.size() <= kLongestNearMiss && spacedKeyword(words, keyword)) {
      kind = KeywordLine::kNearMiss;
    } else {
      continue;
    }
    keywords.push_back({static_cast<Stage>(s), kind, at, head.first});
    return &keywords.back();
  }
  return nullptr;
}

const KeywordLine* Outline::find(Stage stage, std::size_t from) const {
  for (const KeywordLine& k : keywords) {
    if (k.stage == stage && k.line >= from) return &k;
  }
  return nullptr;
}

Stage Outline::stageAt(std::size_t offset) const {
  Stage stage = Stage::kGrid;
  for (const KeywordLine& k : keywords) {
    if (k.line > offset) break;
    stage = k.stage;
  }
  return stage;
}

namespace {

// The stage that reads `section` (MAP_CODES ends the grid's).
Stage stageOfSection(Section section) {
  switch (section) {
    case Section::kHeader:
      return Stage::kHeader;
    case Section::kGrid:
    case Section::kMapCodes:
      return Stage::kGrid;
    default:
      return static_cast<Stage>(static_cast<int>(section) - static_cast<int>(Section::kThings) +
                                static_cast<int>(Stage::kThings));
  }
}

}  // namespace

namespace {

// The entries of a counted section that the reader read before `end`: begun there, and whole.
struct EntriesRead {
  std::int64_t begun = 0;
  std::int64_t whole = 0;
  std::size_t lastEnd;  // the end of the last whole one, or of the count
  std::size_t reached;  // the end of the last word the section read
};

EntriesRead entriesBefore(const Trace& trace, const TraceSection& s, std::size_t end,
                          std::size_t afterCount) {
  EntriesRead read{0, 0, afterCount, afterCount};
  for (std::size_t e = s.firstEntry; e < s.firstEntry + s.entryCount; ++e) {
    const std::size_t entryEnd = trace.entryEnd(trace.entries[e]);
    read.reached = std::max(read.reached, entryEnd);
    if (trace.entryStart(trace.entries[e]) < end) ++read.begun;
    if (entryEnd > end) continue;
    ++read.whole;
    read.lastEnd = entryEnd;
  }
  return read;
}

// One counted section of the reading, ending at the next keyword-like line; `stopped` is where a
// fatal problem stopped the reading, if it did.
CountedSection countedSection(const Reading& r, const TraceSection& s, std::size_t stopped) {
  const TextView& view = r.view;
  CountedSection c{stageOfSection(s.section), view.lineStart(s.start)};
  c.end = view.text.size();
  for (const KeywordLine& k : r.outline.keywords) {
    if (k.line > c.keywordLine) {
      c.end = k.line;
      break;
    }
  }
  if (s.countAt != kNoOffset && isWholeNumber(view.wordAt(s.countAt))) {
    c.countAt = s.countAt;
    c.count = std::strtoll(std::string(view.wordAt(s.countAt)).c_str(), nullptr, 0);
  }
  const EntriesRead read =
      entriesBefore(r.seen.trace(), s, c.end,
                    c.countAt != kNoOffset ? view.wordEnd(c.countAt) : view.lineEnd(s.start));
  // The section read on into the next keyword line, or stopped there or at the end of the text:
  // not at a mistake of its own entries.
  const bool ranOn = read.reached > c.end || (stopped != kNoOffset && stopped >= c.end);
  if (c.countAt == kNoOffset) {
    // Without a count, the entries written are those the reader would read after the keyword.
    c.entries = static_cast<std::int64_t>(
        readEntries(view.text, view.nextLine(s.start), c.end, s.section, r.level, r.names).size());
    return c;
  }
  if (c.count > read.begun && ranOn) {
    // The count takes in words beyond the next keyword line.
    c.entries = read.begun;
    return c;
  }
  c.consistent = true;
  if (c.count > read.whole) {
    // The reading stopped at a mistake inside the section: its count is not to blame.
    c.entries = c.count;
    return c;
  }
  c.entries = read.whole;
  // Whole entries right after the ones read, which the count leaves out; text that is no whole
  // entry (a note, say) is only skipped, as the compiler skips it.
  if (view.skipBlanks(read.lastEnd) >= c.end) return c;
  const std::vector<EntryRead> written =
      readEntries(view.text, view.wordEnd(c.countAt), c.end, s.section, r.level, r.names);
  for (auto e = static_cast<std::size_t>(read.whole); e < written.size() && written[e].clean; ++e) {
    ++c.entries;
    c.consistent = false;
  }
  return c;
}

}  // namespace

std::vector<CountedSection> countedSections(const Reading& r) {
  // Where a fatal problem stopped this reading.
  std::size_t stopped = kNoOffset;
  if (!r.seen.problems.empty() && r.seen.problems.back().severity() == Severity::kError) {
    stopped = std::min(r.seen.problems.back().offset, r.view.text.size());
  }
  std::vector<CountedSection> out;
  for (const TraceSection& s : r.seen.trace().sections) {
    if (sectionInfo(s.section).counted) out.push_back(countedSection(r, s, stopped));
  }
  return out;
}

std::string recountTitle(const CountedSection& section) {
  return (section.countAt != kNoOffset ? "Set the count to " : "Write the count ") +
         std::to_string(section.entries);
}

Edit recount(const TextView& view, const CountedSection& section) {
  const std::string entries = std::to_string(section.entries);
  if (section.countAt != kNoOffset) {
    return {section.countAt, view.wordEnd(section.countAt) - section.countAt, entries};
  }
  return {view.nextLine(section.keywordLine), 0, entries + "\n"};
}

// What the reader saw.

void Seen::byteOrderMark() {
  found.push_back({0, Severity::kNote,
                   "the file starts with a UTF-8 byte-order mark; it is skipped and is no part "
                   "of the level name",
                   CheckId::kByteOrderMark, 3});
}

void Seen::problem(const Problem& p) {
  TraceRecorder::problem(p);
  Problem kept = p;
  if (p.offset != Problem::kNowhere) {
    kept.offset = original(p.offset);
    if (kept.offset == kNoOffset) kept.offset = resumeAt_;
  }
  problems.push_back(std::move(kept));
}

void Seen::keywordNotFound(std::string_view keyword, int linesSkipped) {
  missingKeyword = std::string(keyword);
  skipped = linesSkipped;
}

void Seen::rowRead(std::int32_t row, std::size_t offset) {
  if (static_cast<std::size_t>(row) == rowOffsets.size()) rowOffsets.push_back(original(offset));
}

void Seen::unknownSquare(std::size_t offset) {
  const std::size_t at = original(offset);
  Located l{at, Severity::kWarning,
            "these two characters spell no terrain name; the square becomes SOLID_ROCK",
            CheckId::kUnknownSquare, at + 2};
  // An owner letter written as a look-alike: a zero or a lower-case o for O, h for H.
  if (offset + 1 < reading_.size()) {
    const char owner = reading_[offset];
    const char meant = owner == '0' || owner == 'o' ? 'O' : owner == 'h' ? 'H' : owner;
    if (meant != owner) {
      const std::string square{meant, reading_[offset + 1]};
      l.text += "; did you mean " + square + "?";
      l.suggestions.push_back({{at, at + 2}, square});
    }
  }
  found.push_back(std::move(l));
}

void Seen::legendReplaced(TerrainCode code, char previous, char replacement, std::size_t offset) {
  std::ostringstream text;
  text << "this entry gives the terrain of '" << previous << "' to '" << replacement << "' (code 0x"
       << std::hex << code << "); squares drawn with '" << previous << "' are left without terrain";
  found.push_back({original(offset), Severity::kWarning, text.str(), CheckId::kTerrainListedTwice});
}

void Seen::entryDropped(std::string_view section, ExpectedWord expected, std::string_view word,
                        std::size_t offset) {
  TraceRecorder::entryDropped(section, expected, word, offset);
  static const std::vector<std::string_view> kObjects = namesOf(kObjectTable);
  static const std::vector<std::string_view> kCreatures = namesOf(kCreatureTable);
  static const std::vector<std::string_view> kDoors = namesOf(kDoorTable);
  static const std::vector<std::string_view> kTraps = namesOf(kTrapTable);
  static const std::vector<std::string_view> kPlayers = namesOf(kPlayerTokens);
  static const std::vector<std::string_view> kLevels = namesOf(kLevelTokens);
  const struct {
    std::string_view what;
    CheckId id;
    const std::vector<std::string_view>* names;
  } kinds[] = {{"an object or magic item name", CheckId::kUnknownObject, &kObjects},
               {"a creature name", CheckId::kUnknownCreature, &kCreatures},
               {"a door name", CheckId::kUnknownDoor, &kDoors},
               {"a trap name", CheckId::kUnknownTrap, &kTraps},
               {"a player token (P1 to P4, PH, PN)", CheckId::kUnknownPlayer, &kPlayers},
               {"a level token (L1 to L10)", CheckId::kUnknownLevel, &kLevels}};
  const auto& kind = kinds[static_cast<std::size_t>(expected)];
  const std::size_t at = original(offset);
  if (at == kNoOffset) return;
  const auto known = [](const std::vector<std::string_view>& names, std::string_view w) {
    return std::find(names.begin(), names.end(), w) != names.end();
  };
  // A player or level token never starts a line: the entry on the line before lacks a word, and
  // reads this line's first word in its place.
  std::size_t lineBefore = offset;
  while (lineBefore > 0 && (reading_[lineBefore - 1] == ' ' || reading_[lineBefore - 1] == '\t')) {
    --lineBefore;
  }
  const bool tokenWanted =
      expected == ExpectedWord::kPlayerToken || expected == ExpectedWord::kLevelToken;
  if (tokenWanted &&
      (lineBefore == 0 || reading_[lineBefore - 1] == '\n' || reading_[lineBefore - 1] == '\r')) {
    std::size_t end = lineBefore;
    while (end > 0 && isBlank(reading_[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && reading_[start - 1] != '\n' && reading_[start - 1] != '\r') --start;
    while (start < end && isBlank(reading_[start])) ++start;
    // An entry dropped on that line already put the words out of step: this one rides on it.
    const bool droppedBefore =
        !found.empty() && original(start) != kNoOffset && found.back().offset >= original(start);
    if (start < end && !droppedBefore && original(start) != kNoOffset &&
        original(end - 1) == original(start) + (end - 1 - start)) {
      found.push_back({original(start), Severity::kWarning,
                       std::string(section) + " entry dropped: this entry lacks " +
                           std::string(kind.what) + "; the compiler reads '" + std::string(word) +
                           "', the next line's first word, in its place",
                       CheckId::kEntryLacksWord, original(start) + (end - start)});
      return;
    }
  }
  // A level written with a blank in it: L 3.
  if (expected == ExpectedWord::kLevelToken && (word == "L" || word == "l")) {
    std::size_t after = offset + word.size();
    while (after < reading_.size() && (reading_[after] == ' ' || reading_[after] == '\t')) ++after;
    std::size_t afterEnd = after;
    while (afterEnd < reading_.size() && !isBlank(reading_[afterEnd])) ++afterEnd;
    const std::string meant = "L" + std::string(reading_.substr(after, afterEnd - after));
    if (known(kLevels, meant)) {
      Located l{at, Severity::kWarning,
                std::string(section) + " entry dropped: '" + std::string(word) +
                    "' is not a level token; write " + meant + ", without a blank",
                CheckId::kNumberSplit, at + word.size()};
      if (original(afterEnd - 1) == at + (afterEnd - 1 - offset)) {
        l.suggestions.push_back({{at, at + (afterEnd - offset)}, meant});
      }
      found.push_back(std::move(l));
      return;
    }
  }
  // A level past the highest, or a level and an owner written as one word (L4P1).
  if (expected == ExpectedWord::kLevelToken && word.size() > 2 && word.size() < 9 &&
      word[0] == 'L' && word[1] != '0' &&
      std::all_of(word.begin() + 1, word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    found.push_back({at, Severity::kWarning,
                     std::string(section) + " entry dropped: '" + std::string(word) +
                         "' is not a level token (L1 to L10); L10 is the highest level",
                     kind.id, at + word.size()});
    return;
  }
  for (std::size_t split = 2; expected == ExpectedWord::kLevelToken && split < word.size();
       ++split) {
    if (!known(kLevels, word.substr(0, split)) || !known(kPlayers, word.substr(split))) continue;
    const std::string meant =
        std::string(word.substr(0, split)) + " " + std::string(word.substr(split));
    Located l{at, Severity::kWarning,
              std::string(section) + " entry dropped: '" + std::string(word) +
                  "' is a level and an owner without a blank: write " + meant,
              CheckId::kEntryLacksWord, at + word.size()};
    l.suggestions.push_back({{at, at + word.size()}, meant});
    found.push_back(std::move(l));
    return;
  }
  // A level forgotten before the owner: the owner stands where the level should.
  if (expected == ExpectedWord::kLevelToken && known(kPlayers, word)) {
    std::size_t after = offset + word.size();
    while (after < reading_.size() && (reading_[after] == ' ' || reading_[after] == '\t')) ++after;
    std::size_t afterEnd = after;
    while (afterEnd < reading_.size() && !isBlank(reading_[afterEnd])) ++afterEnd;
    if (!known(kLevels, reading_.substr(after, afterEnd - after))) {
      found.push_back({at, Severity::kWarning,
                       std::string(section) +
                           " entry dropped: the level token (L1 to L10) is "
                           "missing before the owner '" +
                           std::string(word) + "'",
                       CheckId::kEntryLacksWord, at + word.size()});
      return;
    }
  }
  // Two words written in each other's place: the dropped word is a name of another kind, and the
  // word next to it on the same line the name this place wants.
  const bool otherKind = std::any_of(std::begin(kinds), std::end(kinds), [&](const auto& k) {
    return k.names != kind.names && known(*k.names, word);
  });
  std::size_t next = offset + word.size();
  while (next < reading_.size() && (reading_[next] == ' ' || reading_[next] == '\t')) ++next;
  std::size_t nextEnd = next;
  while (nextEnd < reading_.size() && !isBlank(reading_[nextEnd])) ++nextEnd;
  std::size_t previousEnd = offset;
  while (previousEnd > 0 &&
         (reading_[previousEnd - 1] == ' ' || reading_[previousEnd - 1] == '\t')) {
    --previousEnd;
  }
  std::size_t previous = previousEnd;
  while (previous > 0 && !isBlank(reading_[previous - 1])) --previous;
  // [first, last) holds both words, `other` is the word next to the dropped one.
  std::size_t first = kNoOffset;
  std::size_t last = 0;
  std::string_view other;
  if (otherKind && known(*kind.names, reading_.substr(next, nextEnd - next))) {
    first = offset;
    last = nextEnd;
    other = reading_.substr(next, nextEnd - next);
  } else if (otherKind && previous < previousEnd && previousEnd < offset &&
             known(*kind.names, reading_.substr(previous, previousEnd - previous))) {
    first = previous;
    last = offset + word.size();
    other = reading_.substr(previous, previousEnd - previous);
  }
  // The two words stand in the text as they were read.
  if (first != kNoOffset && original(first) != kNoOffset &&
      original(last - 1) == original(first) + (last - 1 - first)) {
    const bool wordFirst = first == offset;
    const std::string meant = wordFirst ? std::string(other) + " " + std::string(word)
                                        : std::string(word) + " " + std::string(other);
    Located l{at, Severity::kWarning,
              std::string(section) + " entry dropped: '" + std::string(wordFirst ? word : other) +
                  "' and '" + std::string(wordFirst ? other : word) + "' are swapped: write " +
                  meant,
              CheckId::kSwappedWords, at + word.size()};
    const std::size_t start = original(first);
    l.suggestions.push_back({{start, start + (last - first)}, meant});
    found.push_back(std::move(l));
    return;
  }
  std::string text = std::string(section) + " entry dropped: '" + std::string(word) + "' is not " +
                     std::string(kind.what);
  // A name of another section's kind: the entry was written in the wrong section.
  static constexpr std::array<std::pair<ExpectedWord, std::string_view>, 4> kHomes = {
      {{ExpectedWord::kObjectName, "THINGS"},
       {ExpectedWord::kCreatureName, "CREATURES"},
       {ExpectedWord::kDoorName, "DOORS"},
       {ExpectedWord::kTrapName, "TRAPS"}}};
  for (const auto& [home, keyword] : kHomes) {
    if (home != expected && home <= ExpectedWord::kTrapName &&
        expected <= ExpectedWord::kTrapName &&
        known(*kinds[static_cast<std::size_t>(home)].names, word)) {
      text += "; " + std::string(word) + " is " +
              std::string(kinds[static_cast<std::size_t>(home)].what) + ": this entry belongs in " +
              std::string(keyword);
      Located l{at, Severity::kWarning, text, kind.id, at + word.size()};
      found.push_back(std::move(l));
      return;
    }
  }
  const std::string near = closestName(word, *kind.names);
  if (!near.empty()) text += "; did you mean " + near + "?";
  Located l{at, Severity::kWarning, text, kind.id, at + word.size()};
  if (!near.empty()) l.suggestions.push_back({{at, at + word.size()}, near});
  found.push_back(std::move(l));
}

bool Seen::worthKeeping(std::string_view what, std::int32_t x, std::int32_t y, std::size_t offset,
                        std::int32_t owner) {
  const LevelDescription& level = level_;
  if (what == "heart" || x < 0 || y < 0 || x >= level.mapWidth || y >= level.mapHeight) {
    return true;
  }
  if (owner >= kFirstKeeperPlayer && owner - kFirstKeeperPlayer >= level.playerCount) return true;
  if (what == "door") {
    // The lock flag is the fifth word: name, x, y, player, flag.
    std::size_t at = offset;
    for (int i = 0; i < 4; ++i) {
      while (at < reading_.size() && !isBlank(reading_[at])) ++at;
      while (at < reading_.size() && isBlank(reading_[at])) ++at;
    }
    if (at < reading_.size() && reading_[at] == 'l') return true;
  }
  // Without a whole grid and its legend, no terrain is known.
  if (level.mapRows.size() != static_cast<std::size_t>(level.mapHeight) || level.mapCodes.empty()) {
    return false;
  }
  if (!codes_) codes_.emplace(level.mapCodes);
  const std::string& row = level.mapRows[static_cast<std::size_t>(y)];
  if (static_cast<std::size_t>(x) >= row.size()) return true;
  const TerrainCode code =
      codes_->terrainOf(static_cast<unsigned char>(row[static_cast<std::size_t>(x)]));
  if (code == kSolidRockCode) return true;
  // A keeper's door or trap on ground another keeper owns.
  const std::int32_t ground = ownerOf(code);
  return (what == "door" || what == "trap") && owner >= kFirstKeeperPlayer &&
         ground >= kFirstKeeperPlayer && ground != owner;
}

void Seen::placed(std::string_view what, std::int32_t x, std::int32_t y, std::size_t offset) {
  static constexpr std::array<std::string_view, 5> kKinds = {"thing", "creature", "door", "trap",
                                                             "heart"};
  const std::size_t at = original(offset);
  if (at == kNoOffset) return;
  // The record just read: its owner.
  std::int32_t owner = 0;
  if (what == "creature" && !level_.creatures.empty()) owner = level_.creatures.back().owner;
  if (what == "door" && !level_.doors.empty()) owner = level_.doors.back().owner;
  if (what == "trap" && !level_.traps.empty()) owner = level_.traps.back().owner;
  if (!worthKeeping(what, x, y, offset, owner)) return;
  // Kept as one of the names above, which outlive the reading.
  const auto kind = std::find(kKinds.begin(), kKinds.end(), what);
  const bool clean = trace().entries.empty() || trace().entries.back().clean;
  placements.push_back(
      {kind == kKinds.end() ? std::string_view("entry") : *kind, x, y, at, owner, clean});
}

void Seen::areaRead(std::int32_t number, const EntranceArea& area, std::size_t offset) {
  if (const std::size_t at = original(offset); at != kNoOffset) areas.push_back({number, area, at});
}

void Seen::goldRead(std::size_t keeper, std::size_t offset) {
  if (const std::size_t at = original(offset); at != kNoOffset) gold.emplace_back(keeper, at);
}

void Seen::heroRelease(std::int32_t band, char which, std::int32_t n, std::size_t offset) {
  if (const std::size_t at = original(offset); at != kNoOffset) {
    releases.push_back({band, which, n, at});
  }
}

void Seen::statementApplied(std::string_view word, bool changed, std::size_t offset) {
  const std::size_t at = original(offset);
  if (!changed && at != kNoOffset) {
    found.push_back({at, Severity::kWarning,
                     std::string(word) + " changes nothing: the keeper already has it so",
                     CheckId::kStatementChangesNothing, at + word.size()});
  }
}

void Seen::integerRead(std::size_t start, std::size_t end, bool failed) {
  TraceRecorder::integerRead(start, end, failed);
  const bool zero = start + 1 < reading_.size() && reading_[start] == '0' &&
                    reading_[start + 1] >= '0' && reading_[start + 1] <= '9';
  const bool cut = end < reading_.size() && !isBlank(reading_[end]);
  // The rest of a word another number started, as the map size's height after its separator.
  const bool rest = start > 0 && start <= reading_.size() && !isBlank(reading_[start - 1]);
  if (!failed && !zero && !cut && !rest) return;
  const std::size_t at = original(start);
  if (at != kNoOffset) numbers.push_back({at, original(end), failed});
}

void Seen::sectionFound(std::string_view keyword, std::size_t offset) {
  if (const std::size_t at = original(offset); at != kNoOffset) {
    sections.push_back({std::string(keyword), at});
  }
}

void Seen::wordIgnored(std::string_view section, std::size_t offset) {
  if (const std::size_t at = original(offset); at != kNoOffset) {
    ignored.emplace_back(std::string(section), at);
  }
}

void Seen::legendEntry(char c, TerrainCode code, std::size_t offset) {
  if (const std::size_t at = original(offset); at != kNoOffset) legend.push_back({c, code, at});
}

void Seen::endOfFile(std::size_t offset) { eofEnd = original(offset); }

}  // namespace ts::check
