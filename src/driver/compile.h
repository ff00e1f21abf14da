// Compiling a map text in memory: the console messages, whether the level is valid, and the
// six level files' names and bytes. Touches no file; map-drawing tools can link it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/vocabulary.h"
#include "writers/le_encoding.h"

namespace ts {

struct LevelFile {
  std::string name;  // the level name followed by the file's suffix
  Bytes bytes;
};

struct CompileResult {
  std::string console;           // every message, exactly as the compiler prints them
  bool valid = false;            // the level was accepted and `files` holds all six files
  std::vector<LevelFile> files;  // map, triggers, things, players, variables, level information
};

// Reads and checks `mapText`; for a valid level, writes the six files in their binding order.
[[nodiscard]] CompileResult compileMap(std::string_view mapText, const NameMaps& names);
[[nodiscard]] CompileResult compileMap(std::string_view mapText);

}  // namespace ts
