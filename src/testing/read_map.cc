#include "testing/read_map.h"

#include <sstream>

namespace ts::testing {

const NameMaps& names() {
  static const NameMaps maps;
  return maps;
}

Outcome readMap(const std::string& text) {
  std::ostringstream console;
  Outcome o{LevelDescription(text, names(), console), {}};
  o.console = console.str();
  return o;
}

}  // namespace ts::testing
