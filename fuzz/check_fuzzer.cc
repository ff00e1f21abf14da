// Fuzz target: any bytes as a map text, through the checker and the compiler, in memory. The
// checker reports an error exactly when the compiler rejects the text; every level the compiler
// accepts decodes in the inspector without a single problem, each file as the kind it is.
// Crashes, hangs, leaks, sanitizer reports and disagreements are findings.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "check.h"
#include "driver/compile.h"
#include "inspection.h"

namespace {

// The kinds of the compiler's six files, in the order it builds them.
constexpr std::array<ts::inspect::FileKind, 6> kFileKinds = {
    ts::inspect::FileKind::kMap,       ts::inspect::FileKind::kTriggers,
    ts::inspect::FileKind::kThings,    ts::inspect::FileKind::kPlayers,
    ts::inspect::FileKind::kVariables, ts::inspect::FileKind::kLevelInfo};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "check_fuzzer: %s\n", what);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ts::NameMaps names;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::vector<ts::check::Diagnostic> diagnostics = ts::check::checkMap(text, names);
  for (const ts::check::Diagnostic& d : diagnostics) {
    if (d.line < 1 || d.column < 1) fail("a diagnostic before the first line or column");
    static_cast<void>(ts::check::format("fuzz.txt", d));
  }
  const bool error = std::any_of(
      diagnostics.begin(), diagnostics.end(),
      [](const ts::check::Diagnostic& d) { return d.severity == ts::check::Severity::kError; });

  const ts::CompileResult result = ts::compileMap(text, names);
  if (error && result.valid) fail("the checker reports an error, the compiler accepts the map");
  if (!error && !result.valid) fail("the compiler rejects the map, the checker reports no error");
  if (!result.valid) return 0;

  if (result.files.size() != kFileKinds.size()) fail("a valid level without its six files");
  for (std::size_t i = 0; i < kFileKinds.size(); ++i) {
    const ts::Bytes& bytes = result.files[i].bytes;
    const ts::inspect::Inspection in =
        ts::inspect::inspect(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
    if (!in.wellFormed()) {
      std::fprintf(stderr, "check_fuzzer: %s at %zu: %s\n", result.files[i].name.c_str(),
                   in.problems.front().offset, in.problems.front().message.c_str());
      fail("the inspector finds a problem in a compiled file");
    }
    if (in.kind != kFileKinds[i]) fail("the inspector decodes a compiled file as another kind");
  }
  return 0;
}
