// The decompiler: the six level files of one level back to a map text that compiles to the same
// six files, byte for byte. Files the compiler could not have written (damaged ones, or another
// tool's) are decompiled as far as the text can express them, and every thing left out or
// changed is listed with its file and offset.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/level_files.h"

namespace ts::decompile {

using format::LevelFile;
using enum format::LevelFile;
using format::fileSuffix;

// Something of a file that the text does not hold as it is, at a file offset.
struct Finding {
  LevelFile file = kMapFile;
  std::size_t offset = 0;
  std::string message;
};

struct Decompilation {
  std::string text;               // the map text; always one the compiler reads
  std::vector<Finding> findings;  // empty: the text compiles to the same six files
  bool damaged = false;           // a file is not well-formed (its problems are findings)
};

using LevelBytes = std::array<std::span<const std::uint8_t>, kLevelFileCount>;

// Decompiles the six files (indexed by LevelFile), then compiles the text and compares: every
// byte that comes out different is a finding, so an empty list is a proof of the round trip.
[[nodiscard]] Decompilation decompile(const LevelBytes& files);

}  // namespace ts::decompile
