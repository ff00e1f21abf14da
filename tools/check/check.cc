#include "check.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "model/level_description.h"
#include "model/trigger_plan.h"
#include "reader/map_reader.h"
#include "reader/reader_observer.h"

namespace ts::check {

namespace {

// Line starts of a text, to turn byte offsets into lines and columns.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') starts_.push_back(i + 1);
    }
  }
  void locate(std::size_t offset, Diagnostic& d) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const auto line = static_cast<std::size_t>(it - starts_.begin());
    d.line = line;
    d.column = offset - starts_[line - 1] + 1;
  }

 private:
  std::vector<std::size_t> starts_;
};

template <std::size_t N>
std::vector<std::string_view> namesOf(const std::array<NameValue, N>& table) {
  std::vector<std::string_view> names;
  for (const NameValue& entry : table) names.push_back(entry.name);
  return names;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

struct Located {
  std::size_t offset;
  Severity severity;
  std::string text;
};

// Collects what the reader saw while it reads.
class Collector : public ReaderObserver {
 public:
  struct Release {
    std::int32_t band;
    char which;
    std::int32_t n;
    std::size_t offset;
  };

  void byteOrderMark() override {
    found.push_back({0, Severity::kNote,
                     "the file starts with a UTF-8 byte-order mark; it is skipped and is no part "
                     "of the level name"});
  }
  void problem(const Problem& p) override { problems.push_back(p); }
  void keywordNotFound(std::string_view keyword, int linesSkipped) override {
    missingKeyword = std::string(keyword);
    skipped = linesSkipped;
  }
  void rowRead(std::int32_t row, std::size_t offset) override {
    if (static_cast<std::size_t>(row) == rowOffsets.size()) rowOffsets.push_back(offset);
  }
  void unknownSquare(std::size_t offset) override {
    found.push_back({offset, Severity::kWarning,
                     "these two characters spell no terrain name; the square becomes SOLID_ROCK"});
  }
  void legendReplaced(TerrainCode code, char previous, char replacement,
                      std::size_t offset) override {
    std::ostringstream text;
    text << "this entry gives the terrain of '" << previous << "' to '" << replacement
         << "' (code 0x" << std::hex << code << "); squares drawn with '" << previous
         << "' are left without terrain";
    found.push_back({offset, Severity::kWarning, text.str()});
  }
  void entryDropped(std::string_view section, ExpectedWord expected, std::string_view word,
                    std::size_t offset) override {
    static const std::vector<std::string_view> kObjects = namesOf(kObjectTable);
    static const std::vector<std::string_view> kCreatures = namesOf(kCreatureTable);
    static const std::vector<std::string_view> kDoors = namesOf(kDoorTable);
    static const std::vector<std::string_view> kTraps = namesOf(kTrapTable);
    static const std::vector<std::string_view> kPlayers = namesOf(kPlayerTokens);
    static const std::vector<std::string_view> kLevels = namesOf(kLevelTokens);
    const struct {
      std::string_view what;
      const std::vector<std::string_view>* names;
    } kinds[] = {{"object or magic item name", &kObjects},
                 {"creature name", &kCreatures},
                 {"door name", &kDoors},
                 {"trap name", &kTraps},
                 {"player token (P1 to P4, PH, PN)", &kPlayers},
                 {"level token (L1 to L10)", &kLevels}};
    const auto& kind = kinds[static_cast<std::size_t>(expected)];
    std::string text = std::string(section) + " entry dropped: '" + std::string(word) +
                       "' is not a " + std::string(kind.what);
    if (const std::string near = closestName(word, *kind.names); !near.empty()) {
      text += "; did you mean " + near + "?";
    }
    found.push_back({offset, Severity::kWarning, text});
  }
  void placed(std::string_view what, std::int32_t x, std::int32_t y, std::size_t offset) override {
    placements.push_back({std::string(what), x, y, offset});
  }
  void areaRead(std::int32_t number, const EntranceArea& area, std::size_t offset) override {
    areas.push_back({number, area, offset});
  }
  void goldRead(std::size_t keeper, std::size_t offset) override {
    gold.push_back({keeper, offset});
  }
  void heroRelease(std::int32_t band, char which, std::int32_t n, std::size_t offset) override {
    releases.push_back({band, which, n, offset});
  }
  void statementApplied(std::string_view word, bool changed, std::size_t offset) override {
    if (!changed) {
      found.push_back({offset, Severity::kWarning,
                       std::string(word) + " changes nothing: the keeper already has it so"});
    }
  }
  void endOfFile(std::size_t offset) override { eofEnd = offset; }

  struct Placement {
    std::string what;
    std::int32_t x, y;
    std::size_t offset;
  };
  struct Area {
    std::int32_t number;
    EntranceArea area;
    std::size_t offset;
  };
  struct Gold {
    std::size_t keeper;
    std::size_t offset;
  };

  std::vector<Problem> problems;
  std::string missingKeyword;
  int skipped = 0;
  std::vector<std::size_t> rowOffsets;
  std::vector<Located> found;
  std::vector<Placement> placements;
  std::vector<Area> areas;
  std::vector<Gold> gold;
  std::vector<Release> releases;
  std::size_t eofEnd = std::string_view::npos;
};

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
void unmappedCharacters(const LevelDescription& level, const Collector& seen,
                        std::vector<Located>& out) {
  const CharacterCodes codes(level.mapCodes);
  std::array<std::size_t, 256> count{};
  std::array<std::size_t, 256> first{};
  for (std::size_t r = 0; r < level.mapRows.size() && r < seen.rowOffsets.size(); ++r) {
    const std::string& row = level.mapRows[r];
    for (std::size_t c = 0; c < row.size(); ++c) {
      const auto ch = static_cast<unsigned char>(row[c]);
      if (codes.has(ch)) continue;
      if (count[ch]++ == 0) first[ch] = seen.rowOffsets[r] + c;
    }
  }
  std::vector<unsigned char> order;
  for (std::size_t ch = 0; ch < 256; ++ch) {
    if (count[ch] > 0) order.push_back(static_cast<unsigned char>(ch));
  }
  std::sort(order.begin(), order.end(),
            [&](unsigned char a, unsigned char b) { return first[a] < first[b]; });
  for (unsigned char ch : order) {
    out.push_back({first[ch], Severity::kWarning,
                   "map character '" + std::string(1, static_cast<char>(ch)) +
                       "' has no terrain in MAP_CODES (" + std::to_string(count[ch]) +
                       (count[ch] == 1 ? " square" : " squares") +
                       "); the compiler writes it as terrain 0x01010101"});
  }
}

void releaseTargets(const LevelDescription& level, const Collector& seen,
                    std::vector<Located>& out) {
  const auto bands = static_cast<std::int64_t>(level.heroBands.size());
  const auto gates = static_cast<std::int64_t>(level.heroGates.size());
  const auto areas = static_cast<std::int64_t>(level.areas.size());
  for (const Collector::Release& r : seen.releases) {
    if (r.band < 1 || r.band > bands) {
      out.push_back({r.offset, Severity::kWarning,
                     "hero release names band " + std::to_string(r.band) + ", but the level has " +
                         std::to_string(bands) + (bands == 1 ? " band" : " bands")});
    }
    const std::int64_t limit = r.which == 'G' ? gates : areas;
    if (r.n < 1 || r.n > limit) {
      out.push_back({r.offset, Severity::kWarning,
                     std::string("hero release names ") + (r.which == 'G' ? "gate " : "area ") +
                         std::to_string(r.n) + ", but the level has " + std::to_string(limit) +
                         (r.which == 'G' ? " hero gates" : " entrance areas")});
    }
  }
}

}  // namespace

std::string closestName(std::string_view word, const std::vector<std::string_view>& candidates) {
  std::string best;
  std::size_t bestDistance = std::max<std::size_t>(1, word.size() / 3) + 1;
  std::vector<std::size_t> previous;
  std::vector<std::size_t> current;
  for (std::string_view candidate : candidates) {
    previous.resize(candidate.size() + 1);
    current.resize(candidate.size() + 1);
    for (std::size_t j = 0; j <= candidate.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= word.size(); ++i) {
      current[0] = i;
      for (std::size_t j = 1; j <= candidate.size(); ++j) {
        const std::size_t substitution =
            previous[j - 1] + (word[i - 1] == candidate[j - 1] ? 0 : 1);
        current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
      }
      std::swap(previous, current);
    }
    if (previous[candidate.size()] < bestDistance) {
      bestDistance = previous[candidate.size()];
      best = std::string(candidate);
    }
  }
  return best;
}

namespace {

// The reader's own problems: when the level is rejected, the last one is the reason.
void readerProblems(const LevelDescription& level, const Collector& seen,
                    std::vector<Located>& out) {
  for (std::size_t i = 0; i < seen.problems.size(); ++i) {
    const Problem& p = seen.problems[i];
    const bool last = i + 1 == seen.problems.size();
    if (p.id == ProblemId::kGuiUnknownSquare) continue;  // reported square by square
    std::string body(trim(consoleText(p)));
    if (!level.isValid && last) {
      if (!seen.missingKeyword.empty()) {
        body += " (expected the keyword " + seen.missingKeyword + " alone on a line; " +
                std::to_string(seen.skipped) + " lines skipped)";
      }
      out.push_back({p.offset, Severity::kError, body});
    } else {
      out.push_back(
          {p.offset, p.severity() == Severity::kNote ? Severity::kNote : Severity::kWarning, body});
    }
  }
}

// Things, creatures, doors, traps, hearts and entrance areas that lie off the map.
void outsideTheMap(const LevelDescription& level, const Collector& seen,
                   std::vector<Located>& out) {
  if (level.mapWidth <= 0 || level.mapHeight <= 0) return;
  for (const Collector::Placement& p : seen.placements) {
    if (!inside(level, p.x, p.y)) {
      out.push_back(
          {p.offset, Severity::kWarning,
           p.what + " at " + squareText(p.x, p.y) + " is outside the " + mapSizeText(level)});
    }
  }
  for (const Collector::Area& a : seen.areas) {
    const EntranceArea& r = a.area;
    if (!inside(level, r.left, r.top) || !inside(level, r.right, r.bottom) || r.left > r.right ||
        r.top > r.bottom) {
      out.push_back({a.offset, Severity::kWarning,
                     "entrance area " + std::to_string(a.number) + " from " +
                         squareText(r.left, r.top) + " to " + squareText(r.right, r.bottom) +
                         " is not a rectangle inside the " + mapSizeText(level)});
    }
  }
}

void goldWithoutHeart(const LevelDescription& level, const Collector& seen,
                      std::vector<Located>& out) {
  for (const Collector::Gold& g : seen.gold) {
    if (!level.heartCenterSet[g.keeper]) {
      out.push_back({g.offset, Severity::kWarning,
                     "GOLD" + std::to_string(g.keeper + 1) + " for keeper " +
                         std::to_string(g.keeper + 1) +
                         ", who has no heart centre: the gold is never used"});
    }
  }
}

void textAfterEof(std::string_view text, const Collector& seen, std::vector<Located>& out) {
  if (seen.eofEnd == std::string_view::npos) return;
  std::size_t at = seen.eofEnd;
  while (at < text.size() && isBlank(text[at])) ++at;
  if (at < text.size()) out.push_back({at, Severity::kWarning, "text after EOF is never read"});
}

// The compiler refuses a level whose triggers need more identifiers than there are.
void triggerBudget(const LevelDescription& level, std::vector<Located>& out) {
  if (!level.isValid) return;
  const std::size_t total = countTriggerElements(level).total();
  if (total > kMaxTriggerElements) {
    out.push_back({0, Severity::kError,
                   "the level needs " + std::to_string(total) +
                       " trigger and action elements; at most " +
                       std::to_string(kMaxTriggerElements) + " fit the triggers file"});
  }
}

// In the order of the text, with lines and columns.
std::vector<Diagnostic> located(std::string_view text, std::vector<Located> found) {
  std::stable_sort(found.begin(), found.end(),
                   [](const Located& a, const Located& b) { return a.offset < b.offset; });
  const LineIndex lines(text);
  std::vector<Diagnostic> diagnostics;
  for (Located& l : found) {
    Diagnostic d;
    lines.locate(l.offset, d);
    d.severity = l.severity;
    d.text = std::move(l.text);
    diagnostics.push_back(std::move(d));
  }
  return diagnostics;
}

}  // namespace

std::vector<Diagnostic> checkMap(std::string_view text, const NameMaps& names) {
  LevelDescription level;
  Collector seen;
  ProblemSink problems(nullptr);
  readLevel(text, level, names, problems, &seen);

  std::vector<Located> found;
  readerProblems(level, seen, found);
  for (Located& l : seen.found) found.push_back(std::move(l));
  unmappedCharacters(level, seen, found);
  outsideTheMap(level, seen, found);
  goldWithoutHeart(level, seen, found);
  releaseTargets(level, seen, found);
  textAfterEof(text, seen, found);
  triggerBudget(level, found);
  return located(text, std::move(found));
}

std::string format(std::string_view path, const Diagnostic& d) {
  static constexpr std::array<std::string_view, 3> kWords = {"error", "warning", "note"};
  return std::string(path) + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " +
         std::string(kWords[static_cast<std::size_t>(d.severity)]) + ": " + d.text;
}

}  // namespace ts::check
