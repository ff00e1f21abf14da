#include "testing/read_map.h"

#include <sstream>

#include "reader/map_reader.h"

namespace ts::testing {

const NameMaps& names() {
  static const NameMaps maps;
  return maps;
}

Outcome readMap(const std::string& text) {
  std::ostringstream console;
  Outcome o{readLevel(text, names(), console), {}};
  o.console = console.str();
  return o;
}

std::string headerAndRows(int players, const std::vector<std::string>& rows) {
  std::string text = "Lv\nPlayers " + std::to_string(players) + "\nSize " +
                     std::to_string(rows.empty() ? 0 : rows.front().size()) + " x " +
                     std::to_string(rows.size()) + "\n";
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

::testing::AssertionResult acceptedQuietly(const Outcome& o) {
  if (o.level.isValid && o.console.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << (o.level.isValid ? "accepted" : "rejected") << " the level and printed: " << o.console;
}

}  // namespace ts::testing
