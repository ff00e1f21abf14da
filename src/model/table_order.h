// Tables indexed by an enumeration list a row for each of its values, in the enumeration's order;
// a static_assert over this check keeps the two together.
#pragma once

#include <cstddef>

namespace ts {

// True when row i of `table` is the row of the value i: `id` names the row's member that holds it.
template <typename Table, typename Row, typename Id>
constexpr bool rowsInIdOrder(const Table& table, Id Row::*id) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (static_cast<std::size_t>(table[i].*id) != i) return false;
  }
  return true;
}

}  // namespace ts
