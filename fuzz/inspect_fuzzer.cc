// Fuzz target: any bytes as a level file, through the inspector's decoder, both renderers and
// the comparison, in memory. Crashes, hangs, sanitizer reports, JSON that cannot be encoded,
// a streamed text that differs from the whole one, a streamed comparison that says otherwise
// than the whole one, and a file that differs from itself are findings.
#include <cstddef>
#include <cstdint>
#include <span>
#include <sstream>
#include <vector>

#include "decoding/diff.h"
#include "decoding/inspection.h"
#include "render/inspection_json.h"
#include "render_text.h"

namespace {

// Compared without holding the records, two files differ in the same words as compared whole.
void sameWhenStreamed(const ts::inspect::Inspection& a, std::span<const std::uint8_t> bytesA,
                      const ts::inspect::Inspection& b, std::span<const std::uint8_t> bytesB,
                      const ts::inspect::DiffResult& whole) {
  const ts::inspect::StreamedDiff streamed = ts::inspect::diffStreamed(bytesA, bytesB);
  std::ostringstream expected;
  std::ostringstream found;
  ts::inspect::renderDiffText("a", a, "b", b, whole, expected);
  ts::inspect::renderDiffText("a", streamed.a, "b", streamed.b, streamed.result, found);
  if (found.str() != expected.str()) __builtin_trap();
  if (ts::inspect::diffToJson("a", streamed.a, "b", streamed.b, streamed.result).dump() !=
      ts::inspect::diffToJson("a", a, "b", b, whole).dump()) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const ts::inspect::Inspection in = ts::inspect::inspect(bytes);
  std::ostringstream text;
  ts::inspect::renderText("fuzz", in, text);
  // Drawn record by record, runs of like element chunks kept as one, the text is the same.
  std::ostringstream streamed;
  if (ts::inspect::renderText("fuzz", bytes, streamed) != in.wellFormed()) __builtin_trap();
  if (streamed.str() != text.str()) __builtin_trap();
  // Strict encoding: every text the decoder keeps must already be valid UTF-8.
  (void)ts::inspect::toJson("fuzz", in).dump();
  if (!ts::inspect::diff(in, bytes, in, bytes).differences.empty()) __builtin_trap();
  // The first half of the same bytes: usually a truncated file of the same kind.
  const ts::inspect::Inspection half = ts::inspect::inspect(bytes.first(size / 2));
  if (half.kind == in.kind) {
    const ts::inspect::DiffResult result =
        ts::inspect::diff(in, bytes, half, bytes.first(size / 2));
    // Files that differ in their bytes are never reported identical.
    if (result.differences.empty() && size / 2 != size) __builtin_trap();
    sameWhenStreamed(in, bytes, half, bytes.first(size / 2), result);
  }
  // One byte changed in the middle: the comparison aligns the records around it.
  if (size > 0) {
    std::vector<std::uint8_t> changed(bytes.begin(), bytes.end());
    changed[size / 2] ^= 0x01;
    const ts::inspect::Inspection other = ts::inspect::inspect(changed);
    if (other.kind == in.kind) {
      sameWhenStreamed(in, bytes, other, changed, ts::inspect::diff(in, bytes, other, changed));
    }
  }
  // An input with no problem decodes to a known kind.
  if (in.wellFormed() && in.kind == ts::inspect::FileKind::kUnknown) __builtin_trap();
  return 0;
}
