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

::testing::AssertionResult acceptedQuietly(const Outcome& o) {
  if (o.level.isValid && o.console.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << (o.level.isValid ? "accepted" : "rejected") << " the level and printed: " << o.console;
}

}  // namespace ts::testing
