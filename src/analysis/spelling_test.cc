// "Did you mean": a typo within one edit in three letters, a name in the wrong case or with a
// part added or dropped finds its name; anything further finds none.
#include "analysis/spelling.h"

#include <gtest/gtest.h>

namespace ts::check {
namespace {

TEST(Spelling, ClosestNameWithinOneEditInThreeLetters) {
  const std::vector<std::string_view> names = {
      "IMP",   "TROLL",  "KNIGHT",     "DWARF",      "SCENARIO_DESCRIPTION",
      "WATER", "PORTAL", "MANA_VAULT", "GOLD_VAULT", "HEART_CENTRE"};
  const struct {
    std::string_view word;
    std::string_view expected;
  } cases[] = {
      // typos, within one edit in three letters and no further
      {"TROL", "TROLL"},
      {"IMPP", "IMP"},
      {"KNIHGT", "KNIGHT"},
      {"WATTER", "WATER"},
      {"DWARVES", ""},
      {"XYZ", ""},
      {"SCENARIO_DESCRIPTON", "SCENARIO_DESCRIPTION"},
      {"SCENARIO_DESC", ""},
      // letter case does not count, and a name written as it stands is no typo
      {"troll", "TROLL"},
      {"imp", "IMP"},
      {"Watter", "WATER"},
      {"TROLL", ""},
      // whole '_'-separated parts added or dropped, when only one name fits
      {"KPR1_PORTAL", "PORTAL"},
      {"MANA", "MANA_VAULT"},
      {"VAULT", ""},
      {"CENTRE", "HEART_CENTRE"},
  };
  for (const auto& c : cases) EXPECT_EQ(closestName(c.word, names), c.expected) << c.word;
  EXPECT_EQ(editDistance("KNIHGT", "KNIGHT"), 2u);
  EXPECT_EQ(upperCase("Gold1"), "GOLD1");
}

}  // namespace
}  // namespace ts::check
