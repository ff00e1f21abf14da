// Readable names for the numbers found in level files. Vocabulary words come from the
// compiler's own tables (model/vocabulary.h) and identifiers from its constants
// (writers/chunk.h, model/records.h), so the inspector names exactly what the writers write.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "decoding/inspection.h"
#include "format/layouts.h"

namespace ts::inspect {

// Each returns an empty view for a value it does not know.
[[nodiscard]] std::string_view chunkName(FileKind kind, std::uint32_t id);
// The file kinds the level-information file lists (its referenced files).
[[nodiscard]] std::string_view referencedKindName(std::uint32_t kind);
[[nodiscard]] std::string_view playerName(std::int64_t player);  // P1..P4, PH, PN
// A player as a designer says it: "keeper 2", "hero player", "neutral player"; "player 9" for a
// value that names no player.
[[nodiscard]] std::string playerWords(std::int64_t player);
[[nodiscard]] std::string_view levelName(std::int64_t level);  // L1..L10
[[nodiscard]] std::string_view creatureName(std::int64_t id);
[[nodiscard]] std::string_view objectName(std::int64_t id);
[[nodiscard]] std::string_view doorName(std::int64_t id);
[[nodiscard]] std::string_view trapName(std::int64_t id);
// A whole terrain code, the fallback code of unmapped squares included.
[[nodiscard]] std::string_view terrainName(std::uint32_t code);
[[nodiscard]] std::string_view triggerKindName(std::int64_t kind);
[[nodiscard]] std::string_view actionTypeName(std::int64_t type);
[[nodiscard]] std::string_view availabilityName(std::int64_t state);  // NO, MUST_RESEARCH, ...

// Item categories: trigger actions number rooms 1, doors 3, traps 4, spells 5; the variables
// file numbers rooms 1, creatures 2, traps 3, doors 4, spells 5.
[[nodiscard]] std::string_view actionCategoryName(std::int64_t category);
[[nodiscard]] std::string_view actionItemName(std::int64_t category, std::int64_t id);
[[nodiscard]] std::string_view variablesCategoryName(std::int64_t category);
[[nodiscard]] std::string_view variablesItemName(std::int64_t category, std::int64_t id);

// The variables file's entry types (layout::kEntryCreatureCount and the others).
[[nodiscard]] std::string_view entryTypeName(std::int64_t type);

// A ten-byte date stamp as "1999-06-04 13:22:47" (year, day, month, filler, hour, minute,
// second, filler). REQUIRES: stamp.size() == 10.
[[nodiscard]] std::string formatStamp(std::span<const std::uint8_t> stamp);

}  // namespace ts::inspect
