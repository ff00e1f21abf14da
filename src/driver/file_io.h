// Whole-file reading and writing for the driver and the tools.
#pragma once

#include <string>

#include "writers/le_encoding.h"

namespace ts {

// Reads a whole file into `text`; false when it cannot be opened or read (a directory, say).
[[nodiscard]] bool readWholeFile(const std::string& path, std::string& text);
// Creates or truncates `path` and writes `bytes`; on failure false, with the reason.
[[nodiscard]] bool writeWholeFile(const std::string& path, const Bytes& bytes, std::string& reason);

}  // namespace ts
