#include "analysis/check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <sstream>

#include "analysis/analysis.h"
#include "analysis/fixes.h"
#include "model/level_description.h"
#include "model/trigger_plan.h"
#include "reader/map_reader.h"
#include "reader/reader_observer.h"
#include "reader/text_reader.h"

namespace ts::check {

namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool inside(const LevelDescription& level, std::int64_t x, std::int64_t y) {
  return x >= 0 && y >= 0 && x < level.mapWidth && y < level.mapHeight;
}

std::string squareText(std::int64_t x, std::int64_t y) {
  std::ostringstream text;
  text << '(' << x << ", " << y << ')';
  return text.str();
}

std::string mapSizeText(const LevelDescription& level) {
  return std::to_string(level.mapWidth) + " by " + std::to_string(level.mapHeight) + " map";
}

// Grid characters that no legend entry carries: once per character, at its first square.
void unmappedCharacters(const LevelDescription& level, const Seen& seen,
                        std::vector<Located>& out) {
  const CharacterCodes codes(level.mapCodes);
  const std::size_t rows = std::min(level.mapRows.size(), seen.rowOffsets.size());
  // Counted first, which is quick on the largest grids; the first squares of the characters
  // without terrain, which are few, are looked for after.
  std::array<std::size_t, 256> count{};
  for (std::size_t r = 0; r < rows; ++r) {
    for (const char c : level.mapRows[r]) ++count[static_cast<unsigned char>(c)];
  }
  std::array<std::size_t, 256> first{};
  for (std::size_t ch = 0; ch < 256; ++ch) {
    if (codes.has(static_cast<unsigned char>(ch))) count[ch] = 0;
    if (count[ch] == 0) continue;
    for (std::size_t r = 0; r < rows; ++r) {
      if (const std::size_t c = level.mapRows[r].find(static_cast<char>(ch));
          c != std::string::npos) {
        first[ch] = seen.rowOffsets[r] + c;
        break;
      }
    }
  }
  std::vector<unsigned char> order;
  for (std::size_t ch = 0; ch < 256; ++ch) {
    if (count[ch] > 0) order.push_back(static_cast<unsigned char>(ch));
  }
  std::sort(order.begin(), order.end(),
            [&](unsigned char a, unsigned char b) { return first[a] < first[b]; });
  for (unsigned char ch : order) {
    // A character that does not show is named by its code.
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(ch));
    const std::string shown = ch == '\t'                ? std::string("\\t (a tab)")
                              : ch < 0x20 || ch >= 0x7F ? std::string(code)
                                                        : std::string(1, static_cast<char>(ch));
    Located l{first[ch], Severity::kWarning,
              "map character '" + shown + "' has no terrain in MAP_CODES (" +
                  std::to_string(count[ch]) + (count[ch] == 1 ? " square" : " squares") +
                  "); the compiler writes it as terrain 0x01010101",
              CheckId::kUnmappedCharacter};
    // Characters differ by case: a legend entry for the other case was probably meant for it.
    const char other = static_cast<char>(std::isupper(ch) ? std::tolower(ch) : std::toupper(ch));
    const bool listed = std::any_of(seen.legend.begin(), seen.legend.end(),
                                    [&](const auto& e) { return e.c == static_cast<char>(ch); });
    for (const Seen::Legend& entry : seen.legend) {
      // An entry whose terrain is no name gives nothing to anyone.
      if (listed || other == static_cast<char>(ch) || entry.c != other ||
          entry.code == kUnknownTerrainCode) {
        continue;
      }
      l.notes.emplace_back(entry.offset, "MAP_CODES gives '" + std::string(1, other) +
                                             "' a terrain here; '" +
                                             std::string(1, static_cast<char>(ch)) + "' and '" +
                                             std::string(1, other) + "' are different characters");
      break;
    }
    out.push_back(std::move(l));
  }
}

void releaseTargets(const LevelDescription& level, const Seen& seen, std::vector<Located>& out) {
  const auto bands = static_cast<std::int64_t>(level.heroBands.size());
  const auto gates = static_cast<std::int64_t>(level.heroGates.size());
  const auto areas = static_cast<std::int64_t>(level.areas.size());
  for (const Seen::Release& r : seen.releases) {
    if (r.band < 1 || r.band > bands) {
      out.push_back({r.offset, Severity::kWarning,
                     "hero release names band " + std::to_string(r.band) + ", but the level has " +
                         std::to_string(bands) + (bands == 1 ? " band" : " bands"),
                     CheckId::kReleaseTargetMissing});
    }
    const std::int64_t limit = r.which == 'G' ? gates : areas;
    if (r.n < 1 || r.n > limit) {
      out.push_back({r.offset, Severity::kWarning,
                     std::string("hero release names ") + (r.which == 'G' ? "gate " : "area ") +
                         std::to_string(r.n) + ", but the level has " + std::to_string(limit) +
                         (r.which == 'G' ? " hero gates" : " entrance areas"),
                     CheckId::kReleaseTargetMissing});
    }
  }
}

}  // namespace

namespace {

// The reader's own warnings and notes; the fatal problem is explained on its own.
void readerProblems(std::string_view text, const Seen& seen, std::int32_t playerCount, bool fatal,
                    std::vector<Located>& out) {
  const std::size_t count = seen.problems.size() - (fatal ? 1 : 0);
  for (std::size_t i = 0; i < count; ++i) {
    const Problem& p = seen.problems[i];
    // Squares are reported one by one; the gate notes become the gate error's notes.
    if (p.id == ProblemId::kGuiUnknownSquare || p.id == ProblemId::kGateNotGate ||
        p.id == ProblemId::kGateNotInMap) {
      continue;
    }
    Located l{p.offset, p.severity() == Severity::kNote ? Severity::kNote : Severity::kWarning,
              std::string(trim(consoleText(p))), p.id};
    static const std::vector<std::string_view> kCreatures = namesOf(kCreatureTable);
    static const std::vector<std::string_view> kPlayers = namesOf(kPlayerTokens);
    static const std::vector<std::string_view> kTerrains = namesOf(kTerrainTable);
    static const std::vector<std::string_view> kObjects = [] {
      std::vector<std::string_view> names = namesOf(kRoomTable);
      for (auto table : {namesOf(kTrapTable), namesOf(kDoorTable), namesOf(kSpellTable)}) {
        names.insert(names.end(), table.begin(), table.end());
      }
      return names;
    }();
    // The problems about a name, which of their words is the name and what it may stand for.
    static const struct {
      ProblemId id;
      std::size_t word;
      const std::vector<std::string_view>* names;
    } kNamed[] = {{ProblemId::kScenarioCreature, 0, &kCreatures},
                  {ProblemId::kScenarioPlayer, 0, &kPlayers},
                  {ProblemId::kScenarioObject, 0, &kObjects},
                  {ProblemId::kMapCodeNotFound, 1, &kTerrains}};
    const auto named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                    [&](const auto& n) { return n.id == p.id; });
    if (named != std::end(kNamed) && named->word < p.args.size()) {
      const std::string& word = p.args[named->word];
      l.end = p.offset + word.size();
      // The terrain written first, with the character after it on its line: the terrain's
      // first letter was taken for the character.
      const std::string whole = p.args[0] + word;
      std::size_t next = std::min(l.end, text.size());
      while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) ++next;
      const bool characterAfter = next < text.size() && !isBlank(text[next]) &&
                                  (next + 1 == text.size() || isBlank(text[next + 1]));
      // The character alone on its line: the next line's first word was taken for its terrain.
      std::size_t lineStart = std::min(p.offset, text.size());
      while (lineStart > 0 && text[lineStart - 1] != '\n' && text[lineStart - 1] != '\r') {
        --lineStart;
      }
      bool firstOnLine = lineStart < p.offset;
      for (std::size_t i = lineStart; i < p.offset && firstOnLine; ++i) {
        firstOnLine = text[i] == ' ' || text[i] == '\t';
      }
      firstOnLine = firstOnLine || lineStart == p.offset;
      std::size_t character = lineStart;
      while (character > 0 && isBlank(text[character - 1])) --character;
      if (p.id == ProblemId::kMapCodeNotFound && firstOnLine && character > 0 &&
          std::string_view(text).substr(character - 1, 1) == p.args[0] &&
          (character == 1 || isBlank(text[character - 2]))) {
        l.notes.emplace_back(character - 1, "this entry lacks its terrain: the compiler reads '" +
                                                word + "', the next line's first word, as it");
      } else if (const std::string joined =
                     p.id == ProblemId::kMapCodeNotFound && next < text.size() &&
                             text[next] != '\n' && text[next] != '\r' && !characterAfter
                         ? word + "_" +
                               std::string(text.substr(
                                   next,
                                   std::min(text.find_first_of(" \t\r\n", next), text.size()) -
                                       next))
                         : std::string();
                 !joined.empty() &&
                 std::find(kTerrains.begin(), kTerrains.end(), joined) != kTerrains.end()) {
        // A terrain name written with a blank for its underscore: its second half is read as
        // the next entry.
        l.notes.emplace_back(p.offset, "a terrain name has no blank in it: write " + joined +
                                           ", with an underscore; '" +
                                           joined.substr(word.size() + 1) +
                                           "' is read as the next entry");
        l.suggestions.push_back({{p.offset, next + joined.size() - word.size() - 1}, joined});
      } else if (p.id == ProblemId::kMapCodeNotFound && characterAfter &&
                 std::find(kTerrains.begin(), kTerrains.end(), whole) != kTerrains.end()) {
        l.notes.emplace_back(p.offset,
                             "the entry is written terrain first: write the character "
                             "before the terrain, as in '" +
                                 std::string(1, text[next]) + " " + whole + "'");
      } else if ((p.id == ProblemId::kScenarioObject || p.id == ProblemId::kScenarioCreature) &&
                 word.size() > 1 && word.back() == ',') {
        // A list on one line: the statement takes one name, and the rest of its line is skipped.
        const std::string name = word.substr(0, word.size() - 1);
        l.notes.emplace_back(p.offset, "a statement names one: write " + name +
                                           " without the comma, and each of the others in a "
                                           "statement of its own on its own line");
        l.suggestions.push_back({{p.offset, l.end}, name});
      } else if (const std::string near = closestName(word, *named->names); !near.empty()) {
        l.notes.emplace_back(p.offset, "did you mean " + near + "?");
        l.suggestions.push_back({{p.offset, l.end}, near});
      } else if (p.id == ProblemId::kScenarioPlayer && word.size() == 2 && word[0] == 'P' &&
                 word[1] >= '1' && word[1] <= '4') {
        l.notes.emplace_back(p.offset, "keeper " + word.substr(1) +
                                           " does not play: the level has " +
                                           std::to_string(playerCount) +
                                           (playerCount == 1 ? " player" : " players"));
      } else if (p.id == ProblemId::kScenarioPlayer && (word == "PH" || word == "PN")) {
        l.notes.emplace_back(
            p.offset,
            "the statement is about a keeper: " +
                (playerCount > 1 ? "P1 to P" + std::to_string(playerCount) : std::string("P1")));
      }
    }
    out.push_back(std::move(l));
  }
}

// Things, creatures, doors, traps, hearts and entrance areas that lie off the map.
void outsideTheMap(const LevelDescription& level, const Seen& seen, std::vector<Located>& out) {
  if (level.mapWidth <= 0 || level.mapHeight <= 0) return;
  for (const Seen::Placement& p : seen.placements) {
    if (!inside(level, p.x, p.y)) {
      out.push_back({p.offset, Severity::kWarning,
                     std::string(p.what) + " at " + squareText(p.x, p.y) + " is outside the " +
                         mapSizeText(level),
                     CheckId::kOutsideTheMap});
    }
  }
  for (const Seen::Area& a : seen.areas) {
    const EntranceArea& r = a.area;
    if (!inside(level, r.left, r.top) || !inside(level, r.right, r.bottom) || r.left > r.right ||
        r.top > r.bottom) {
      out.push_back({a.offset, Severity::kWarning,
                     "entrance area " + std::to_string(a.number) + " from " +
                         squareText(r.left, r.top) + " to " + squareText(r.right, r.bottom) +
                         " is not a rectangle inside the " + mapSizeText(level),
                     CheckId::kAreaOutsideTheMap});
    }
  }
}

void goldWithoutHeart(std::string_view text, const LevelDescription& level, const Seen& seen,
                      std::vector<Located>& out) {
  // A keeper's gold given again replaces the first amount; a copied line that kept its number
  // leaves the keeper it was meant for without gold. Where the old layout's text ends, the last
  // word is taken again without being written again: only the GOLD words written count.
  const auto written = [&](std::size_t offset) { return text.substr(offset, 4) == "GOLD"; };
  std::array<int, 4> given{};
  for (const auto& [keeper, offset] : seen.gold) given[keeper] += written(offset) ? 1 : 0;
  std::array<bool, 4> told{};
  for (const auto& [goldKeeper, offset] : seen.gold) {
    const std::size_t keeper = goldKeeper;  // a structured binding is not captured
    if (told[keeper] || given[keeper] < 2 || !written(offset)) continue;
    told[keeper] = true;
    const std::size_t last = std::find_if(seen.gold.rbegin(), seen.gold.rend(), [&](const auto& g) {
                               return g.first == keeper && written(g.second);
                             })->second;
    const std::string word = "GOLD" + std::to_string(keeper + 1);
    Located l{last, Severity::kWarning,
              word + " is given again: this amount replaces the first one",
              CheckId::kGoldGivenTwice, last + word.size()};
    for (std::size_t other = 0; other < static_cast<std::size_t>(level.playerCount); ++other) {
      if (other >= given.size() || given[other] != 0) continue;
      const std::string meant = "GOLD" + std::to_string(other + 1);
      l.text += "; keeper " + std::to_string(other + 1) + " is given no gold: did you mean " +
                meant + "?";
      l.suggestions.push_back({{last, last + word.size()}, meant});
      break;
    }
    l.notes.emplace_back(offset, "the first " + word);
    out.push_back(std::move(l));
  }
  // Gold below zero is no gold to start with.
  for (const auto& [keeper, offset] : seen.gold) {
    std::size_t amount = offset + 5;
    while (amount < text.size() && (text[amount] == ' ' || text[amount] == '\t')) ++amount;
    if (!written(offset) || amount >= text.size() || text[amount] != '-') continue;
    std::size_t end = amount + 1;
    while (end < text.size() && !isBlank(text[end])) ++end;
    out.push_back({amount, Severity::kWarning,
                   "GOLD" + std::to_string(keeper + 1) + " " +
                       std::string(text.substr(amount, end - amount)) +
                       " is below zero: a keeper's starting gold is 0 or more",
                   CheckId::kGoldBelowZero, end});
  }
  for (const auto& [keeper, offset] : seen.gold) {
    if (!level.heartCenterSet[keeper]) {
      out.push_back({offset, Severity::kWarning,
                     "GOLD" + std::to_string(keeper + 1) + " for keeper " +
                         std::to_string(keeper + 1) +
                         ", who has no heart centre: the gold is never used",
                     CheckId::kGoldWithoutHeart, offset + 5});
    }
  }
}

// Two keepers' heart centres on one square: a line copied without its numbers changed.
void heartsOnOneSquare(std::string_view text, const Seen& seen, std::vector<Located>& out) {
  std::vector<const Seen::Placement*> hearts;
  for (const Seen::Placement& p : seen.placements) {
    if (p.what != "heart" || p.offset + 3 >= text.size() || text.substr(p.offset, 3) != "KPR") {
      continue;
    }
    for (const Seen::Placement* other : hearts) {
      if (other->x != p.x || other->y != p.y || text[other->offset + 3] == text[p.offset + 3]) {
        continue;
      }
      Located l{p.offset, Severity::kWarning,
                "this heart centre " + squareText(p.x, p.y) + " is keeper " +
                    std::string(1, text[other->offset + 3]) +
                    "'s too: each keeper's heart stands on its own squares",
                CheckId::kHeartsOnOneSquare, p.offset + 17};
      l.notes.emplace_back(other->offset,
                           "keeper " + std::string(1, text[other->offset + 3]) + "'s heart centre");
      out.push_back(std::move(l));
      break;
    }
    hearts.push_back(&p);
  }
}

// A statement written before its section's keyword stands where the compiler looks for that
// keyword, and is skipped with everything else there.
void skippedBeforeSection(const Reading& r, std::vector<Located>& out) {
  const Trace& trace = r.seen.trace();
  for (std::size_t s = 1; s < trace.sections.size(); ++s) {
    const TraceSection& section = trace.sections[s];
    const TraceSection& before = trace.sections[s - 1];
    if (keywordOf(section.section).empty()) continue;
    std::size_t from = std::max(before.end, before.countEnd);
    if (before.entryCount > 0) {
      from =
          std::max(from, trace.entryEnd(trace.entries[before.firstEntry + before.entryCount - 1]));
    }
    for (std::size_t line = r.view.nextLine(from); line < section.start;
         line = r.view.nextLine(line)) {
      const std::size_t word = r.view.skipBlanks(line);
      if (word >= section.start || r.view.lineStart(word) != line) continue;
      const std::string_view first = r.view.wordAt(word);
      const std::string keyword(keywordOf(section.section));
      if (findStatement(section.section, first) != nullptr) {
        out.push_back({word, Severity::kWarning,
                       std::string(first) + " stands before the " + keyword +
                           " keyword, where it is never read: move it after the keyword",
                       CheckId::kSkippedBeforeSection, r.view.lineEnd(word)});
        break;
      }
      // A statement after the last one its section counts: an action copied once too often.
      // A count too small says so at the count.
      const bool countTooSmall =
          std::any_of(r.counted.begin(), r.counted.end(), [&](const auto& c) {
            return sectionOf(c.stage) == before.section && !c.consistent && c.count < c.entries;
          });
      if (findStatement(before.section, first) != nullptr && !countTooSmall) {
        out.push_back({word, Severity::kWarning,
                       std::string(first) + " stands after the last entry of " +
                           std::string(keywordOf(before.section)) + ", where it is never read" +
                           (before.section == Section::kTriggers
                                ? ": count it in its trigger's action count, or remove it"
                                : ""),
                       CheckId::kSkippedBeforeSection, r.view.lineEnd(word)});
        break;
      }
    }
  }
}

void textAfterEof(std::string_view text, const Seen& seen, std::vector<Located>& out) {
  if (seen.eofEnd == kNoOffset) return;
  std::size_t at = seen.eofEnd;
  while (at < text.size() && isBlank(text[at])) ++at;
  if (at < text.size()) {
    out.push_back({at, Severity::kWarning, "text after EOF is never read", CheckId::kTextAfterEof});
  }
}

// The compiler refuses a level whose triggers need more identifiers than there are.
void triggerBudget(const LevelDescription& level, std::vector<Located>& out) {
  if (!level.isValid) return;
  const std::size_t total = countTriggerElements(level).total();
  if (total > kMaxTriggerElements) {
    out.push_back({0, Severity::kError,
                   "the level needs " + std::to_string(total) +
                       " trigger and action elements; at most " +
                       std::to_string(kMaxTriggerElements) + " fit the triggers file",
                   ProblemId::kTooManyTriggers});
  }
}

// In the order of the text, with spans clamped to the text.
std::vector<Diagnostic> located(std::string_view text, std::vector<Located> found) {
  // Found mostly in the order of the text already: a sorted list is not sorted again, and
  // otherwise only the order is sorted, not the large values.
  const auto before = [](const Located& a, const Located& b) { return a.offset < b.offset; };
  std::vector<std::size_t> order(found.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (!std::is_sorted(found.begin(), found.end(), before)) {
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return before(found[a], found[b]); });
  }
  std::vector<Diagnostic> diagnostics;
  diagnostics.reserve(found.size());
  for (const std::size_t i : order) {
    Located& l = found[i];
    Diagnostic d;
    d.span.start = std::min(l.offset, text.size());
    // An end past the text still marks a range: it is kept, and renderers cut it.
    d.span.end = l.end != kNoOffset && l.end > l.offset ? l.end : d.span.start;
    d.severity = l.severity;
    d.check = l.kind.check;
    d.problem = l.kind.problem;
    d.text = std::move(l.text);
    for (LocatedNote& note : l.notes) {
      const std::size_t at = std::min(note.offset, text.size());
      d.notes.push_back({{at, at}, std::move(note.text), note.square});
    }
    d.fixes = std::move(l.fixes);
    d.fixTitle = std::move(l.fixTitle);
    d.suggestions = std::move(l.suggestions);
    d.square = l.square;
    d.afterFirstError = l.afterFirstError;
    diagnostics.push_back(std::move(d));
  }
  return diagnostics;
}

// The brief diagnostics as located() places the others: in the order of the text, with spans
// clamped to the text.
void placeBrief(std::string_view text, std::vector<BriefDiagnostic>& brief) {
  for (BriefDiagnostic& b : brief) {
    const std::size_t start = b.span.start;
    b.span.start = std::min(start, text.size());
    b.span.end = b.span.end != kNoOffset && b.span.end > start ? b.span.end : b.span.start;
  }
  const auto before = [](const BriefDiagnostic& a, const BriefDiagnostic& b) {
    return a.span.start < b.span.start;
  };
  if (!std::is_sorted(brief.begin(), brief.end(), before)) {
    std::stable_sort(brief.begin(), brief.end(), before);
  }
}

// What a resumed reading knows from the readings before it.
struct Known {
  LevelDescription level;  // the header, grid and finished sections
  std::array<bool, static_cast<std::size_t>(Stage::kEnd) + 1> complete{};  // by stage
  // Where the keyword of each finished section stands in the text, by stage.
  std::array<std::size_t, static_cast<std::size_t>(Stage::kEnd) + 1> readAt{};
};

// Empty sections before `stage`, so that the section readers can start there: hearts for every
// keeper, so that the heart check passes.
std::string emptySectionsBefore(Stage stage, std::int32_t keepers) {
  std::string text;
  for (Stage s = Stage::kThings; s < stage; s = static_cast<Stage>(static_cast<int>(s) + 1)) {
    text += keywordOf(s);
    text += '\n';
    if (s == Stage::kHearts) {
      for (std::int32_t k = 1; k <= keepers; ++k) {
        text += "KPR" + std::to_string(k) + "_HEART_CENTER 0 0\n";
      }
    } else {
      text += "0\n";
    }
  }
  return text;
}

// A new level holding what is known before `stage`.
void startFrom(const Known& known, Stage stage, LevelDescription& level) {
  const LevelDescription& k = known.level;
  level.levelName = k.levelName;
  level.playerCount = k.playerCount;
  level.mapWidth = k.mapWidth;
  level.mapHeight = k.mapHeight;
  level.mapRows = k.mapRows;
  level.mapCodes = k.mapCodes;
  if (stage > Stage::kThings) level.objects = k.objects;
  if (stage > Stage::kCreatures) level.creatures = k.creatures;
  if (stage > Stage::kDoors) level.doors = k.doors;
  if (stage > Stage::kTraps) level.traps = k.traps;
  if (stage > Stage::kBands) level.heroBands = k.heroBands;
  if (stage > Stage::kAreas) level.areas = k.areas;
  if (stage > Stage::kGates) level.heroGates = k.heroGates;
}

// Keeps what a reading from `start` finished before failing at `failed`; `trace` is that
// reading's.
void learn(Known& known, const LevelDescription& level, const Trace& trace, Stage start,
           Stage failed) {
  for (Stage s = start; s < failed; s = static_cast<Stage>(static_cast<int>(s) + 1)) {
    known.complete[static_cast<std::size_t>(s)] = true;
    const TraceSection* read = trace.find(sectionOf(s));
    known.readAt[static_cast<std::size_t>(s)] = read != nullptr ? read->start : 0;
  }
  LevelDescription& k = known.level;
  auto take = [&](Stage s) { return s >= start && s < failed; };
  if (take(Stage::kThings)) k.objects = level.objects;
  if (take(Stage::kCreatures)) k.creatures = level.creatures;
  if (take(Stage::kDoors)) k.doors = level.doors;
  if (take(Stage::kTraps)) k.traps = level.traps;
  if (take(Stage::kBands)) k.heroBands = level.heroBands;
  if (take(Stage::kAreas)) k.areas = level.areas;
  if (take(Stage::kGates)) k.heroGates = level.heroGates;
}

// Forgets the sections earlier readings read from `from` on: the reading that resumes there
// reads the text from there on again (an earlier reading may have got there only through a band
// that reads its members on across later keywords).
void forgetFrom(Known& known, std::size_t from) {
  for (Stage s = Stage::kThings; s < Stage::kEnd; s = static_cast<Stage>(static_cast<int>(s) + 1)) {
    const auto i = static_cast<std::size_t>(s);
    if (!known.complete[i] || known.readAt[i] < from) continue;
    known.complete[i] = false;
    clearSection(known.level, sectionOf(s));
  }
}

// An error of a resumed reading that rides on a section it could not read.
bool dependsOnUnknown(const Known& known, ProblemId id) {
  auto complete = [&](Stage s) { return known.complete[static_cast<std::size_t>(s)]; };
  switch (id) {
    case ProblemId::kNoGateTerrain:
    case ProblemId::kGateConflictsWithArea:
    case ProblemId::kGateConflictsWithGate:
      return !complete(Stage::kGrid) || !complete(Stage::kAreas);
    case ProblemId::kControlAreaArea:
      return !complete(Stage::kAreas);
    case ProblemId::kInvalidGateId:
      return !complete(Stage::kGates);
    default:
      return false;
  }
}

// The sections after the header and grid, as readLevel reads them.
void readSections(ReadState& s) {
  if (!readPlacements(s)) return;
  installKeeperDefaults(s.level);
  if (s.in.atEnd()) {
    s.level.isValid = true;
    return;
  }
  if (!readHeroSections(s) || !readTriggers(s)) return;
  readScenario(s);
}

// The warnings of one reading in [from, to).
void warnings(const Reading& r, bool fatal, std::size_t from, std::size_t to,
              std::vector<Located>& out) {
  // A large map has a warning for nearly every placement: the lists grow once, not by doubling.
  std::vector<Located> all;
  all.reserve(r.seen.found.size() + r.seen.placements.size() + 16);
  readerProblems(r.view.text, r.seen, r.level.playerCount, fatal, all);
  all.insert(all.end(), r.seen.found.begin(), r.seen.found.end());
  outsideTheMap(r.level, r.seen, all);
  goldWithoutHeart(r.view.text, r.level, r.seen, all);
  skippedBeforeSection(r, all);
  heartsOnOneSquare(r.view.text, r.seen, all);
  textAfterEof(r.view.text, r.seen, all);
  silentChanges(r, from, to, all);
  countsTooSmall(r, from, to, all);
  std::erase_if(all, [&](const Located& l) { return l.offset < from || l.offset >= to; });
  if (out.empty()) {
    out.swap(all);
    return;
  }
  out.reserve(out.size() + all.size());
  std::move(all.begin(), all.end(), std::back_inserter(out));
}

// The fixes offered for a level the compiler accepts must leave it accepted: a count recounted
// can bring in entries the compiler then rejects. Such fixes are withdrawn.
void keepOnlySafeFixes(std::string_view text, const NameMaps& names, std::vector<Located>& found) {
  std::vector<Diagnostic> edits;
  for (const Located& l : found) {
    if (l.fixes.empty()) continue;
    edits.emplace_back();
    edits.back().fixes = l.fixes;
  }
  if (edits.empty()) return;
  const FixedText fixed = applyFixes(text, edits);
  LevelDescription level;
  ProblemSink quiet(nullptr);
  readLevel(fixed.text, level, names, quiet);
  if (level.isValid && countTriggerElements(level).total() <= kMaxTriggerElements) return;
  for (Located& l : found) {
    if (l.fixes.empty()) continue;
    l.fixes.clear();
    l.fixTitle.clear();
    l.notes.emplace_back(l.offset,
                         "--fix leaves this alone: with the count corrected, the map would no "
                         "longer compile");
  }
}

constexpr int kMostReadings = 32;

// A number written with a leading zero, a unit or a comma ends early, and the rest of it is
// read as the next word: every word after it in its section lands one place later, until the
// reading fails. When such a number stands in the failed section before the place where reading
// stopped, it is the mistake to fix: the error moves there, and what was said between the two
// only rode on it.
void blameShiftedWords(const Outline& outline, Diagnosis& d, std::vector<Located>& found,
                       std::vector<BriefDiagnostic>& brief) {
  static constexpr std::array<CheckId, 6> kShifting = {
      CheckId::kZeroPaddedNumber, CheckId::kNumberWithUnit, CheckId::kNumberWithComma,
      CheckId::kNumberSplit,      CheckId::kEntryLacksWord, CheckId::kBandSize};
  const std::size_t stop = d.error.offset;
  std::size_t sectionStart = 0;
  for (const KeywordLine& k : outline.keywords) {
    if (k.line <= stop) sectionStart = std::max(sectionStart, k.line);
  }
  const auto shift = std::find_if(found.begin(), found.end(), [&](const Located& l) {
    return l.offset >= sectionStart && l.offset < stop && l.severity == Severity::kWarning &&
           std::find(kShifting.begin(), kShifting.end(), l.kind.check) != kShifting.end();
  });
  if (shift == found.end()) return;
  // A band counting more members than follow keeps its own warning: what was said after it, up
  // to the error, rode on it.
  if (shift->kind.check == CheckId::kBandSize) {
    const std::size_t at = shift->offset;
    std::erase_if(found, [&](const Located& l) {
      return l.offset > at && l.offset < stop && l.severity != Severity::kError;
    });
    std::erase_if(brief, [&](const BriefDiagnostic& b) {
      return b.span.start > at && b.span.start < stop && b.severity != Severity::kError;
    });
    d.error.notes.emplace_back(at,
                               "the band's words here do not match its members, and put "
                               "every word after them out of its place");
    d.quietFrom = std::min(d.quietFrom, at + 1);
    return;
  }
  Located cause = std::move(*shift);
  std::erase_if(found, [&](const Located& l) {
    return l.offset >= cause.offset && l.offset < stop && l.severity != Severity::kError;
  });
  std::erase_if(brief, [&](const BriefDiagnostic& b) {
    return b.span.start >= cause.offset && b.span.start < stop && b.severity != Severity::kError;
  });
  std::vector<LocatedNote> notes;
  // A word left out moves the words after it earlier; a number read in two, one place later.
  const bool earlier = cause.kind.check == CheckId::kEntryLacksWord;
  notes.emplace_back(cause.offset, cause.text + "; every word after it in this section is read " +
                                       (earlier ? "out of its place" : "one place later") +
                                       ", until reading fails");
  for (auto& note : d.error.notes) notes.push_back(std::move(note));
  if (std::none_of(notes.begin(), notes.end(),
                   [&](const LocatedNote& n) { return n.offset == stop; })) {
    notes.emplace_back(stop, "the compiler stopped reading here");
  }
  d.error.notes = std::move(notes);
  d.error.offset = cause.offset;
  d.error.end = cause.end;
  d.quietFrom = std::min(d.quietFrom, cause.offset);
}

// Adds a later reading's trace: what it read from its start on replaces what the earlier
// readings read there.
void appendTrace(Trace& into, const Trace& later) {
  if (later.sections.empty()) return;
  const std::size_t from = later.sections.front().start;
  while (!into.sections.empty() && into.sections.back().start >= from) into.sections.pop_back();
  while (!into.entries.empty() && (into.entries.back().firstWord >= into.words.size() ||
                                   into.words[into.entries.back().firstWord].start >= from)) {
    into.entries.pop_back();
  }
  if (into.entries.empty()) {
    into.words.clear();
  } else {
    // An entry that started earlier may have read on into the later reading's text (a band
    // counting more members than it lists): the later reading has the say there.
    TraceEntry& last = into.entries.back();
    while (last.wordCount > 0 && into.words[last.firstWord + last.wordCount - 1].start >= from) {
      --last.wordCount;
    }
    into.words.resize(last.firstWord + last.wordCount);
  }
  for (TraceSection& s : into.sections) {
    s.entryCount =
        std::min(s.entryCount, into.entries.size() - std::min(s.firstEntry, into.entries.size()));
  }
  const std::size_t entries = into.entries.size();
  const std::size_t words = into.words.size();
  for (TraceSection s : later.sections) {
    s.firstEntry += entries;
    into.sections.push_back(s);
  }
  for (TraceEntry e : later.entries) {
    e.firstWord += words;
    into.entries.push_back(e);
  }
  into.words.insert(into.words.end(), later.words.begin(), later.words.end());
}

// Checks a map text: one reading, and after a fatal error further readings from the next
// section keyword, as long as the text has mistakes.
class Checker {
 public:
  Checker(std::string_view text, const NameMaps& names, const AnalysisOptions& options,
          MapAnalysis& out)
      : text_(text),
        names_(names),
        options_(options),
        view_{text},
        outline_(text, startsWithGuiWord(view_)),
        out_(out) {}

  void run() {
    LevelDescription& level = out_.level;
    Seen seen(text_, level, 0, 0, 0, 0);
    readLevel(text_, level, names_, problems_, &seen);
    out_.rows = seen.rowOffsets;
    out_.gui = startsWithGuiWord(view_);
    Reading first{view_, outline_, level, seen, names_};
    complete(first);
    if (level.isValid) {
      warnings(first, false, 0, kNoOffset, found_);
      if (level.mapCodes.size() > 0 || !level.mapRows.empty()) {
        unmappedCharacters(level, seen, found_);
      }
      releaseTargets(level, seen, found_);
      triggerBudget(level, found_);
      keepOnlySafeFixes(text_, names_, found_);
      // The one reading's trace is the analysis's: it moves there, not copied.
      if (!seen.trace().sections.empty()) out_.trace = seen.takeTrace();
    } else {
      appendTrace(out_.trace, seen.trace());
      Diagnosis d = diagnoseFatal(first, seen.problems.back());
      const Stage failed = stageOf(seen.problems.back().id);
      warnings(first, true, 0, d.quietFrom, found_);
      blameShiftedWords(outline_, d, found_, out_.brief);
      if (failed > Stage::kGrid) unmappedCharacters(level, seen, found_);
      if (failed > Stage::kTriggers) releaseTargets(level, seen, found_);
      found_.push_back(d.error);
      resumeAfter(failed, d);
    }
    out_.diagnostics = located(text_, std::move(found_));
    placeBrief(text_, out_.brief);
  }

 private:
  // What every reading's checks take beside what it read: its counted sections, the grid's rows
  // and format, whether the keepers are known, and how many warnings of a kind to write out.
  void complete(Reading& r) const {
    r.counted = countedSections(r);
    r.rows = &out_.rows;
    r.gui = out_.gui;
    r.keepersKnown = keepersKnown_;
    r.wholeOfOneKind = options_.wholeOfOneKind;
    r.brief = &out_.brief;
  }

  static bool startsWithGuiWord(const TextView& view) {
    std::size_t start = view.text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    return view.wordAt(view.skipBlanks(start)) == kGuiWord;
  }

  // Every independent mistake in one run: resume at the next section keyword, reading the rest
  // with empty sections before it, as often as the text has mistakes.
  void resumeAfter(Stage failed, Diagnosis d) {
    const LevelDescription& level = out_.level;
    known_.level = level;
    known_.level.objects.clear();
    known_.level.creatures.clear();
    known_.level.doors.clear();
    known_.level.traps.clear();
    known_.level.heroBands.clear();
    known_.level.areas.clear();
    known_.level.heroGates.clear();
    if (failed > Stage::kGrid) {
      known_.complete[static_cast<std::size_t>(Stage::kGrid)] = true;
    } else {
      // A grid cut short is no grid: the resumed readings place nothing on it, and the reader
      // never looks at rows that are not there.
      known_.level.mapRows.clear();
      known_.level.mapWidth = 0;
      known_.level.mapHeight = 0;
    }
    learn(known_, level, out_.trace, Stage::kThings, failed);
    if (known_.level.playerCount < 1 || known_.level.playerCount > 4) {
      // The keepers the heart centres name are the best guess of the count meant: the readings
      // after it then find neither a heart too many nor keepers who do not play.
      known_.level.playerCount = 1;
      for (std::size_t at = text_.find("_HEART_CENTER"); at != std::string_view::npos;
           at = text_.find("_HEART_CENTER", at + 1)) {
        if (at >= 4 && text_.substr(at - 4, 3) == "KPR" && text_[at - 1] >= '1' &&
            text_[at - 1] <= '4') {
          known_.level.playerCount = std::max(known_.level.playerCount, text_[at - 1] - '0');
        }
      }
      keepersKnown_ = false;
    }
    std::size_t last = 0;
    for (int round = 0; round < kMostReadings && d.minStage < Stage::kEnd; ++round) {
      const KeywordLine* resume = resumeLine(d);
      if (resume == nullptr || resume->line < last || (round > 0 && resume->line == last)) break;
      last = resume->line;
      if (!readOnFrom(*resume, d)) break;
    }
  }

  // The keyword line to resume at after the diagnosis `d`, if there is one.
  const KeywordLine* resumeLine(const Diagnosis& d) const {
    const Stage stage = std::max(d.minStage, Stage::kThings);
    if (d.resumeLine != kNoOffset && d.minStage >= Stage::kThings) {
      return outline_.find(stage, d.resumeLine);
    }
    for (const KeywordLine& k : outline_.keywords) {
      if (k.line >= d.resumeFrom && k.stage >= stage && k.kind != KeywordLine::kWithText) {
        return &k;
      }
    }
    return nullptr;
  }

  // Reads the rest of the text from the keyword line `resume` on; false when that reading ended
  // without a fatal error, else `d` becomes its diagnosis.
  bool readOnFrom(const KeywordLine& resume, Diagnosis& d) {
    const Stage stage = resume.stage;
    forgetFrom(known_, resume.line);
    LevelDescription next;
    startFrom(known_, stage, next);
    const std::string prefix = emptySectionsBefore(stage, next.playerCount);
    const std::size_t rest = view_.nextLine(resume.line);
    std::string synthetic = prefix;
    synthetic += keywordOf(stage);
    synthetic += '\n';
    const std::size_t headEnd = synthetic.size();
    synthetic += text_.substr(rest);
    Seen again(synthetic, next, prefix.size(), headEnd, resume.line, rest);
    ReadState state(synthetic, next, names_, problems_, &again);
    readSections(state);
    appendTrace(out_.trace, again.trace());
    Reading reading{view_, outline_, next, again, names_, resume.line};
    complete(reading);
    if (next.isValid || again.problems.empty() ||
        again.problems.back().severity() != Severity::kError) {
      warnings(reading, false, rest, kNoOffset, found_);
      if (known_.complete[static_cast<std::size_t>(Stage::kBands)] &&
          known_.complete[static_cast<std::size_t>(Stage::kAreas)] &&
          known_.complete[static_cast<std::size_t>(Stage::kGates)]) {
        releaseTargets(next, again, found_);
      }
      return false;
    }
    const Problem& fatal = again.problems.back();
    d = diagnoseFatal(reading, fatal);
    warnings(reading, true, rest, d.quietFrom, found_);
    blameShiftedWords(outline_, d, found_, out_.brief);
    if (!dependsOnUnknown(known_, fatal.id)) {
      d.error.afterFirstError = true;
      found_.push_back(d.error);
    }
    learn(known_, next, again.trace(), stage, stageOf(fatal.id));
    return true;
  }

  std::string_view text_;
  const NameMaps& names_;
  AnalysisOptions options_;
  TextView view_;
  Outline outline_;
  MapAnalysis& out_;
  ProblemSink problems_{nullptr};
  Known known_;
  bool keepersKnown_ = true;
  std::vector<Located> found_;
};

}  // namespace

MapAnalysis analyseMap(std::string_view text, const NameMaps& names,
                       const AnalysisOptions& options) {
  MapAnalysis analysis;
  Checker(text, names, options, analysis).run();
  return analysis;
}

std::vector<Diagnostic> checkMap(std::string_view text, const NameMaps& names) {
  return analyseMap(text, names).diagnostics;
}

}  // namespace ts::check
