// The map text reader: one pass over the text, section by section, filling a LevelDescription.
// Each group of sections has its own entry point; each returns false after printing the
// message of a fatal problem, which ends the reading with the level left invalid.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/grammar.h"
#include "model/level_description.h"
#include "model/problems.h"
#include "model/vocabulary.h"
#include "reader/reader_observer.h"
#include "reader/text_reader.h"

namespace ts {

struct ReadState {
  ReadState(std::string_view text, LevelDescription& level, const NameMaps& names,
            ProblemSink& problems, ReaderObserver* observer = nullptr);

  TextReader in;
  LevelDescription& level;
  const NameMaps& names;
  ProblemSink& problems;
  std::string buffer;  // the current line, or the last word read into it
  int guard = 0;       // the loop guard
  bool gui = false;    // the map was written by the map-drawing tool (two characters a square)
  ReaderObserver* observer = nullptr;  // none when compiling

  // Room to reserve for `count` entries of at least `entrySize` characters each: never more
  // than the rest of the text could hold, so a huge count from the text allocates nothing.
  [[nodiscard]] std::size_t reserveFor(std::int32_t count, std::size_t entrySize) const {
    if (count <= 0) return 0;
    const std::size_t rest = in.text().size() - in.position();
    return std::min(static_cast<std::size_t>(count), rest / entrySize);
  }

  // Reports a problem where reading stands: at the start of the last line or word read.
  template <typename... Args>
  void report(ProblemId id, const Args&... args) {
    reportAt(in.tokenStart(), id, args...);
  }
  // Reports a problem about the word that starts at `offset`.
  template <typename... Args>
  void reportAt(std::size_t offset, ProblemId id, const Args&... args) {
    Problem problem{id, offset, {argumentText(args)...}};
    if (observer != nullptr) observer->problem(problem);
    problems.report(std::move(problem));
  }

  // Reads an integer as TextReader::readInteger does, and tells the observer which characters
  // it took.
  void readInteger(std::int32_t& value) {
    in.readInteger(value);
    if (observer != nullptr) observer->integerRead(in.tokenStart(), in.position(), in.failed());
  }
  // The reads of an entry's words: as TextReader's, telling the observer what the word was read
  // as.
  void readInteger(WordKind kind, std::int32_t& value) {
    readInteger(value);
    told(kind);
  }
  void readWord(WordKind kind, std::string& word) {
    in.readWord(word);
    told(kind);
  }
  void readChar(WordKind kind, char& c) {
    in.readChar(c);
    told(kind);
  }
  // Tells the observer that the word just read is a `kind`, unless the text had ended.
  void told(WordKind kind) {
    if (observer != nullptr && in.tokenStart() < in.position()) {
      observer->wordRead(kind, in.tokenStart(), in.position());
    }
  }
  // An entry of `section` begins.
  void entry(Section section) {
    if (observer != nullptr) observer->entryStarted(section);
  }
  // A section begins at [start, end).
  void section(Section section, std::size_t start, std::size_t end) {
    if (observer != nullptr) observer->sectionStarted(section, start, end);
  }

  // Adds one step to the loop guard; true when it has passed the limit.
  bool guardStep() { return ++guard > kLoopLimit; }
  // Ends one step of a loop over the text: reports `loop` once the loop guard passes its limit,
  // or `fail` once the text has failed, and is false then.
  bool stepTaken(ProblemId loop, ProblemId fail) {
    if (guardStep()) {
      report(loop);
      return false;
    }
    if (in.failed()) {
      report(fail);
      return false;
    }
    return true;
  }

  // Compares the buffer with the keyword of `section`, reading lines until it matches. Reports
  // `loop` once the loop guard passes its limit, and `fail` (when given) as soon as the text has
  // failed; false then.
  bool searchKeyword(Section section, ProblemId loop, std::optional<ProblemId> fail);
};

bool readHeader(ReadState& s);
bool readGrid(ReadState& s);        // map rows, then MAP_CODES in text mode
bool readPlacements(ReadState& s);  // THINGS, CREATURES, DOORS, TRAPS, HEARTS_AND_GOLD
void installKeeperDefaults(LevelDescription& level);
bool readHeroSections(ReadState& s);  // HERO_BANDS, AREAS, HERO_GATES
bool readTriggers(ReadState& s);
bool readScenario(ReadState& s);  // SCENARIO_DESCRIPTION up to EOF; sets the level valid

// Reads one section on its own as the whole reading reads it at its place (its keyword search,
// its count, its entries), for tools that read a piece of text as one section's entries. The
// header, the grid and the hearts and gold are read only as part of the whole.
bool readSection(ReadState& s, Section section);
// The same for the sections of each reader file.
bool readLegendSection(ReadState& s);
// A reader file's function for one of its sections.
struct SectionReader {
  Section section;
  bool (*read)(ReadState& s);
};
// Reads the sections of `readers` in their order, up to the first that fails.
bool readInOrder(std::span<const SectionReader> readers, ReadState& s);
// Reads `section` with its function in `readers`; false when none reads it.
bool readOneOf(std::span<const SectionReader> readers, ReadState& s, Section section);
bool readPlacedSection(ReadState& s, Section section);
bool readHeroSection(ReadState& s, Section section);

// Reads and checks the whole map text; problems are printed to `console` as the compiler
// prints them. The outcome is `isValid`.
[[nodiscard]] LevelDescription readLevel(std::string_view text, const NameMaps& names,
                                         std::ostream& console);
// Runs the whole reader over `text` into `level`, reporting problems to `problems` and telling
// `observer` (when given) what it saw.
void readLevel(std::string_view text, LevelDescription& level, const NameMaps& names,
               ProblemSink& problems, ReaderObserver* observer = nullptr);

}  // namespace ts
