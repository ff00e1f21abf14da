// Plain records that the reader appends to the level, one per accepted entry of the map text.
// All integers are 32-bit signed, as read; the writers narrow them where a file field is small.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace ts {

// Arithmetic on values read from the text wraps to 32 bits as the file fields do, instead of
// overflowing.
[[nodiscard]] constexpr std::int32_t wrap32(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

// One THINGS entry: an object or magic item lying on the map.
struct ObjectEntry {
  std::int32_t owner = 2;  // always the neutral player
  std::int32_t objectId = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct CreatureEntry {
  std::int32_t owner = 0;
  std::int32_t creatureId = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t level = 0;
};

struct DoorEntry {
  std::int32_t owner = 0;
  std::int32_t doorId = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool locked = false;
};

struct TrapEntry {
  std::int32_t owner = 0;
  std::int32_t trapId = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

inline constexpr std::uint8_t kBandMemberCode = 45;
inline constexpr std::size_t kMaxBandMembers = 16;

struct BandMember {
  std::int32_t level = 0;
  std::int32_t creatureId = 0;
  std::uint8_t memberCode = kBandMemberCode;
  std::int32_t owner = 0;  // the band's keeper player, or 0
};

struct HeroBand {
  std::vector<BandMember> members;  // at most kMaxBandMembers
};

// A hero entrance area: a rectangle of squares, bounds inclusive.
struct EntranceArea {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct GateExtent {
  std::int32_t left = -1;  // -1: no extent
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  [[nodiscard]] bool present() const { return left != -1; }
};

// The location of a gate's inner corner, as the destroy-gate action carries it: right - 1 in the
// low 16 bits, bottom - 1 in the high 16 bits.
[[nodiscard]] constexpr std::int32_t packGateCorner(const GateExtent& e) {
  const auto x = static_cast<std::uint32_t>(static_cast<std::uint16_t>(e.right - 1));
  const auto y = static_cast<std::uint32_t>(static_cast<std::uint16_t>(e.bottom - 1));
  return static_cast<std::int32_t>(x | (y << 16));
}

// The structure style of a hero gate, and of a gate drawn with a gate marker.
inline constexpr std::int32_t kGateStyle = 33;
inline constexpr std::int32_t kMarkerGateStyle = 37;

struct HeroGate {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool autoTrigger = false;
  std::int32_t autoTriggerValue = 0;
  std::int32_t gateVariant = 0;
  std::int32_t gateStyle = kGateStyle;
  GateExtent extent;
};

// Trigger kinds and action types as the game numbers them.
inline constexpr std::int32_t kTriggerTime = 34;
inline constexpr std::int32_t kTriggerSlapCount = 71;
inline constexpr std::int32_t kTriggerControlArea = 40;
inline constexpr std::int32_t kTriggerGateRelease = 1;

inline constexpr std::int32_t kActionHeroRelease = 14;
inline constexpr std::int32_t kActionGrant = 6;
inline constexpr std::int32_t kActionMakeAvailable = 9;
inline constexpr std::int32_t kActionGateLocation = 32;
inline constexpr std::int32_t kActionDestroyGate = 7;

// Categories of the grant actions (the variables file numbers doors and traps the other way).
inline constexpr std::int32_t kActionCategoryRoom = 1;
inline constexpr std::int32_t kActionCategoryDoor = 3;
inline constexpr std::int32_t kActionCategoryTrap = 4;
inline constexpr std::int32_t kActionCategorySpell = 5;

struct TriggerAction {
  std::int32_t actionType = 0;
  std::int32_t arg1 = 0;
  std::int32_t arg2 = 0;
  std::int32_t arg3 = 0;
  std::int32_t arg4 = 0;
  std::int32_t arg5 = 0;

  friend bool operator==(const TriggerAction&, const TriggerAction&) = default;
};

// What a trigger element watches: its kind, five parameters and a value. The TRIGGERS section
// gives them, and the compiler adds triggers of its own with the same fields.
struct TriggerCondition {
  std::int32_t kind = 0;
  std::int32_t param1 = 1;
  std::int32_t param2 = 5;
  std::int32_t param3 = 0;
  std::int32_t param4 = 0;
  std::int32_t param5 = 0;
  std::int32_t value = 0;
};

struct Trigger : TriggerCondition {
  std::vector<TriggerAction> actions;
  bool releasesAtGate = false;
  std::set<std::int32_t> releaseGates;  // 0-based indexes of the gates released at
};

// Availability of a room, trap, door or keeper spell for one keeper.
using Availability = std::int32_t;
inline constexpr Availability kNotAvailable = 1;  // NO
inline constexpr Availability kMustResearch = 2;  // MUST_RESEARCH
inline constexpr Availability kStartWith = 3;     // START_WITH

// One keeper's table: id -> count or availability, ascending by id.
using KeeperTable = std::map<std::int32_t, std::int32_t>;

}  // namespace ts
