// The preview's colours and font: every terrain, owner and room can be told apart, gates and
// the map border stand out, and every legend label can be drawn.
#include "palette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "font.h"

namespace ts::preview {
namespace {

std::tuple<int, int, int> key(Rgb c) { return {c.r, c.g, c.b}; }

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

double distance(Rgb a, Rgb b) {
  const auto d = [](int x, int y) { return static_cast<double>((x - y) * (x - y)); };
  return std::sqrt(d(a.r, b.r) + d(a.g, b.g) + d(a.b, b.b));
}

TEST(PaletteTest, EachGateAndTheMapBorderStandApartFromEveryOtherTerrain) {
  const TileLook border = tileLook(0x0101021E);  // MAP_BORDER
  std::set<std::tuple<int, int, int>> gateFills;
  std::set<std::tuple<int, int, int>> otherFills;
  for (const NameValue& t : kTerrainTable) {
    SCOPED_TRACE(std::string(t.name));
    const TileLook look = tileLook(t.value);
    EXPECT_EQ(isGateTerrain(t.value), startsWith(t.name, "HERO_GATE_"));
    if (isGateTerrain(t.value)) {
      EXPECT_EQ(look.frame, kGateFrame);
      gateFills.insert(key(look.fill));
      continue;
    }
    EXPECT_NE(look.frame, kGateFrame);
    otherFills.insert(key(look.fill));
    if (t.name != "MAP_BORDER") {
      EXPECT_NE(look.fill, border.fill);
    }
  }
  EXPECT_EQ(border.fill, kMapBorderFill);
  EXPECT_EQ(gateFills.size(), 10u);
  for (const auto& fill : gateFills) EXPECT_EQ(otherFills.count(fill), 0u);
}

// A grid character without terrain is striped in a colour far from every terrain's and owner's,
// solid rock's above all, and is not what a square the reader never read looks like.
TEST(PaletteTest, UnknownTerrainIsAWarningUnlikeAnyTerrain) {
  const TileLook unknown = tileLook(kUnknownTerrainCode);
  ASSERT_TRUE(unknown.stripes.has_value());
  for (const NameValue& t : kTerrainTable) {
    SCOPED_TRACE(std::string(t.name));
    EXPECT_GT(distance(unknown.fill, tileLook(t.value).fill), 80.0);
  }
  for (std::int32_t player = kHeroPlayer; player < kFirstKeeperPlayer + 4; ++player) {
    EXPECT_GT(distance(unknown.fill, ownerHue(player)), 80.0) << player;
  }
  EXPECT_GT(distance(unknown.fill, tileLook(kNotReadCode).fill), 80.0);
}

// The keepers' hues mark what a keeper owns, so no terrain of its own colour comes near them;
// each keeper's heart is drawn in a shade of its own hue.
TEST(PaletteTest, KeeperHuesAreKeptForKeepers) {
  for (const NameValue& t : kTerrainTable) {
    const bool ownerTinted = t.name.ends_with("CLAIMED_SQ") || t.name.ends_with("OWNED_ROCK") ||
                             t.name.ends_with("_HEART");
    if (ownerTinted) continue;
    for (std::int32_t keeper = kFirstKeeperPlayer; keeper <= kFirstKeeperPlayer + 3; ++keeper) {
      EXPECT_GT(distance(tileLook(t.value).fill, ownerHue(keeper)), 60.0)
          << t.name << " near keeper " << keeper;
    }
  }
  for (std::int32_t keeper = kFirstKeeperPlayer; keeper <= kFirstKeeperPlayer + 3; ++keeper) {
    const TerrainCode heart = 0x0101000E | (keeper << 8);
    const Rgb fill = tileLook(heart).fill;
    for (std::int32_t other = kFirstKeeperPlayer; other <= kFirstKeeperPlayer + 3; ++other) {
      if (other != keeper) {
        EXPECT_LT(distance(fill, ownerHue(keeper)), distance(fill, ownerHue(other)))
            << "heart of keeper " << keeper << " against " << other;
      }
    }
  }
}

TEST(PaletteTest, OwnersHaveDistinctHuesAndClaimedFloors) {
  std::set<std::tuple<int, int, int>> hues;
  std::set<std::tuple<int, int, int>> floors;
  for (std::int32_t player = kHeroPlayer; player <= kFirstKeeperPlayer + 3; ++player) {
    hues.insert(key(ownerHue(player)));
    const TileLook floor = tileLook(0x01010008 | (player << 8));  // <owner>_CLAIMED_SQ
    EXPECT_FALSE(floor.frame.has_value()) << player;
    floors.insert(key(floor.fill));
  }
  EXPECT_EQ(hues.size(), 6u);
  EXPECT_EQ(floors.size(), 6u);
  // Keeper 1's floor reads as red, keeper 2's as blue.
  const Rgb k1 = tileLook(0x01010308).fill;
  const Rgb k2 = tileLook(0x01010408).fill;
  EXPECT_GT(k1.r, k1.g + 50);
  EXPECT_GT(k1.r, k1.b + 50);
  EXPECT_GT(k2.b, k2.r + 50);
  EXPECT_GT(k2.b, k2.g + 50);
}

TEST(PaletteTest, RoomsHaveDistinctColoursAndAFrameInTheOwnersHue) {
  for (std::string_view prefix : {"KPR1_", "KPR4_", "HERO_", "NEUTRAL_"}) {
    std::set<std::tuple<int, int, int>> rooms;
    std::size_t count = 0;
    for (const NameValue& t : kTerrainTable) {
      if (!startsWith(t.name, prefix) || t.name.ends_with("CLAIMED_SQ") ||
          t.name.ends_with("OWNED_ROCK") || startsWith(t.name, "HERO_GATE") ||
          t.name == "HERO_REST_AREA") {
        continue;
      }
      SCOPED_TRACE(std::string(t.name));
      const TileLook look = tileLook(t.value);
      ASSERT_TRUE(look.frame.has_value());
      EXPECT_EQ(*look.frame, ownerHue(ownerOf(t.value)));
      EXPECT_TRUE(isOwnedTerrain(t.value));
      rooms.insert(key(look.fill));
      ++count;
    }
    EXPECT_EQ(count, 18u) << prefix;
    EXPECT_EQ(rooms.size(), count) << prefix;
  }
}

TEST(PaletteTest, UnownedTerrainsHaveDistinctColours) {
  const std::vector<std::string_view> names = {"SOLID_ROCK", "ROCK",       "UNCLAIMED",
                                               "WATER",      "LAVA",       "GOLD",
                                               "GEMS",       "MAP_BORDER", "HERO_REST_AREA"};
  std::set<std::tuple<int, int, int>> fills;
  for (const NameValue& t : kTerrainTable) {
    for (std::string_view name : names) {
      if (t.name == name) {
        fills.insert(key(tileLook(t.value).fill));
        EXPECT_FALSE(isOwnedTerrain(t.value)) << name;
      }
    }
  }
  EXPECT_EQ(fills.size(), names.size());
}

TEST(FontTest, EveryTerrainNameAndLegendWordHasGlyphs) {
  std::vector<std::string> labels = {"HEART CENTRE",     "LOCKED DOOR",      "GATES (RELEASE 1-2)",
                                     "AREA (RELEASE 3)", "12X10, 2 KEEPERS", "Lair1"};
  for (const NameValue& t : kTerrainTable) labels.emplace_back(t.name);
  for (std::int32_t player = kHeroPlayer; player <= kFirstKeeperPlayer + 3; ++player) {
    labels.push_back(ownerLabel(player));
  }
  for (const std::string& label : labels) {
    for (char c : label) EXPECT_TRUE(hasGlyph(c)) << label << " '" << c << "'";
  }
  EXPECT_FALSE(hasGlyph('~'));
  EXPECT_EQ(textWidth("", 1), 0);
  EXPECT_EQ(textWidth("12", 2), 2 * (2 * kGlyphAdvance - 1));
}

}  // namespace
}  // namespace ts::preview
