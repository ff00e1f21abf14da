#include "testing/large_map.h"

namespace ts::testing {

std::string largeMapText(const LargeMapShape& s) {
  std::string text = s.name + "\nPlayers 1\nSize " + std::to_string(s.width) + " x " +
                     std::to_string(s.height) + "\n";
  text.reserve(s.width * s.height + s.height + 24 * s.creatures + 40 * s.triggers + 512);
  for (std::size_t r = 0; r < s.height; ++r) {
    for (std::size_t c = 0; c < s.width; ++c) {
      const bool border = r == 0 || c == 0 || r + 1 == s.height || c + 1 == s.width;
      const bool heart = r >= 2 && r <= 4 && c >= 2 && c <= 4;
      text += border ? '#' : heart ? 'h' : '.';
    }
    text += '\n';
  }
  text += "MAP_CODES\n3\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nh KPR1_HEART\n";
  text += "THINGS\n1\nTH_CHICKEN_COOP 6 6\nCREATURES\n" + std::to_string(s.creatures) + "\n";
  for (std::size_t i = 0; i < s.creatures; ++i) {
    text += "IMP " + std::to_string(1 + i % (s.width - 2)) + " " +
            std::to_string(1 + i / (s.width - 2) % (s.height - 2)) + " L" +
            std::to_string(1 + i % 10) + " P1\n";
  }
  text += "DOORS\n0\nTRAPS\n0\nHEARTS_AND_GOLD\nKPR1_HEART_CENTER 3 3\nGOLD1 5000\n";
  text += "HERO_BANDS\n0\nAREAS\n0\nHERO_GATES\n0\nTRIGGERS\n" + std::to_string(s.triggers) + "\n";
  for (std::size_t i = 0; i < s.triggers; ++i) {
    text += "TRIGGER_TIME " + std::to_string(100 + i) + "\n1\nACTION_ADD_ROOM P1 TEMPLE\n";
  }
  text += "SCENARIO_DESCRIPTION\nEOF\n";
  return text;
}

}  // namespace ts::testing
