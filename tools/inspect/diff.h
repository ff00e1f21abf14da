// Comparing two level files of the same kind record by record. Records of one kind are
// aligned as a text diff aligns lines, so that one inserted creature does not make every later
// creature differ; paired records are compared field by field, by name (a hero band's members
// likewise). Map squares are compared by position.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "inspection.h"

namespace ts::inspect {

struct Difference {
  std::string label;       // "creature 2", "hero band 1, member 3", "square (4, 5)"
  std::string record;      // the record kind, or "square"
  std::size_t number = 0;  // the record's number in A, or in B when A lacks it
  std::size_t part = 0;    // 1-based member number, 0 for the record itself
  std::string field;       // empty: the whole record is in one file only
  std::optional<Field> a;  // absent: not in file A
  std::optional<Field> b;
  std::optional<std::size_t> offsetA;  // of the record in A
  std::optional<std::size_t> offsetB;
};

struct DiffResult {
  std::vector<Difference> differences;
  std::size_t squaresChanged = 0;  // all changed squares; only the first few are listed
};

// Squares listed in `differences` at most; the rest are only counted.
inline constexpr std::size_t kMaxListedSquares = 50;

// REQUIRES: a.kind == b.kind.
[[nodiscard]] DiffResult diff(const Inspection& a, const Inspection& b);

}  // namespace ts::inspect
