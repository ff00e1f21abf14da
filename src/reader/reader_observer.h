// What the reader saw, for tools that explain a map to its designer (the map checker). The
// compiler reads without an observer; every hook is then skipped. Offsets are byte offsets
// into the map text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/grammar.h"
#include "model/problems.h"
#include "model/records.h"
#include "model/vocabulary.h"

namespace ts {

// What kind of word an entry expected where the reader found an unknown one.
enum class ExpectedWord {
  kObjectName,
  kCreatureName,
  kDoorName,
  kTrapName,
  kPlayerToken,
  kLevelToken
};

class ReaderObserver {
 public:
  virtual ~ReaderObserver() = default;

  // The text starts with a UTF-8 byte-order mark, which the reader skips.
  virtual void byteOrderMark() {}
  // Every problem the reader reports, before it is printed.
  virtual void problem(const Problem& /*problem*/) {}
  // A section keyword search gave up after skipping `linesSkipped` lines.
  virtual void keywordNotFound(std::string_view /*keyword*/, int /*linesSkipped*/) {}
  // Map row `row` (from 0) was taken from the line starting at `offset`.
  virtual void rowRead(std::int32_t /*row*/, std::size_t /*offset*/) {}
  // A map-drawing-tool square whose two characters spell no terrain name.
  virtual void unknownSquare(std::size_t /*offset*/) {}
  // A legend entry gave `code` a new character, replacing `previous`.
  virtual void legendReplaced(TerrainCode /*code*/, char /*previous*/, char /*replacement*/,
                              std::size_t /*offset*/) {}
  // An entry was dropped silently because of `word`.
  virtual void entryDropped(std::string_view /*section*/, ExpectedWord /*expected*/,
                            std::string_view /*word*/, std::size_t /*offset*/) {}
  // Something placed on the map: a thing, creature, door, trap or heart.
  virtual void placed(std::string_view /*what*/, std::int32_t /*x*/, std::int32_t /*y*/,
                      std::size_t /*offset*/) {}
  virtual void areaRead(std::int32_t /*number*/, const EntranceArea& /*area*/,
                        std::size_t /*offset*/) {}
  // A GOLDn word for keeper index `keeper`.
  virtual void goldRead(std::size_t /*keeper*/, std::size_t /*offset*/) {}
  // ACTION_HERO_RELEASE with its band number, switch and location number.
  virtual void heroRelease(std::int32_t /*band*/, char /*which*/, std::int32_t /*n*/,
                           std::size_t /*offset*/) {}
  // A scenario statement that was applied; `changed` is false when the value was already so.
  virtual void statementApplied(std::string_view /*word*/, bool /*changed*/,
                                std::size_t /*offset*/) {}
  // An integer read took the characters [start, end); `failed` after the read (no digit, a value
  // outside 32 bits, or a text that had already failed or ended).
  virtual void integerRead(std::size_t /*start*/, std::size_t /*end*/, bool /*failed*/) {}
  // A section keyword search found `keyword` on the line starting at `offset`.
  virtual void sectionFound(std::string_view /*keyword*/, std::size_t /*offset*/) {}

  // The structure of the reading, word by word. A section starts at [start, end): its keyword
  // (the grid's first row; the header at 0). An entry of the section starts: a legend entry, a
  // placement, a heart or gold statement, a band with its members, an area, a gate, a trigger
  // with its actions, a scenario statement. Each word the entry reads follows as `wordRead`,
  // with what it was read as; a word that was not there (the text ended) is not told.
  virtual void sectionStarted(Section /*section*/, std::size_t /*start*/, std::size_t /*end*/) {}
  virtual void entryStarted(Section /*section*/) {}
  virtual void wordRead(WordKind /*kind*/, std::size_t /*start*/, std::size_t /*end*/) {}
  // A word that the hearts and gold section or the scenario description skips without effect.
  virtual void wordIgnored(std::string_view /*section*/, std::size_t /*offset*/) {}
  // A MAP_CODES entry gave terrain `code` the character `c`.
  virtual void legendEntry(char /*c*/, TerrainCode /*code*/, std::size_t /*offset*/) {}
  // The EOF word ended the text at `offset` (the first character after it).
  virtual void endOfFile(std::size_t /*offset*/) {}
};

}  // namespace ts
