// The six level files of one level: the order the compiler writes them in, what follows the
// level's name in each file's name, and the identifier of each file's first chunk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/chunks.h"

namespace ts {

inline constexpr std::string_view kMapSuffix = "Map.kld";
inline constexpr std::string_view kTriggersSuffix = "Triggers.kld";
inline constexpr std::string_view kThingsSuffix = "Things.kld";
inline constexpr std::string_view kPlayersSuffix = "Players.kld";
inline constexpr std::string_view kVariablesSuffix = "Variables.kld";
inline constexpr std::string_view kLevelInfoSuffix = ".kwd";

namespace format {

// The six level files, in the order the compiler writes them.
enum LevelFile : std::size_t {
  kMapFile,
  kTriggersFile,
  kThingsFile,
  kPlayersFile,
  kVariablesFile,
  kLevelInfoFile,
  kLevelFileCount
};

// "Map.kld", ..., ".kwd": what follows the level name in each file's name.
[[nodiscard]] constexpr std::string_view fileSuffix(LevelFile file) {
  constexpr std::array<std::string_view, kLevelFileCount> kSuffixes = {
      kMapSuffix,     kTriggersSuffix,  kThingsSuffix,
      kPlayersSuffix, kVariablesSuffix, kLevelInfoSuffix};
  return kSuffixes[file];
}

// The identifier of the file's first chunk, by which a file is recognised.
[[nodiscard]] constexpr std::uint32_t fileChunkId(LevelFile file) {
  constexpr std::array<std::uint32_t, kLevelFileCount> kIds = {
      chunk::kMapFile,     chunk::kTriggersFile,  chunk::kThingsFile,
      chunk::kPlayersFile, chunk::kVariablesFile, chunk::kLevelInfoFile};
  return kIds[file];
}

}  // namespace format
}  // namespace ts
