// Turning the six level files of one level back into a map text that compiles to the same six
// files, byte for byte, as the decompiler (tunnelsmith-decompile) does. Nothing here reads or
// writes a file. Link Tunnelsmith::tunnelsmith (find_package(Tunnelsmith)) to use it.
//
// The results are plain values that own their data. Every function may be called from several
// threads at once; none throws, and no input makes one fail.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "tunnelsmith/compile.h"
#include "tunnelsmith/inspect.h"

namespace tunnelsmith {

// Something of a file that the text does not hold as it is.
struct Finding {
  std::size_t file = 0;  // index of the file in the compiler's order (0 the map file)
  std::size_t offset = 0;
  std::string message;
};

struct Decompilation {
  std::string text;  // the map text; always one the compiler reads
  // Empty: the text was compiled again and gave the same six files, byte for byte.
  std::vector<Finding> findings;
  bool damaged = false;  // a file is not well-formed (its problems are findings)

  [[nodiscard]] bool exact() const { return findings.empty(); }
};

// Decompiles the six files of a level, given in the compiler's order: map, triggers, things,
// players, variables and level information (the order of CompileResult::files). Files another
// tool wrote, or damaged ones, are decompiled as far as a map text can hold them, and every
// thing left out or changed is a finding with its file and offset.
[[nodiscard]] Decompilation decompileLevel(const std::array<ByteView, 6>& files);
// The same for files as compileMap returns them; anything but six files is a finding.
[[nodiscard]] Decompilation decompileLevel(const std::vector<LevelFile>& files);

}  // namespace tunnelsmith
