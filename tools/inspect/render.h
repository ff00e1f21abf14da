// Rendering inspections and differences: readable text for people, JSON for tools. Both
// carry the same content.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "diff.h"
#include "inspection.h"

namespace ts::inspect {

using Json = nlohmann::ordered_json;

void renderText(const std::string& path, const Inspection& in, std::ostream& out);
void renderDiffText(const std::string& pathA, const Inspection& a, const std::string& pathB,
                    const Inspection& b, const DiffResult& result, std::ostream& out);

// One file: {"path", "kind", "length", "wellFormed", "chunks": [{"id", "name", "offset",
// "size", "children"?}], "records": [{"kind", "number", "offset", "fields": {...},
// "members"?}], "map"? {"width", "height", "squares", "terrain": [...]}, "triggerTree"?
// [{"depth", "element", "id", "record": index into "records"}], "problems": [{"offset",
// "message"}]}.
[[nodiscard]] Json toJson(const std::string& path, const Inspection& in);
[[nodiscard]] Json diffToJson(const std::string& pathA, const Inspection& a,
                              const std::string& pathB, const Inspection& b,
                              const DiffResult& result);

// A field's value as the text renderer prints it: a name where there is one ("TROLL", "P1"),
// the number and its meaning where the meaning is a phrase ("1 (hero gate 1)"), quoted text.
[[nodiscard]] std::string formatValue(const Field& f);

}  // namespace ts::inspect
