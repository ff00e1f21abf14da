// The six level file writers. Each returns the whole file; the three that can grow large also
// assemble it into a FileOutput, which may hand it on in blocks. The driver writes them in this
// order: map, triggers, things, players, variables, level information. The triggers writer
// stores trigger identifiers into the level's entrance areas and hero gates, which the things
// writer then writes, so that order is binding.
#pragma once

#include <string_view>

#include "model/level_description.h"
#include "reader/messages.h"
#include "writers/file_output.h"
#include "writers/le_encoding.h"

namespace ts {

inline constexpr std::string_view kMapSuffix = "Map.kld";
inline constexpr std::string_view kTriggersSuffix = "Triggers.kld";
inline constexpr std::string_view kThingsSuffix = "Things.kld";
inline constexpr std::string_view kPlayersSuffix = "Players.kld";
inline constexpr std::string_view kVariablesSuffix = "Variables.kld";
inline constexpr std::string_view kLevelInfoSuffix = ".kwd";

// Reports each square whose character has no terrain code.
[[nodiscard]] Bytes writeMapFile(const LevelDescription& level, MessageSink& console);
void writeMapFile(const LevelDescription& level, MessageSink& console, FileOutput& file);
[[nodiscard]] Bytes writeTriggersFile(LevelDescription& level);
void writeTriggersFile(LevelDescription& level, FileOutput& file);
[[nodiscard]] Bytes writeThingsFile(const LevelDescription& level);
void writeThingsFile(const LevelDescription& level, FileOutput& file);
[[nodiscard]] Bytes writePlayersFile(const LevelDescription& level);
[[nodiscard]] Bytes writeVariablesFile(const LevelDescription& level);
[[nodiscard]] Bytes writeLevelInfoFile(const LevelDescription& level);

// Trigger and action elements the triggers file will hold; together they must stay within
// the 16-bit identifier space (triggers count up from 1, actions down from 65535).
struct TriggerFileCounts {
  std::size_t triggers = 0;
  std::size_t actions = 0;
};
[[nodiscard]] TriggerFileCounts countTriggerElements(const LevelDescription& level);
inline constexpr std::size_t kMaxTriggerElements = 65535;

}  // namespace ts
