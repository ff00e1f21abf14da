// Helpers shared by the inspector's tests: compiling the example maps in memory, picking a
// level file by its name's ending, and reading decoded fields back as short strings.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/inspection.h"
#include "driver/compile.h"
#include "testing/read_file.h"

namespace ts::inspect::testing {

using ts::testing::readExample;

// The map texts in examples/, by file name.
inline std::vector<std::string> exampleNames() {
  std::vector<std::string> names;
  const std::filesystem::path dir = std::filesystem::path(TUNNELSMITH_SOURCE_DIR) / "examples";
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".txt") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The bytes of the compiled file whose name ends with `suffix` ("Things.kld", ".kwd").
inline Bytes fileEndingWith(const CompileResult& result, std::string_view suffix) {
  for (const LevelFile& f : result.files) {
    if (f.name.size() >= suffix.size() &&
        f.name.compare(f.name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return f.bytes;
    }
  }
  ADD_FAILURE() << "no compiled file ends with " << suffix;
  return {};
}

inline Bytes compiledFile(std::string_view mapText, std::string_view suffix) {
  const CompileResult result = compileMap(mapText);
  EXPECT_TRUE(result.valid) << result.console;
  return fileEndingWith(result, suffix);
}

// A field as the tests compare it: its name when it has one, else its number or text.
inline std::string show(const Field* f) {
  if (f == nullptr) return "(absent)";
  if (!f->text.empty() || f->isText) return f->text;
  return std::to_string(f->value);
}

inline std::vector<const Record*> recordsOf(const Inspection& in, std::string_view kind) {
  std::vector<const Record*> out;
  for (const Record& r : in.records) {
    if (r.kind == kind) out.push_back(&r);
  }
  return out;
}

// "name=value ..." for the listed fields of a record, in the listed order.
inline std::string fieldsOf(const Record& r, const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ' ';
    text += name + "=" + show(r.find(name));
  }
  return text;
}

inline bool hasProblemAt(const Inspection& in, std::size_t offset, std::string_view words) {
  for (const Problem& p : in.problems) {
    if (p.offset == offset && p.message.find(words) != std::string::npos) return true;
  }
  return false;
}

inline std::string problemsText(const Inspection& in) {
  std::string text;
  for (const Problem& p : in.problems) text += std::to_string(p.offset) + ": " + p.message + "\n";
  return text;
}

}  // namespace ts::inspect::testing
