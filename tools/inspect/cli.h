// The inspector's command line:
//   tunnelsmith-inspect [--json] FILE...      decode and check each file
//   tunnelsmith-inspect [--json] --diff A B   compare two files of the same kind
//   tunnelsmith-inspect --help | --version
// Exit status (cli::kSuccess, kProblems, kUsage): 0 every file well-formed (for --diff: and
// identical), 1 a problem or a difference found, or the report could not be written, 2 a
// usage error or a file that cannot be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "tool_cli.h"

namespace ts::inspect {

// No level file comes near this size (a full map file is under 4 MiB); anything larger is
// refused without being read further, so that a device or pipe that never ends is harmless.
inline constexpr std::size_t kMaxLevelFileSize = std::size_t{256} * 1024 * 1024;

using ReadStatus = ReadResult;

// Reads the whole file at `path` into `bytes`. kUnreadable when it cannot be opened or read
// (a directory, say), kTooLarge when it holds more than `limit` bytes: a regular file is then
// refused by its size, anything else once more than `limit` bytes arrived. `reason` says why
// a file was not read.
[[nodiscard]] ReadStatus readLevelFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                                       std::string& reason, std::size_t limit = kMaxLevelFileSize);

// `args` as main() receives them, the program name first. Reports go to `out`, usage and
// read errors to `err`.
int runInspector(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ts::inspect
