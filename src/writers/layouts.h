// Sizes of the fixed records of the level files. They are part of the file formats the game
// reads; the writers assert them and the inspector decodes by them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/records.h"

namespace ts::layout {

// Map file: the map information chunk holds the width and the height.
inline constexpr std::size_t kMapInfoSize = 4 + 4;

// Things file element records (each behind its own chunk header).
inline constexpr std::size_t kCreatureRecordSize = 4 + 4 + 4 + 2 + 1 + 1 + 4 + 4 + 2 + 1 + 1;
inline constexpr std::size_t kObjectRecordSize = 4 + 4 + 12 + 2 + 1 + 1;
inline constexpr std::size_t kDoorRecordSize = 4 + 4 + 4 + 2 + 1 + 1 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kTrapRecordSize = 4 + 4 + 4 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kAreaRecordSize = 4 * 4 + 2 + 1 + 1 + 1 + 1 + 1 + 25 + 4 + 4;
inline constexpr std::size_t kBandHeadSize = 43;
inline constexpr std::size_t kBandMemberSlotSize =
    12 + 1 + 1 + 1 + 1 + 4 + 1 + 5 + 1 + 1 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kBandRecordSize =
    kBandHeadSize + kMaxBandMembers * kBandMemberSlotSize;
inline constexpr std::size_t kStructureRecordSize = 4 + 4 + 4 + 2 + 1 + 1 + 1 + 1 + 1 + 1;
static_assert(kCreatureRecordSize == 28 && kObjectRecordSize == 24 && kDoorRecordSize == 20 &&
              kTrapRecordSize == 16 && kAreaRecordSize == 56 && kBandRecordSize == 555 &&
              kStructureRecordSize == 20);

// Triggers file elements: trigger and action elements share one size.
inline constexpr std::size_t kTriggerElementSize = 2 + 2 + 4 + 2 + 2 + 2 + 1 + 1;
inline constexpr std::size_t kTriggersInfoSize = 4 + 4 + 4 + 20;
static_assert(kTriggerElementSize == 16);

// Players file records, back to back in the body.
inline constexpr std::size_t kPlayerTemplateSize = 166;
inline constexpr std::size_t kPlayerNameWidth = 32;
inline constexpr std::size_t kPlayerRecordSize =
    kPlayerTemplateSize + 2 + 1 + 2 + 2 + kPlayerNameWidth;
static_assert(kPlayerRecordSize == 205);

// Variables file entries, back to back in the body, and their types.
inline constexpr std::size_t kVariableEntrySize = 4 + 4 + 4 + 4;
inline constexpr std::uint32_t kEntryCreatureCount = 1;
inline constexpr std::uint32_t kEntryAvailability = 2;
inline constexpr std::uint32_t kEntryPlayer = 66;
inline constexpr std::uint32_t kEntryGlobal = 74;
// Categories of availability entries in the variables file (trigger actions number doors and
// traps the other way round).
inline constexpr std::uint16_t kCategoryRoom = 1;
inline constexpr std::uint16_t kCategoryCreature = 2;
inline constexpr std::uint16_t kCategoryTrap = 3;
inline constexpr std::uint16_t kCategoryDoor = 4;
inline constexpr std::uint16_t kCategorySpell = 5;

// Level-information file.
inline constexpr std::size_t kLevelInfoFileLength = 26887;
inline constexpr std::size_t kLevelInfoSize = 25683;
inline constexpr std::size_t kReferencedFilesSize = 1140;
inline constexpr std::size_t kReferencedFileSize = 4 + 4 + 64;
inline constexpr std::size_t kReferencedFileCount = 15;
inline constexpr std::size_t kPathWidth = 64;
inline constexpr std::size_t kLevelNameOffset = 56;       // file offset of the wide name
inline constexpr std::size_t kLevelNameEnd = 4538;        // first byte after the name field
inline constexpr std::size_t kPlayerCountOffset = 25660;  // file offset of the player count
inline constexpr std::size_t kEndOfLevelInfo = 25739;

}  // namespace ts::layout
