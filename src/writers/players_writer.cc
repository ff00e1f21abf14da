// The players file: file size (180), information (181: record count, version, stamps) and the
// body (182) of 205-byte player records without headers of their own: the good player, the
// neutral player, then each keeper whose heart the map places.
#include <cassert>
#include <span>

#include "format/layouts.h"
#include "writers/chunk.h"
#include "writers/stamps.h"
#include "writers/writers.h"

namespace ts {

namespace {

// The first 166 bytes of every player record. The gold and the flag in front are set per
// record.
constexpr std::array<std::uint8_t, layout::kPlayerTemplateSize> kPlayerTemplate = {
    0xB8, 0x0B, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x19, 0x03, 0x00,
    0x01, 0x00, 0x0F, 0x01, 0x02, 0x03, 0x04, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
    0x0F, 0x10, 0x00, 0x04, 0xE7, 0x03, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x02,
    0x00, 0x55, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x02, 0x32, 0x00,
    0x64, 0x00, 0x64, 0x00, 0x00, 0x05, 0x01, 0x00, 0x00, 0x00, 0xAF, 0x01, 0x05, 0x0A, 0x64, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x01, 0x0C, 0x74, 0x03, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x01, 0x00, 0x00, 0xB8, 0x0B,
    0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x19, 0x00, 0x01, 0x00, 0x01, 0x00, 0x5E, 0x00,
    0x1E, 0x00, 0x00, 0x01, 0x5A, 0x00,
};

using layout::kPlayerNameWidth;
using layout::kPlayerRecordSize;
constexpr std::int32_t kDefaultGold = 3000;

// Constant screen positions of the four keepers.
constexpr std::array<std::uint16_t, 4> kKeeperX = {26, 76, 76, 26};
constexpr std::array<std::uint16_t, 4> kKeeperY = {26, 76, 26, 76};

void putPlayerRecord(Bytes& out, std::int32_t gold, std::uint8_t flag, std::uint16_t keeperNumber,
                     std::int32_t playerId, std::uint16_t x, std::uint16_t y,
                     std::string_view name) {
  FieldWriter r(out, kPlayerRecordSize);
  r.at(layout::kPlayerGold).i32(gold);
  r.at(layout::kPlayerFlag).u8(flag);
  r.bytes(std::span(kPlayerTemplate).subspan(layout::kPlayerFlag + 1));
  r.at(layout::kPlayerKeeper).u16(keeperNumber);
  r.at(layout::kPlayerId).low8(playerId);
  r.at(layout::kPlayerX).u16(x);
  r.at(layout::kPlayerY).u16(y);
  r.at(layout::kPlayerName).text(name, kPlayerNameWidth);
  assert(r.complete());
}

}  // namespace

Bytes buildPlayersFile(const LevelDescription& level) {
  Bytes body;
  body.reserve(6 * kPlayerRecordSize);
  std::size_t records = 0;
  putPlayerRecord(body, kDefaultGold, 1, 0, kHeroPlayer, 0, 0, "Good Player");
  putPlayerRecord(body, kDefaultGold, 1, 0, kNeutralPlayer, 0, 0, "Neutral Player");
  records += 2;
  static constexpr std::array<std::string_view, 4> kNames = {"Keeper 1", "Keeper 2", "Keeper 3",
                                                             "Keeper 4"};
  for (std::size_t k = 0; k < 4; ++k) {
    if (!level.heartCenterSet[k]) continue;  // keepers keep their numbers, gaps and all
    putPlayerRecord(body, level.keeperGold[k], 0, static_cast<std::uint16_t>(k + 1),
                    static_cast<std::int32_t>(k) + kFirstKeeperPlayer, kKeeperX[k], kKeeperY[k],
                    kNames[k]);
    ++records;
  }
  return frameFile(chunk::kPlayersFile, records, stampRowFor(kPlayersStamps, level.playerCount),
                   body);
}

}  // namespace ts
