// The things file: creatures, objects, doors, traps, the areas of hero gates and entrance
// areas, hero bands with their member slots, and the structures of gates and hearts, each
// in an element chunk of its own.
#include <algorithm>
#include <array>

#include "decoding/decoder.h"
#include "decoding/names.h"
#include "format/chunks.h"
#include "format/layouts.h"
#include "model/records.h"
#include "model/vocabulary.h"

namespace ts::inspect {

namespace {

constexpr std::uint8_t kLeaderCode = kBandMemberCode - 2;  // the first member of a band
constexpr TerrainCode kKeeperHeartCode = 0x0101030E;       // KPR1_HEART: a heart's terrain id

// The bytes of each record that no field decodes: the constants the writer puts between them.
constexpr Slot kCreatureSlots[] = {{8, 4, {}},  {12, 2, {}}, {15, 1, {}},
                                   {16, 4, {}}, {20, 4, {}}, {24, 2, {}}};
constexpr Slot kObjectSlots[] = {{8, 12, {}}, {20, 2, {}}};
constexpr Slot kDoorSlots[] = {{8, 4, {}}, {12, 2, {}}, {17, 1, {}}, {18, 1, {}}, {19, 1, {}}};
constexpr Slot kTrapSlots[] = {{8, 4, {}}, {12, 1, {}}, {15, 1, {}}};
constexpr Slot kAreaSlots[] = {{16, 2, {}},  {18, 1, {}}, {19, 1, {}},
                               {23, 25, {}}, {48, 4, {}}, {52, 4, {}}};
constexpr Slot kMemberSlots[] = {
    {0, 12, {}}, {12, 1, {}}, {13, 1, {}},
    {16, 4, {}}, {20, 1, {}}, {21, 5, {}},
    {27, 1, {}}, {29, 1, {}}, {layout::kMemberBandIndex, 1, "band index"},
    {31, 1, {}}};
constexpr Slot kStructureSlots[] = {
    {8, 4, {}}, {12, 2, {}}, {layout::kStructureFlag, 1, "flag"}, {16, 1, {}}, {17, 1, {}}};

// A band's head around its index, then its member slots: an empty slot has no member record.
constexpr std::array<std::string_view, kMaxBandMembers> kMemberSlotNames = {
    "member slot 1",  "member slot 2",  "member slot 3",  "member slot 4",
    "member slot 5",  "member slot 6",  "member slot 7",  "member slot 8",
    "member slot 9",  "member slot 10", "member slot 11", "member slot 12",
    "member slot 13", "member slot 14", "member slot 15", "member slot 16"};
constexpr std::array<Slot, 12 + kMaxBandMembers> bandSlots() {
  std::array<Slot, 12 + kMaxBandMembers> slots = {{{0, 4, {}},
                                                   {4, 4, {}},
                                                   {8, 4, {}},
                                                   {12, 4, {}},
                                                   {16, 4, {}},
                                                   {20, 4, {}},
                                                   {24, 4, {}},
                                                   {28, 4, {}},
                                                   {32, 2, {}},
                                                   {35, 1, {}},
                                                   {36, 4, {}},
                                                   {40, 3, {}}}};
  for (std::size_t j = 0; j < kMaxBandMembers; ++j) {
    slots[12 + j] = {layout::kBandHeadSize + j * layout::kBandMemberSlotSize,
                     layout::kBandMemberSlotSize, kMemberSlotNames[j]};
  }
  return slots;
}
constexpr std::array<Slot, 12 + kMaxBandMembers> kBandSlots = bandSlots();

void position(Decoder& d, Record& r, std::size_t at) {
  r.fields.push_back(d.s32("x", at + layout::kThingX));
  r.fields.push_back(d.s32("y", at + layout::kThingY));
}

// A one-byte field named after the vocabulary it comes from ("creature", "level").
Field vocabulary(Decoder& d, std::string_view name, std::size_t at,
                 std::string_view (*nameOf)(std::int64_t)) {
  return d.named(name, d.u8(at), nameOf(d.u8(at)), at, 1, name);
}

void decodeCreature(Decoder& d, std::size_t at) {
  Record& r = d.addRecord("creature", at, layout::kCreatureRecordSize);
  r.undecoded = kCreatureSlots;
  r.fields.push_back(vocabulary(d, "creature", at + layout::kCreatureId, creatureName));
  r.fields.push_back(vocabulary(d, "level", at + layout::kCreatureLevel, levelName));
  r.fields.push_back(d.player("owner", at + layout::kCreatureOwner, 1));
  position(d, r, at);
}

// An object, a door or a trap: what it is, its owner, then its position. `kind` names the record
// and the vocabulary, and must outlive the Inspection.
Record& decodePlaced(Decoder& d, std::size_t at, std::string_view kind, std::size_t size,
                     std::size_t idOffset, std::string_view (*nameOf)(std::int64_t),
                     std::size_t ownerOffset) {
  Record& r = d.addRecord(kind, at, size);
  r.fields.push_back(vocabulary(d, kind, at + idOffset, nameOf));
  r.fields.push_back(d.player("owner", at + ownerOffset, 1));
  position(d, r, at);
  return r;
}

void decodeObject(Decoder& d, std::size_t at) {
  decodePlaced(d, at, "object", layout::kObjectRecordSize, layout::kObjectId, objectName,
               layout::kObjectOwner)
      .undecoded = kObjectSlots;
}

void decodeDoor(Decoder& d, std::size_t at) {
  Record& r = decodePlaced(d, at, "door", layout::kDoorRecordSize, layout::kDoorId, doorName,
                           layout::kDoorOwner);
  r.undecoded = kDoorSlots;
  const std::uint8_t locked = d.u8(at + layout::kDoorLocked);
  const std::string_view word = locked == 0 ? "no" : locked == 1 ? "yes" : "";
  r.fields.push_back(d.named("locked", locked, word, at + layout::kDoorLocked, 1, "lock flag"));
}

void decodeTrap(Decoder& d, std::size_t at) {
  decodePlaced(d, at, "trap", layout::kTrapRecordSize, layout::kTrapId, trapName,
               layout::kTrapOwner)
      .undecoded = kTrapSlots;
}

void decodeArea(Decoder& d, std::size_t at) {
  Record& r = d.addRecord("area", at, layout::kAreaRecordSize);
  r.undecoded = kAreaSlots;
  Field number = d.u("number", at + layout::kAreaNumber, 1);
  // The number is stored as its low byte.
  if (static_cast<std::size_t>(number.value) != (r.number & 0xFF)) {
    d.problem(number.offset, "area record " + std::to_string(r.number) + " holds area number " +
                                 std::to_string(number.value));
  }
  // Named as the map text names them: the gate's area, or the entrance area `A n`.
  if (number.value >= 1 && number.value <= d.heroGates) {
    number.text = "hero gate " + std::to_string(number.value);
    r.label = "area of " + number.text;
  } else if (number.value >= 1) {
    number.text = "entrance area " + std::to_string(number.value - d.heroGates);
    r.label = number.text;
  }
  r.fields.push_back(std::move(number));
  r.fields.push_back(d.s32("left", at + layout::kAreaLeft));
  r.fields.push_back(d.s32("top", at + layout::kAreaTop));
  r.fields.push_back(d.s32("right", at + layout::kAreaRight));
  r.fields.push_back(d.s32("bottom", at + layout::kAreaBottom));
  Field trigger = d.u("trigger", at + layout::kAreaTrigger, 2);
  if (trigger.value == 0) trigger.text = "none";
  r.fields.push_back(trigger);
}

void decodeBand(Decoder& d, std::size_t at) {
  Record& band = d.addRecord("hero band", at, layout::kBandRecordSize);
  band.undecoded = kBandSlots;
  const std::size_t indexAt = at + layout::kBandIndex;
  const std::uint8_t index = d.u8(indexAt);
  band.fields.push_back(d.u("index", indexAt, 1));
  if (index != ((band.number - 1) & 0xFF)) {
    d.problem(indexAt, "hero band record " + std::to_string(band.number) + " holds band index " +
                           std::to_string(index) + " (indexes count from 0)");
  }
  for (std::size_t j = 0; j < kMaxBandMembers; ++j) {
    const std::size_t slot = at + layout::kBandHeadSize + j * layout::kBandMemberSlotSize;
    const auto bytes = d.span(slot, layout::kBandMemberSlotSize);
    if (std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; })) continue;
    Record member;
    member.kind = "member";
    member.number = band.parts.size() + 1;
    member.offset = slot;
    member.size = layout::kBandMemberSlotSize;
    member.undecoded = kMemberSlots;
    member.fields.push_back(
        vocabulary(d, "creature", slot + layout::kMemberCreature, creatureName));
    member.fields.push_back(vocabulary(d, "level", slot + layout::kMemberLevel, levelName));
    member.fields.push_back(d.player("owner", slot + layout::kMemberOwner, 1, true));
    const std::uint8_t code = d.u8(slot + layout::kMemberCode);
    const std::string_view role = code == kLeaderCode       ? "leader"
                                  : code == kBandMemberCode ? "member"
                                                            : "";
    member.fields.push_back(
        d.named("role", code, role, slot + layout::kMemberCode, 1, "member code"));
    const std::size_t memberIndexAt = slot + layout::kMemberBandIndex;
    if (d.u8(memberIndexAt) != index) {
      d.problem(memberIndexAt, "member slot " + std::to_string(j + 1) + " names band index " +
                                   std::to_string(d.u8(memberIndexAt)) + ", its band has " +
                                   std::to_string(index));
    }
    band.parts.push_back(std::move(member));
  }
}

void decodeStructure(Decoder& d, std::size_t at) {
  Record& r = d.addRecord("structure", at, layout::kStructureRecordSize);
  r.undecoded = kStructureSlots;
  const std::uint8_t terrain = d.u8(at + layout::kStructureTerrain);
  const std::uint8_t owner = d.u8(at + layout::kStructureOwner);
  // The gates' structures come in the gates' order; a heart is its keeper's.
  if (owner == kHeroPlayer) {
    r.label = "structure of hero gate " + std::to_string(++d.gateStructures);
  } else if (terrain == terrainIdOf(kKeeperHeartCode) && owner >= kFirstKeeperPlayer &&
             !playerName(owner).empty()) {
    r.label = "heart of " + playerWords(owner);
  }
  // The terrain id with its owner makes the terrain code of the structure's squares.
  const TerrainCode code = terrainCodeOf(terrain, owner);
  std::string_view name = terrainName(code);
  // A gate's terrain id is only its look (every gate drawn with HERO_GATE_1 to 6 has the
  // id of HERO_GATE_3), so it is not named after one gate terrain.
  if (!name.empty() && owner == kHeroPlayer) name = "hero gate";
  r.fields.push_back(
      d.named("structure", terrain, name, at + layout::kStructureTerrain, 1, "structure terrain"));
  r.fields.push_back(d.player("owner", at + layout::kStructureOwner, 1));
  position(d, r, at);
  r.fields.push_back(d.u("variant", at + layout::kStructureVariant, 1));
}

constexpr std::array<ElementKind, 7> kThingElements = {{
    {chunk::kThingCreature, layout::kCreatureRecordSize, decodeCreature},
    {chunk::kThingObject, layout::kObjectRecordSize, decodeObject},
    {chunk::kThingDoor, layout::kDoorRecordSize, decodeDoor},
    {chunk::kThingTrap, layout::kTrapRecordSize, decodeTrap},
    {chunk::kThingArea, layout::kAreaRecordSize, decodeArea},
    {chunk::kThingHeroBand, layout::kBandRecordSize, decodeBand},
    {chunk::kThingStructure, layout::kStructureRecordSize, decodeStructure},
}};

// The structures owned by the hero player among the elements the walk will decode, counted
// before it: the areas, which come first, are named after them.
std::int64_t countHeroGates(Decoder& d) {
  const Chunk* body = topChunk(d.out(), 2);
  if (body == nullptr) return 0;
  const std::size_t end = dataEnd(*body, d.size());
  std::int64_t gates = 0;
  for (std::size_t at = dataBegin(*body); d.has(at, kChunkHeaderSize, end);) {
    const std::size_t size = d.u32(at + 4);
    if (size > end - at - kChunkHeaderSize) break;
    if (d.u32(at) == chunk::kThingStructure && size == layout::kStructureRecordSize &&
        d.u8(at + kChunkHeaderSize + layout::kStructureOwner) == kHeroPlayer) {
      ++gates;
    }
    at += kChunkHeaderSize + size;
    d.reached(at);
  }
  return gates;
}

}  // namespace

void decodeThings(Decoder& d) {
  const std::int64_t announced = decodeInformation(d, topChunk(d.out(), 1));
  d.heroGates = countHeroGates(d);
  walkElements(d, 2, kThingElements);
  if (const Chunk* body = topChunk(d.out(), 2)) {
    checkCount(d, announced, elementCount(*body), dataBegin(d.out().chunks[1]), "elements");
  }
}

}  // namespace ts::inspect
