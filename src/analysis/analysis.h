// The checker's analysis of one map text: what the reader saw, the section outline of the text,
// the explanation of a fatal error and the warnings for silent changes. Internal to the checker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/check.h"
#include "analysis/trace.h"
#include "model/grammar.h"
#include "model/level_description.h"
#include "model/problems.h"
#include "model/vocabulary.h"
#include "reader/reader_observer.h"
#include "reader/text_reader.h"

namespace ts::check {

inline constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);

// A note of a diagnostic being found: where it stands, what it says, the square it names.
struct LocatedNote {
  LocatedNote(std::size_t offset, std::string text, std::optional<Square> square = std::nullopt)
      : offset(offset), text(std::move(text)), square(square) {}
  std::size_t offset;
  std::string text;
  std::optional<Square> square;
};

// What kind of problem a diagnostic is: one of the checker's, or one of the compiler's.
struct DiagnosticKind {
  DiagnosticKind(CheckId id) : check(id) {}      // NOLINT: either kind converts
  DiagnosticKind(ProblemId id) : problem(id) {}  // NOLINT
  friend bool operator==(const DiagnosticKind&, const DiagnosticKind&) = default;
  CheckId check = CheckId::kNone;
  ProblemId problem = ProblemId::kCount;
};

// A diagnostic being found, by byte offsets.
struct Located {
  Located() = default;
  Located(std::size_t offset, Severity severity, std::string text,
          DiagnosticKind kind = CheckId::kNone, std::size_t end = static_cast<std::size_t>(-1))
      : offset(offset), severity(severity), text(std::move(text)), kind(kind), end(end) {}

  std::size_t offset = 0;
  Severity severity = Severity::kWarning;
  std::string text;
  DiagnosticKind kind = CheckId::kNone;
  std::size_t end = kNoOffset;  // one past the token's last byte; kNoOffset: one byte
  std::vector<LocatedNote> notes;
  std::vector<Edit> fixes;
  std::string fixTitle;  // what the fix does, as an editor offers it
  std::vector<Suggestion> suggestions;
  std::optional<Square> square;
  bool afterFirstError = false;
};

// The sections in the order of the text.
enum class Stage {
  kHeader,
  kGrid,
  kThings,
  kCreatures,
  kDoors,
  kTraps,
  kHearts,
  kBands,
  kAreas,
  kGates,
  kTriggers,
  kScenario,
  kEnd
};

// The section a stage reads (the grid's is MAP_CODES, which ends it), and its keyword ("" for
// the header and the end).
Section sectionOf(Stage stage);
std::string_view keywordOf(Stage stage);
// The stage whose fatal problems `id` is one of.
Stage stageOf(ProblemId id);

// Words and lines of the text.
struct TextView {
  std::string_view text;

  [[nodiscard]] std::size_t lineStart(std::size_t offset) const;
  // The end of the line holding `offset`, before its line end.
  [[nodiscard]] std::size_t lineEnd(std::size_t offset) const;
  // The next line's start, or the text's size.
  [[nodiscard]] std::size_t nextLine(std::size_t offset) const;
  // One past the last character of the word starting at `offset`.
  [[nodiscard]] std::size_t wordEnd(std::size_t offset) const;
  [[nodiscard]] std::string_view wordAt(std::size_t offset) const {
    return text.substr(offset, wordEnd(offset) - offset);
  }
  // The start of the next word at or after `offset`, or the text's size.
  [[nodiscard]] std::size_t skipBlanks(std::size_t offset) const;
  // The start of the word `n` words before the word starting at `offset`.
  [[nodiscard]] std::size_t wordsBefore(std::size_t offset, int n) const;
  // The words of the line holding `offset`, as offsets.
  [[nodiscard]] std::vector<std::size_t> lineWords(std::size_t offset) const;
  // A line or a block of up to 8 lines in [from, to) that repeats, word for word, as many lines
  // with words just before it (pasted twice): the copy's first line and its number of lines, or
  // kNoOffset and 0.
  struct Repeat {
    std::size_t line = kNoOffset;
    std::size_t lines = 0;
  };
  [[nodiscard]] Repeat repeatedLines(std::size_t from, std::size_t to) const;
};

// The terrain of the grid's squares as the compiler writes them.
class GridTerrain {
 public:
  GridTerrain(const LevelDescription& level, const NameMaps& names)
      : level_(level), names_(names), codes_(level.mapCodes) {}

  // Every row was read, and a legend gives the squares their terrain.
  [[nodiscard]] bool whole() const {
    return level_.mapHeight > 0 &&
           level_.mapRows.size() == static_cast<std::size_t>(level_.mapHeight) &&
           !level_.mapCodes.empty();
  }
  // The square lies on a row that was read.
  [[nodiscard]] bool inside(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < level_.mapWidth && y < level_.mapHeight &&
           static_cast<std::size_t>(y) < level_.mapRows.size();
  }
  // REQUIRES: inside(x, y).
  [[nodiscard]] TerrainCode at(std::int64_t x, std::int64_t y) const {
    return codes_.terrainOf(static_cast<unsigned char>(
        level_.mapRows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
  }
  [[nodiscard]] std::string name(TerrainCode code) const {
    const auto it = names_.terrainNames().find(code);
    return it == names_.terrainNames().end() ? std::string("no terrain") : it->second;
  }
  [[nodiscard]] const LevelDescription& level() const { return level_; }

 private:
  const LevelDescription& level_;
  const NameMaps& names_;
  CharacterCodes codes_;
};

// Gate regions larger than this are fields of gate terrain, not gates: they are not followed.
inline constexpr std::size_t kLargestGate = 4096;

// The squares of the 4-connected region of character `c` through (x, y), up to kLargestGate + 1.
// REQUIRES: every row of the level was read.
[[nodiscard]] std::set<std::pair<std::int32_t, std::int32_t>> regionOf(
    const LevelDescription& level, char c, std::int32_t x, std::int32_t y);

// True when `word` is a whole number as the reader takes it, with nothing after it.
bool isWholeNumber(std::string_view word);

// A line of the text that is, or looks like, a section keyword.
struct KeywordLine {
  enum Kind { kExact, kBlanks, kWithText, kNearMiss };
  Stage stage;
  Kind kind;
  std::size_t line;  // offset of the line
  std::size_t word;  // offset of the keyword-like word
};

// A counted section: its count and the entries written after it.
struct CountedSection {
  Stage stage;
  std::size_t keywordLine;
  std::size_t countAt = kNoOffset;  // the count's word, kNoOffset when there is none
  std::int64_t count = -1;          // -1: the count is missing or not a number
  std::int64_t entries = 0;         // entries present up to the next keyword line
  bool consistent = false;          // the words could also make exactly `count` entries
  std::size_t end = 0;              // the offset of the next keyword line or the text's end
};

struct LineHead;

// The section structure of a text, found from its lines alone.
struct Outline {
  std::vector<KeywordLine> keywords;

  Outline(std::string_view text, bool gui);
  // The first keyword line of `stage` at or after `from`, of any kind; nullptr when none.
  [[nodiscard]] const KeywordLine* find(Stage stage, std::size_t from) const;
  // The stage of the section holding `offset`.
  [[nodiscard]] Stage stageAt(std::size_t offset) const;

 private:
  // Adds the keyword line that the line at `at` is, if it is one.
  const KeywordLine* keywordLine(std::string_view text, const LineHead& head, std::size_t at,
                                 const std::vector<std::string_view>& names);
};

// What the reader saw while it read, with offsets in the original text. A resumed reading runs
// over a text made of a prefix of empty sections and the rest of the map: `shift` translates its
// offsets, and what lies in the prefix is not kept.
class Seen : public TraceRecorder {
 public:
  struct Number {
    std::size_t start, end;
    bool failed;
  };
  struct Placement {
    std::string_view what;  // "thing", "creature", "door", "trap" or "heart"
    std::int32_t x, y;
    std::size_t offset;
    std::int32_t owner = 0;  // the player of a creature, door or trap; 0 for the others
    bool clean = true;       // every word read as written (no number cut short)
  };
  struct Area {
    std::int32_t number;
    EntranceArea area;
    std::size_t offset;
  };
  struct Release {
    std::int32_t band;
    char which;
    std::int32_t n;
    std::size_t offset;
  };
  struct Legend {
    char c;
    TerrainCode code;
    std::size_t offset;
  };
  struct Section {
    std::string keyword;
    std::size_t offset;
  };

  // `level` is the level the reading fills. A reading of the text itself:
  // Seen(text, level, 0, 0, 0, 0). A resumed reading of the synthetic text `reading`: its [prefix,
  // headEnd) stands for the original line at `resumeAt`, and what follows `headEnd` is the original
  // text from `restAt` on.
  Seen(std::string_view reading, const LevelDescription& level, std::size_t prefix,
       std::size_t headEnd, std::size_t resumeAt, std::size_t restAt)
      : TraceRecorder(reading),
        reading_(reading),
        level_(level),
        prefix_(prefix),
        headEnd_(headEnd),
        resumeAt_(resumeAt),
        restAt_(restAt) {}

  void byteOrderMark() override;
  void problem(const Problem& p) override;
  void keywordNotFound(std::string_view keyword, int linesSkipped) override;
  void rowRead(std::int32_t row, std::size_t offset) override;
  void unknownSquare(std::size_t offset) override;
  void legendReplaced(TerrainCode code, char previous, char replacement,
                      std::size_t offset) override;
  void entryDropped(std::string_view section, ExpectedWord expected, std::string_view word,
                    std::size_t offset) override;
  void placed(std::string_view what, std::int32_t x, std::int32_t y, std::size_t offset) override;
  void areaRead(std::int32_t number, const EntranceArea& area, std::size_t offset) override;
  void goldRead(std::size_t keeper, std::size_t offset) override;
  void heroRelease(std::int32_t band, char which, std::int32_t n, std::size_t offset) override;
  void statementApplied(std::string_view word, bool changed, std::size_t offset) override;
  void integerRead(std::size_t start, std::size_t end, bool failed) override;
  void sectionFound(std::string_view keyword, std::size_t offset) override;
  void wordIgnored(std::string_view section, std::size_t offset) override;
  void legendEntry(char c, TerrainCode code, std::size_t offset) override;
  void endOfFile(std::size_t offset) override;

  // The original offset of a reading offset; kNoOffset inside the prefix.
  [[nodiscard]] std::size_t place(std::size_t offset) const override { return original(offset); }
  [[nodiscard]] std::size_t original(std::size_t offset) const {
    if (offset < prefix_) return kNoOffset;
    if (offset < headEnd_) return resumeAt_;
    return offset - headEnd_ + restAt_;
  }

  std::vector<Problem> problems;
  std::string missingKeyword;
  int skipped = 0;
  std::vector<std::size_t> rowOffsets;
  std::vector<Located> found;
  // The placements that can matter to the checks: every heart, and what lies off the map, in
  // solid rock, on another keeper's ground, belongs to a keeper who does not play, and a door with
  // a lower-case lock flag. A large map has too many of the others to keep.
  std::vector<Placement> placements;
  std::vector<Area> areas;
  std::vector<std::pair<std::size_t, std::size_t>> gold;  // keeper, offset
  std::vector<Release> releases;
  // The numbers that failed, stopped inside a word, or start with a 0: the others are as
  // written, and a large map has too many of them to keep.
  std::vector<Number> numbers;
  std::vector<Section> sections;
  std::vector<std::pair<std::string, std::size_t>> ignored;  // section, offset
  std::vector<Legend> legend;
  std::size_t eofEnd = kNoOffset;

 private:
  // True when a placement of `what` at (x, y), named at `offset` of the reading and owned by
  // `owner`, is to be kept.
  bool worthKeeping(std::string_view what, std::int32_t x, std::int32_t y, std::size_t offset,
                    std::int32_t owner);

  std::string_view reading_;
  const LevelDescription& level_;
  std::optional<CharacterCodes> codes_;  // of the level's legend, once placements are read
  std::size_t prefix_;
  std::size_t headEnd_;
  std::size_t resumeAt_;
  std::size_t restAt_;
};

// Everything one reading knows for the analyses.
struct Reading {
  TextView view;
  const Outline& outline;
  const LevelDescription& level;
  const Seen& seen;
  const NameMaps& names;
  std::size_t start = 0;  // where this reading began in the text
  // The counted sections this reading read, with what their counts left out or took in.
  std::vector<CountedSection> counted = {};
  // Where each map row the first reading took starts, and whether a square is two characters.
  const std::vector<std::size_t>* rows = nullptr;
  bool gui = false;
  // The header gave the number of keepers (a reading resumed after a broken header assumes one).
  bool keepersKnown = true;
  // Placement warnings past this many of one kind go to `brief` (0: none do).
  std::size_t wholeOfOneKind = 0;
  std::vector<BriefDiagnostic>* brief = nullptr;

  // The offset of square (x, y) in the text; kNoOffset for a row not read.
  [[nodiscard]] std::size_t squareOffset(std::int64_t x, std::int64_t y) const {
    if (rows == nullptr || y < 0 || static_cast<std::size_t>(y) >= rows->size() || x < 0) {
      return kNoOffset;
    }
    return (*rows)[static_cast<std::size_t>(y)] + static_cast<std::size_t>(x) * (gui ? 2 : 1);
  }
};

// The counted sections of a reading: each with its count, the entries the reader read before the
// next keyword line, and the whole entries written after them that the count leaves out.
std::vector<CountedSection> countedSections(const Reading& r);

// The explanation of a fatal problem, and where checking can go on after it.
struct Diagnosis {
  Located error;           // at the designer's mistake, with the compiler's text and notes
  std::size_t quietFrom;   // what the reading saw from here on rides on the mistake
  std::size_t resumeFrom;  // resume at the first section keyword line from here on...
  Stage minStage;          // ...whose section is this one or a later one
  std::size_t resumeLine = kNoOffset;  // or at this line, read as the keyword of `minStage`
};

// Explains the reading's fatal problem `fatal`: where the designer's mistake is, with the
// compiler's text as the message and the explanation in notes.
Diagnosis diagnoseFatal(const Reading& r, const Problem& fatal);

// Warnings for what the compiler changes or drops without a word, in [from, to).
void silentChanges(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out);

// A check for what the compiler changes or drops without a word: it adds its warnings about
// [from, to) to `out`.
using SilentCheck = void (*)(const Reading& r, std::size_t from, std::size_t to,
                             std::vector<Located>& out);

// What the grid says otherwise than meant: rows longer than the width, gates that are no
// rectangle or that no entry lists, owner letters the map-drawing tool reads as neutral, terrain
// of keepers who do not play.
extern const std::array<SilentCheck, 5> kGridChecks;

// Words read otherwise than meant: a number split by a blank, a keeper who does not play, a lock
// word longer than its flag, a hero band that no trigger releases.
extern const std::array<SilentCheck, 5> kWordChecks;

// Counts that differ from the entries written (smaller ones only: larger ones are fatal).
void countsTooSmall(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out);
// The note at a line or block pasted twice, of `lines` lines.
[[nodiscard]] std::string repeatText(std::size_t lines);

// The fix that makes a counted section's count match its entries, and what it does.
Edit recount(const TextView& view, const CountedSection& section);
std::string recountTitle(const CountedSection& section);

// The word list for "did you mean" among the names of a table.
template <std::size_t N>
std::vector<std::string_view> namesOf(const std::array<NameValue, N>& table) {
  std::vector<std::string_view> names;
  for (const NameValue& entry : table) names.push_back(entry.name);
  return names;
}

}  // namespace ts::check
