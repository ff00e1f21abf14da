// Compiling a map text: the console messages, whether the level is valid, and the six level
// files' names and bytes. The in-memory form touches no file, and map-drawing tools can link
// it; the driver hands each file to a sink as it is built.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/le_encoding.h"
#include "model/problems.h"
#include "model/vocabulary.h"
#include "writers/file_output.h"

namespace ts {

struct LevelFile {
  std::string name;  // the level name followed by the file's suffix
  Bytes bytes;
};

struct CompileResult {
  std::string console;            // every problem, exactly as the compiler prints them
  std::vector<Problem> problems;  // the same problems as values, in order
  bool valid = false;             // the level was accepted and `files` holds all six files
  std::vector<LevelFile> files;   // map, triggers, things, players, variables, level information
};

// Takes the level files one at a time, in their binding order, while they are built.
class LevelFileSink {
 public:
  LevelFileSink() = default;
  LevelFileSink(const LevelFileSink&) = delete;
  LevelFileSink& operator=(const LevelFileSink&) = delete;
  virtual ~LevelFileSink() = default;

  // The level's name and its six files' names, in the order the files will be opened, before
  // the first is.
  virtual void announce(std::string_view level, const std::vector<std::string>& names) {
    static_cast<void>(level);
    static_cast<void>(names);
  }
  // The output that the file `name` is assembled into next.
  virtual FileOutput& open(const std::string& name) = 0;
  // The file opened last is complete.
  virtual void close() = 0;
};

// Reads and checks `mapText`, reporting every problem to `problems`; for a valid level, builds
// the six files into `sink` in their binding order and returns true.
bool compileMap(std::string_view mapText, const NameMaps& names, ProblemSink& problems,
                LevelFileSink& sink);
// The same, printing every problem to `console` as the compiler does.
bool compileMap(std::string_view mapText, const NameMaps& names, std::ostream& console,
                LevelFileSink& sink);

// The same, keeping the messages and the whole files in memory.
[[nodiscard]] CompileResult compileMap(std::string_view mapText, const NameMaps& names);
[[nodiscard]] CompileResult compileMap(std::string_view mapText);

}  // namespace ts
