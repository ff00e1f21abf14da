// The stamp rows of every file with an information chunk: the row of the level's player count,
// the last row for any other count. The bytes are written out here as the game's own levels
// hold them, not taken from the writers' tables, so that a slip in a table shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "format/layouts.h"
#include "model/level_description.h"
#include "testing/chunk_walker.h"
#include "writers/writers.h"

namespace ts {
namespace {

using testing::framed;
using testing::hex;
using testing::slice;

// A level of `players` keepers, each with a heart; nothing else.
LevelDescription keepers(std::int32_t players) {
  LevelDescription level;
  level.levelName = "Lv1";
  level.playerCount = players;
  level.isValid = true;
  for (std::size_t k = 0; k < 4 && k < static_cast<std::size_t>(std::max(players, 0)); ++k) {
    level.heartCenterSet[k] = true;
    level.heartCenterX[k] = static_cast<std::int32_t>(10 * (k + 1));
    level.heartCenterY[k] = static_cast<std::int32_t>(20 * (k + 1));
  }
  return level;
}

TEST(Stamps, EveryFileTakesTheRowOfItsPlayerCountAndTheLastForAnyOther) {
  struct FileStamps {
    const char* file;
    Bytes (*build)(const LevelDescription&);
    std::size_t offset;
    std::array<const char*, 4> rows;  // for one, two, three and four keepers
  };
  const FileStamps files[] = {
      {"level information",
       buildLevelInfoFile,
       layout::kStampRow,
       {"CF 07 04 06 00 00 0D 16 2F 9F CF 07 04 06 74 81 0D 16 2F 00",
        "CF 07 06 06 00 00 0C 35 2E 00 CF 07 06 06 00 00 0C 35 2E 00",
        "CF 07 08 06 00 00 0F 05 09 00 CF 07 08 06 00 00 0F 05 09 00",
        "CF 07 0E 07 00 00 0D 0F 05 00 CF 07 0E 07 00 00 0D 0F 05 00"}},
      {"triggers",
       buildTriggersFile,
       layout::kTriggersStampRow,
       {"CF 07 04 06 5C 4C 0D 16 2E 6C CF 07 04 06 69 67 0D 16 2E 73",
        "CF 07 06 06 5C 42 0C 35 2E 6C CF 07 06 06 6B 54 0C 35 2E 67",
        "CF 07 08 06 5C 4F 0F 05 08 61 CF 07 08 06 54 72 0F 05 08 65",
        "CF 07 0E 07 5C 4F 0D 0F 05 70 CF 07 0E 07 69 67 0D 0F 05 73"}},
      {"things",
       buildThingsFile,
       layout::kStampRow,
       {"CF 07 04 06 A0 F0 0D 16 2F 98 CF 07 04 06 00 00 0D 16 2F 00",
        "CF 07 06 06 18 F2 0C 35 2E 98 CF 07 06 06 00 00 0C 35 2E 00",
        "CF 07 08 06 9C F0 0F 05 09 98 CF 07 08 06 00 00 0F 05 09 00",
        "CF 07 0E 07 1C F2 0D 0F 05 98 CF 07 0E 07 00 00 0D 0F 05 00"}},
      {"players",
       buildPlayersFile,
       layout::kStampRow,
       {"CF 07 04 06 6B 6C 0D 16 2E 00 CF 07 04 06 00 00 0D 16 2E 00",
        "CF 07 06 06 72 73 0C 35 2D 64 CF 07 06 06 00 00 0C 35 2D 00",
        "CF 07 08 06 73 2E 0F 05 08 00 CF 07 08 06 00 00 0F 05 08 00",
        "CF 07 0E 07 6B 6C 0D 0F 04 00 CF 07 0E 07 00 00 0D 0F 04 00"}},
      {"variables",
       buildVariablesFile,
       layout::kStampRow,
       {"CF 07 04 06 5C 45 0D 16 2F 6F CF 07 04 06 70 73 0D 16 2F 76",
        "CF 07 06 06 5C 45 0C 35 2E 6F CF 07 06 06 70 73 0C 35 2E 74",
        "CF 07 08 06 5C 45 0F 05 09 6F CF 07 08 06 70 73 0F 05 09 73",
        "CF 07 0E 07 5C 45 0D 0F 05 6F CF 07 0E 07 70 73 0D 0F 05 79"}},
  };
  struct Count {
    std::int32_t players;
    std::size_t row;
  };
  const Count counts[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {0, 3}, {5, 3}, {258, 3}};
  for (const FileStamps& f : files) {
    for (const Count& c : counts) {
      SCOPED_TRACE(std::string(f.file) + " file, player count " + std::to_string(c.players));
      const Bytes file = framed(f.build(keepers(c.players)));
      EXPECT_EQ(hex(slice(file, f.offset, sizeof(StampPair))), f.rows[c.row]);
    }
  }
}

}  // namespace
}  // namespace ts
