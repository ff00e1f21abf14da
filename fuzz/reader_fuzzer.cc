// Fuzz target: any bytes as a map text, through the whole reader and, for a valid level, all
// six writers, in memory. Crashes, hangs, leaks and sanitizer reports are findings.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driver/compile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ts::NameMaps names;
  const ts::CompileResult result =
      ts::compileMap(std::string_view(reinterpret_cast<const char*>(data), size), names);
  // A valid level always carries its six files.
  if (result.valid && result.files.size() != 6) __builtin_trap();
  return 0;
}
