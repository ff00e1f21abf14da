// Inspections and differences of level files as JSON for tools, with the content the
// inspector's text shows people.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/diff.h"
#include "decoding/inspection.h"

namespace ts::inspect {

using Json = nlohmann::ordered_json;

// One file: {"path", "kind", "length", "wellFormed", "chunks": [{"id", "name", "offset",
// "size", "children"?}], "records": [{"kind", "number", "offset", "fields": {...},
// "members"?, "note"?}], "map"? {"width", "height", "squares", "terrain": [...]}, "triggerTree"?
// [{"depth", "element", "id", "record": index into "records"}], "problems": [{"offset",
// "message"}]}.
[[nodiscard]] Json toJson(const std::string& path, const Inspection& in);

// Writes one JSON document a value at a time, laid out as Json::dump(2) lays it out, so that
// a document of any size is never held whole. Text that is not UTF-8 is replaced.
class JsonStream {
 public:
  explicit JsonStream(std::ostream& out) : out_(out) {}

  // Inside an object `key` names the value; inside an array and at the top it is ignored.
  void beginObject(std::string_view key = {}) { begin(key, '{'); }
  void beginArray(std::string_view key = {}) { begin(key, '['); }
  void value(std::string_view key, const Json& j);
  void value(const Json& j) { value({}, j); }
  // Closes the innermost object or array; after the outermost one, ends the line.
  void end();

 private:
  struct Level {
    char close;
    std::size_t values = 0;
  };
  void begin(std::string_view key, char open);
  // The separator before the next value, its indentation and its key.
  void next(std::string_view key);

  std::ostream& out_;
  std::vector<Level> levels_;
};

// Decodes `bytes` and writes toJson(path, inspect(bytes)) to `out` one record at a time:
// the records are decoded twice (once to learn whether the file is well-formed, which comes
// first) and never all held. Returns whether the file is well-formed.
bool writeJson(const std::string& path, std::span<const std::uint8_t> bytes, JsonStream& out);
[[nodiscard]] Json diffToJson(const std::string& pathA, const Inspection& a,
                              const std::string& pathB, const Inspection& b,
                              const DiffResult& result);

}  // namespace ts::inspect
