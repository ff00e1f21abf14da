// Tunnelsmith's public interface: compiling a map text into the six level files in memory, for
// programs that link the library (a map-drawing tool, an editor, a build step). Nothing here
// reads or writes a file; the caller decides where the map text comes from and where the files
// go. Link Tunnelsmith::tunnelsmith (find_package(Tunnelsmith)) to use it.
//
// The results are plain values that own their data, so they stay valid after the call and may
// be moved to another thread. compileMap may be called from several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tunnelsmith/version.h"

namespace tunnelsmith {

enum class Severity : std::uint8_t {
  kError,    // the map is rejected: no level file is built
  kWarning,  // the level is built, but probably not as the designer meant
  kNote,     // information only, such as an old map that ends early
};

// One problem found in the map text.
struct Problem {
  // Stable identifier for tools, lower case with dashes, such as "map-code-not-found". It never
  // changes between versions, whereas the message text may.
  std::string name;
  Severity severity = Severity::kError;
  // Byte offset in the map text the problem is about; empty when it belongs to no one place
  // (the map as a whole).
  std::optional<std::size_t> offset;
  // The message exactly as the command-line compiler prints it, line end included.
  std::string message;
};

// One level file: its name and its whole contents.
struct LevelFile {
  std::string name;  // named after the level, not the map: "Lair1Map.kld"
  std::vector<std::uint8_t> bytes;
};

struct CompileResult {
  // Every problem's message in order: what the command-line compiler prints between its banner
  // and its list of files produced.
  std::string console;
  // True when the level was accepted; then `files` holds all six, else it is empty.
  bool valid = false;
  // The problems in the order they were found (warnings and notes come with a valid level too).
  std::vector<Problem> problems;
  // Map (<level>Map.kld), triggers (<level>Triggers.kld), things (<level>Things.kld), players
  // (<level>Players.kld), variables (<level>Variables.kld) and level information (<level>.kwd),
  // in that order. Their bytes are those the command-line compiler writes for the same text.
  std::vector<LevelFile> files;
};

// Reads and checks `mapText` (the whole contents of a map file; a UTF-8 byte-order mark is
// skipped) and, when it is valid, builds the six level files. A bad map never throws: every
// mistake is a Problem, and offsets count from the first byte of `mapText`. Nothing else throws
// either: a failure inside the library (running out of memory) is an error named
// "internal-error".
[[nodiscard]] CompileResult compileMap(std::string_view mapText);

// The version of the library linked, "major.minor". Equal to kVersion from
// <tunnelsmith/version.h> unless the headers and the library come from different installs.
[[nodiscard]] std::string_view version();

}  // namespace tunnelsmith
