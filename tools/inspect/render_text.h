// The inspector's text: a file's chunks, records and problems, and two files' differences,
// for people; the same content as the JSON of render/inspection_json.h.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include "decoding/diff.h"
#include "decoding/inspection.h"

namespace ts::inspect {

void renderText(const std::string& path, const Inspection& in, std::ostream& out);
// The same text for a file's bytes, without holding its records: each is drawn as it is decoded
// (a things file of a million records). True when the file is well-formed.
bool renderText(const std::string& path, std::span<const std::uint8_t> bytes, std::ostream& out);
void renderDiffText(const std::string& pathA, const Inspection& a, const std::string& pathB,
                    const Inspection& b, const DiffResult& result, std::ostream& out);

// A field's value as the text renderer prints it: a name where there is one ("TROLL", "P1"),
// the number and its meaning where the meaning is a phrase ("1 (hero gate 1)"), quoted text.
[[nodiscard]] std::string formatValue(const Field& f);

}  // namespace ts::inspect
