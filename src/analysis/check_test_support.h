// What the checker's tests share: the name tables, a map with one piece replaced, and the line
// and column of a piece of text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "model/vocabulary.h"

namespace ts::check::test_support {

inline const NameMaps& names() {
  static const NameMaps maps;
  return maps;
}

// `text` with the first `from` replaced by `to`; a `from` that is not there fails the test.
inline std::string replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Line and column (both from 1) of the first occurrence of `what` in `text`.
inline std::pair<std::size_t, std::size_t> where(const std::string& text, std::string_view what) {
  const std::size_t at = text.find(what);
  const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;
  return {1 + static_cast<std::size_t>(
                  std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n')),
          at - lineStart + 1};
}

// The line (from 1) that holds byte `offset` of `text`.
inline std::size_t lineAt(const std::string& text, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(
                 text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace ts::check::test_support
