// Sizes and field offsets of the level files' fixed records and frames. They are part of the
// file formats the game reads: the writers check each named field against them as they store
// it, the inspector decodes by them and the tests find fields by them. A record's field offsets
// count from the start of the record (behind its element chunk header, if it has one); the
// frame offsets count from the start of the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/chunks.h"
#include "model/records.h"

namespace ts::layout {

// The frame of every file: the file-size chunk's data is the file's length, and the
// information chunk follows it.
inline constexpr std::size_t kAnnouncedLength = kChunkHeaderSize;
inline constexpr std::size_t kInfoChunk = kFileSizeChunkSize;

// The frame of the things, players and variables files: the information chunk's data holds the
// element count, the format version and two 10-byte stamps, then the body chunk follows.
inline constexpr std::size_t kElementCount = kInfoChunk + kChunkHeaderSize;
inline constexpr std::size_t kFormatVersion = kElementCount + 4;
inline constexpr std::size_t kStampRow = kFormatVersion + 4;
inline constexpr std::size_t kBodyChunk = kInfoChunk + kFileInfoChunkSize;
inline constexpr std::size_t kAnnouncedBodySize = kBodyChunk + 4;
inline constexpr std::size_t kFirstThingElement = kFrameSize;
inline constexpr std::size_t kFirstPlayerRecord = kFrameSize;
inline constexpr std::size_t kFirstVariableEntry = kFrameSize;
static_assert(kElementCount == 20 && kStampRow == 28 && kBodyChunk == 48 && kFrameSize == 56 &&
              kStampRow + sizeof(StampPair) == kBodyChunk);

// The map file: width and height in the map information chunk, then one u32 code per square.
inline constexpr std::size_t kMapInfoSize = 4 + 4;
inline constexpr std::size_t kMapWidth = kInfoChunk + kChunkHeaderSize;
inline constexpr std::size_t kMapHeight = kMapWidth + 4;
inline constexpr std::size_t kMapCellsChunk = kMapWidth + kMapInfoSize;
inline constexpr std::size_t kFirstCell = kMapCellsChunk + kChunkHeaderSize;
inline constexpr std::size_t kCellSize = 4;
static_assert(kFirstCell == 36);

// Things file element records (each behind its own chunk header). Creatures, objects, doors,
// traps and structures start with their position.
inline constexpr std::size_t kThingX = 0;
inline constexpr std::size_t kThingY = 4;

inline constexpr std::size_t kCreatureRecordSize = 4 + 4 + 4 + 2 + 1 + 1 + 4 + 4 + 2 + 1 + 1;
inline constexpr std::size_t kCreatureLevel = 14;
inline constexpr std::size_t kCreatureId = 26;
inline constexpr std::size_t kCreatureOwner = 27;

inline constexpr std::size_t kObjectRecordSize = 4 + 4 + 12 + 2 + 1 + 1;
inline constexpr std::size_t kObjectId = 22;
inline constexpr std::size_t kObjectOwner = 23;

inline constexpr std::size_t kDoorRecordSize = 4 + 4 + 4 + 2 + 1 + 1 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kDoorId = 14;
inline constexpr std::size_t kDoorOwner = 15;
inline constexpr std::size_t kDoorLocked = 16;

inline constexpr std::size_t kTrapRecordSize = 4 + 4 + 4 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kTrapId = 13;
inline constexpr std::size_t kTrapOwner = 14;

// An area: its rectangle, the identifier of the trigger watching it (u16) and its number.
inline constexpr std::size_t kAreaRecordSize = 4 * 4 + 2 + 1 + 1 + 1 + 1 + 1 + 25 + 4 + 4;
inline constexpr std::size_t kAreaLeft = 0;
inline constexpr std::size_t kAreaTop = 4;
inline constexpr std::size_t kAreaRight = 8;
inline constexpr std::size_t kAreaBottom = 12;
inline constexpr std::size_t kAreaTrigger = 20;
inline constexpr std::size_t kAreaNumber = 22;

// A hero band: a head holding the band's index (counted from 0), then one slot per member,
// all zero when unused.
inline constexpr std::size_t kBandHeadSize = 43;
inline constexpr std::size_t kBandIndex = 34;
inline constexpr std::size_t kBandMemberSlotSize =
    12 + 1 + 1 + 1 + 1 + 4 + 1 + 5 + 1 + 1 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kBandRecordSize =
    kBandHeadSize + kMaxBandMembers * kBandMemberSlotSize;
inline constexpr std::size_t kMemberLevel = 14;
inline constexpr std::size_t kMemberCode = 15;
inline constexpr std::size_t kMemberOwner = 26;
inline constexpr std::size_t kMemberCreature = 28;
inline constexpr std::size_t kMemberBandIndex = 30;

// A hero gate or a keeper's heart: the terrain id with the owner makes the terrain code.
inline constexpr std::size_t kStructureRecordSize = 4 + 4 + 4 + 2 + 1 + 1 + 1 + 1 + 1 + 1;
inline constexpr std::size_t kStructureVariant = 14;
inline constexpr std::size_t kStructureFlag = 15;
inline constexpr std::size_t kStructureTerrain = 18;
inline constexpr std::size_t kStructureOwner = 19;

static_assert(kCreatureRecordSize == 28 && kObjectRecordSize == 24 && kDoorRecordSize == 20 &&
              kTrapRecordSize == 16 && kAreaRecordSize == 56 && kBandRecordSize == 555 &&
              kStructureRecordSize == 20);
static_assert(kCreatureOwner + 1 == kCreatureRecordSize && kObjectOwner + 1 == kObjectRecordSize &&
              kTrapOwner + 2 == kTrapRecordSize && kStructureOwner + 1 == kStructureRecordSize &&
              kMemberBandIndex + 2 == kBandMemberSlotSize);

// Triggers file: the information chunk counts trigger and action elements apart, so its frame
// is 4 bytes longer than the common one. Trigger and action elements share one size.
inline constexpr std::size_t kTriggersInfoSize = 4 + 4 + 4 + 20;
inline constexpr std::size_t kTriggerCount = kInfoChunk + kChunkHeaderSize;
inline constexpr std::size_t kActionCount = kTriggerCount + 4;
inline constexpr std::size_t kTriggersVersion = kActionCount + 4;
inline constexpr std::size_t kTriggersStampRow = kTriggersVersion + 4;
inline constexpr std::size_t kTriggersBodyChunk = kTriggerCount + kTriggersInfoSize;
inline constexpr std::size_t kFirstTriggerElement = kTriggersBodyChunk + kChunkHeaderSize;
static_assert(kFirstTriggerElement == 60 &&
              kTriggersStampRow + sizeof(StampPair) == kTriggersBodyChunk);

inline constexpr std::size_t kTriggerElementSize = 2 + 2 + 4 + 2 + 2 + 2 + 1 + 1;
// A trigger element: parameters 2 to 5 (a byte each), the value, the element's identifier, the
// next trigger of its chain, its child (a trigger one level down or its first action), the
// trigger's kind and parameter 1.
inline constexpr std::size_t kTriggerParam2 = 0;
inline constexpr std::size_t kTriggerParam3 = 1;
inline constexpr std::size_t kTriggerParam4 = 2;
inline constexpr std::size_t kTriggerParam5 = 3;
inline constexpr std::size_t kTriggerValue = 4;
inline constexpr std::size_t kTriggerId = 8;
inline constexpr std::size_t kTriggerNext = 10;
inline constexpr std::size_t kTriggerChild = 12;
inline constexpr std::size_t kTriggerKind = 14;
inline constexpr std::size_t kTriggerParam1 = 15;
// An action element: four one-byte arguments from kActionArg1 on, a 32-bit fifth, the
// element's identifier, the next action of its trigger and the action's type.
inline constexpr std::size_t kActionArg1 = 0;
inline constexpr std::size_t kActionArg5 = 4;
inline constexpr std::size_t kActionId = 8;
inline constexpr std::size_t kActionNext = 10;
inline constexpr std::size_t kActionType = 14;
static_assert(kTriggerElementSize == 16 && kTriggerParam1 + 1 == kTriggerElementSize);

// Players file records, back to back in the body: gold, a flag (1 for the good and neutral
// players, 0 for keepers), the rest of a fixed template, then the keeper's number (0 for the
// good and neutral players), the player, the screen position and the name.
inline constexpr std::size_t kPlayerTemplateSize = 166;
inline constexpr std::size_t kPlayerNameWidth = 32;
inline constexpr std::size_t kPlayerRecordSize =
    kPlayerTemplateSize + 2 + 1 + 2 + 2 + kPlayerNameWidth;
inline constexpr std::size_t kPlayerGold = 0;
inline constexpr std::size_t kPlayerFlag = 4;
inline constexpr std::size_t kPlayerKeeper = kPlayerTemplateSize;
inline constexpr std::size_t kPlayerId = 168;
inline constexpr std::size_t kPlayerX = 169;
inline constexpr std::size_t kPlayerY = 171;
inline constexpr std::size_t kPlayerName = 173;
static_assert(kPlayerRecordSize == 205 && kPlayerName + kPlayerNameWidth == kPlayerRecordSize);

// Variables file entries, back to back in the body: four u32 words, the first the entry's type.
inline constexpr std::size_t kVariableEntrySize = 4 + 4 + 4 + 4;
inline constexpr std::size_t kEntryType = 0;
inline constexpr std::size_t kEntrySecond = 4;
inline constexpr std::size_t kEntryThird = 8;
inline constexpr std::size_t kEntryFourth = 12;
// The entry types and the fields each gives its words.
inline constexpr std::uint32_t kEntryCreatureCount = 1;
inline constexpr std::size_t kCountCreature = kEntrySecond;
inline constexpr std::size_t kCountValue = kEntryThird;
inline constexpr std::size_t kCountPlayer = kEntryFourth;
inline constexpr std::uint32_t kEntryAvailability = 2;
inline constexpr std::size_t kAvailabilityCategory = kEntrySecond;    // u16
inline constexpr std::size_t kAvailabilityPlayer = kEntrySecond + 2;  // u16
inline constexpr std::size_t kAvailabilityItem = kEntryThird;
inline constexpr std::size_t kAvailabilityState = kEntryFourth;
inline constexpr std::uint32_t kEntryPlayer = 66;
inline constexpr std::size_t kPlayerEntryPlayer = kEntrySecond;
inline constexpr std::size_t kPlayerEntryRole = kEntryThird;
inline constexpr std::uint32_t kEntryGlobal = 74;
inline constexpr std::size_t kGlobalValue = kEntrySecond;
static_assert(kEntryFourth + 4 == kVariableEntrySize);
// Categories of availability entries in the variables file (trigger actions number doors and
// traps the other way round).
inline constexpr std::uint16_t kCategoryRoom = 1;
inline constexpr std::uint16_t kCategoryCreature = 2;
inline constexpr std::uint16_t kCategoryTrap = 3;
inline constexpr std::uint16_t kCategoryDoor = 4;
inline constexpr std::uint16_t kCategorySpell = 5;

// Level-information file, of one length for every level. The level information chunk holds the
// wide level name and the player count at fixed file offsets; the referenced files chunk holds
// fifteen entries (kind, a zero word, a path), then a closing list of fifteen u32.
inline constexpr std::size_t kLevelInfoFileLength = 26887;
inline constexpr std::size_t kLevelInfoSize = 25683;
inline constexpr std::size_t kReferencedFilesSize = 1140;
inline constexpr std::size_t kReferencedFileSize = 4 + 4 + 64;
inline constexpr std::size_t kReferencedFileCount = 15;
inline constexpr std::size_t kPathWidth = 64;
inline constexpr std::size_t kReferencedFilePath = 8;
inline constexpr std::size_t kLevelInfoChunk = kInfoChunk + kFileInfoChunkSize;
inline constexpr std::size_t kLevelNameOffset = kLevelInfoChunk + kChunkHeaderSize;
inline constexpr std::size_t kLevelNameEnd = 4538;        // first byte after the name field
inline constexpr std::size_t kPlayerCountOffset = 25660;  // file offset of the player count
inline constexpr std::size_t kEndOfLevelInfo = kLevelNameOffset + kLevelInfoSize;
inline constexpr std::size_t kFirstReferencedFile = kEndOfLevelInfo + kChunkHeaderSize;
inline constexpr std::size_t kClosingListOffset =
    kFirstReferencedFile + kReferencedFileCount * kReferencedFileSize;
static_assert(kLevelNameOffset == 56 && kEndOfLevelInfo == 25739 && kClosingListOffset == 26827 &&
              kReferencedFilePath + kPathWidth == kReferencedFileSize &&
              kEndOfLevelInfo + kChunkHeaderSize + kReferencedFilesSize == kLevelInfoFileLength);

}  // namespace ts::layout
