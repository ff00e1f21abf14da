// "Did you mean": a typo within one edit in three letters finds its name; anything further finds
// none.
#include "analysis/spelling.h"

#include <gtest/gtest.h>

namespace ts::check {
namespace {

TEST(Spelling, ClosestNameWithinOneEditInThreeLetters) {
  const std::vector<std::string_view> names = {"IMP", "TROLL", "KNIGHT", "DWARF",
                                               "SCENARIO_DESCRIPTION"};
  const struct {
    std::string_view word;
    std::string_view expected;
  } cases[] = {
      {"TROL", "TROLL"},     {"IMPP", "IMP"}, {"KNIHGT", "KNIGHT"},
      {"DWARVES", ""},       {"XYZ", ""},     {"SCENARIO_DESCRIPTON", "SCENARIO_DESCRIPTION"},
      {"SCENARIO_DESC", ""}, {"troll", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(closestName(c.word, names), c.expected) << c.word;
  EXPECT_EQ(editDistance("KNIHGT", "KNIGHT"), 2u);
  EXPECT_EQ(upperCase("Gold1"), "GOLD1");
}

}  // namespace
}  // namespace ts::check
