// Fuzz target: any bytes as a map text. A text the compiler accepts is compiled, its six level
// files are decompiled, and the decompiled text is compiled again: it must be accepted and give
// the same six files byte for byte, and the decompiler must find nothing the text cannot hold.
// Crashes, hangs, sanitizer reports and any difference are findings.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "decompile/decompile.h"
#include "driver/compile.h"

namespace {

[[noreturn]] void fail(const char* what, const ts::decompile::Decompilation& result) {
  for (const ts::decompile::Finding& f : result.findings) {
    std::fprintf(stderr, "%s @%zu: %s\n", std::string(ts::decompile::fileSuffix(f.file)).c_str(),
                 f.offset, f.message.c_str());
  }
  std::fprintf(stderr, "decompile_fuzzer: %s\n--- decompiled text ---\n%s\n", what,
               result.text.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ts::NameMaps names;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ts::CompileResult first = ts::compileMap(text, names);
  if (!first.valid) return 0;
  ts::decompile::LevelBytes files;
  for (std::size_t f = 0; f < ts::decompile::kLevelFileCount; ++f) files[f] = first.files[f].bytes;
  const ts::decompile::Decompilation result = ts::decompile::decompile(files);
  if (result.damaged) fail("the compiler's own files are called damaged", result);
  if (!result.findings.empty()) fail("the text does not hold the compiler's files", result);
  const ts::CompileResult second = ts::compileMap(result.text, names);
  if (!second.valid) fail("the decompiled text does not compile", result);
  for (std::size_t f = 0; f < ts::decompile::kLevelFileCount; ++f) {
    if (second.files[f].name != first.files[f].name ||
        second.files[f].bytes != first.files[f].bytes) {
      fail("the decompiled text compiles to other files", result);
    }
  }
  return 0;
}
