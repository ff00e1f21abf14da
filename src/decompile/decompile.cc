// The decompiler's steps: the inspector decodes and checks each file, the decoding steps turn
// them into the text's sections, and the text is compiled again and compared with the files,
// so that whatever the text could not hold is found, wherever it hides.
#include "decompile/decompile.h"

#include "decoding/diff.h"
#include "decompile/level_text.h"
#include "driver/compile.h"
#include "format/level_files.h"

namespace ts::decompile {

namespace {

constexpr std::array<inspect::FileKind, kLevelFileCount> kKinds = {
    inspect::FileKind::kMap,     inspect::FileKind::kTriggers,  inspect::FileKind::kThings,
    inspect::FileKind::kPlayers, inspect::FileKind::kVariables, inspect::FileKind::kLevelInfo};

std::string shown(const inspect::Field& f) {
  if (f.isText) return "\"" + f.text + "\"";
  if (f.text.empty()) return std::to_string(f.value);
  return f.text;
}

// One finding for each difference between a file and the file the text compiles to.
void compare(LevelFile file, std::span<const std::uint8_t> original,
             std::span<const std::uint8_t> rebuilt, Findings& findings) {
  if (std::equal(original.begin(), original.end(), rebuilt.begin(), rebuilt.end())) return;
  const inspect::Inspection a = inspect::inspect(original);
  const inspect::Inspection b = inspect::inspect(rebuilt);
  if (a.kind != b.kind) {
    findings.add(file, 0, "the text compiles to another kind of file here");
    return;
  }
  const inspect::DiffResult result = inspect::diff(a, original, b, rebuilt);
  for (const inspect::Difference& d : result.differences) {
    std::size_t offset = d.offsetA.value_or(original.size());
    std::string text = d.label;
    if (d.isByteRun()) {
      if (d.bytesA) {
        offset = d.bytesA->first;
        text += ": bytes " + std::to_string(d.bytesA->first) + ".." +
                std::to_string(d.bytesA->last) +
                (d.bytesB ? " come out different from the text" : " are not made by the text");
      } else {
        text += ": the text makes " + std::to_string(d.bytesB->last - d.bytesB->first + 1) +
                " bytes more";
      }
    } else if (d.field.empty()) {
      if (!d.description.empty()) text += " (" + d.description + ")";
      text += d.offsetA ? ": the text does not make it" : ": the text makes it in addition";
    } else {
      if (d.a) offset = d.a->offset;
      text += ": " + d.field + " " + (d.a ? shown(*d.a) : "(absent)") + ", the text makes " +
              (d.b ? shown(*d.b) : "(absent)");
    }
    findings.add(file, offset, text);
  }
  const std::size_t unlisted =
      (result.squaresChanged > inspect::kMaxListedSquares
           ? result.squaresChanged - inspect::kMaxListedSquares
           : 0) +
      (result.byteRuns > inspect::kMaxListedByteRuns ? result.byteRuns - inspect::kMaxListedByteRuns
                                                     : 0);
  if (unlisted != 0) {
    findings.add(file, original.size(),
                 std::to_string(unlisted) + " more squares or runs of bytes differ");
  }
}

}  // namespace

Decompilation decompile(const LevelBytes& files) {
  Decompilation result;
  Findings findings;
  DecodedFiles decoded{files, {}};
  for (std::size_t f = 0; f < kLevelFileCount; ++f) {
    const auto file = static_cast<LevelFile>(f);
    inspect::Inspection& in = decoded.inspections[f];
    in = inspect::inspect(files[f]);
    for (const inspect::Problem& p : in.problems) findings.add(file, p.offset, p.message, true);
    if (in.kind != kKinds[f] && in.problems.empty()) {
      findings.add(file, 0,
                   "a " + std::string(inspect::fileKindName(in.kind)) + " file, not the " +
                       std::string(inspect::fileKindName(kKinds[f])) + " file of the level");
    }
    if (!in.wellFormed() || in.kind != kKinds[f]) {
      result.damaged = true;
      findings.silence(file);
      // Records of another kind of file would be read as this one's.
      if (in.kind != kKinds[f]) {
        in = inspect::Inspection{};
        in.problems.push_back({0, "another kind of file"});
      }
    }
  }
  LevelText level;
  decodeLevel(decoded, level, findings);
  result.text = writeMapText(level, findings);

  // The proof: compile the text and compare every byte.
  const CompileResult compiled = compileMap(result.text);
  if (!compiled.valid || compiled.files.size() != kLevelFileCount) {
    findings.add(kMapFile, 0, "the text does not compile: " + compiled.console, true);
  } else {
    for (std::size_t f = 0; f < kLevelFileCount; ++f) {
      compare(static_cast<LevelFile>(f), files[f], compiled.files[f].bytes, findings);
    }
  }
  result.findings = findings.take();
  return result;
}

}  // namespace ts::decompile
