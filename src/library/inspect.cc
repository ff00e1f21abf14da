// The public inspector (include/tunnelsmith/inspect.h): the decoding layer's inspections and
// diffs, copied into the public values.
#include "tunnelsmith/inspect.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string>
#include <utility>

#include "decoding/diff.h"
#include "decoding/inspection.h"
#include "decoding/names.h"
#include "library/guarded.h"

namespace tunnelsmith {

namespace {

namespace in = ts::inspect;

std::span<const std::uint8_t> spanOf(ByteView bytes) {
  if (bytes.data == nullptr) return {};
  return {bytes.data, bytes.size};
}

// The decoder's file kinds, at the index of the public kind of the same name.
constexpr in::FileKind kKinds[] = {in::FileKind::kUnknown,  in::FileKind::kMap,
                                   in::FileKind::kTriggers, in::FileKind::kThings,
                                   in::FileKind::kPlayers,  in::FileKind::kVariables,
                                   in::FileKind::kLevelInfo};

FileKind publicKind(in::FileKind kind) {
  const auto* found = std::find(std::begin(kKinds), std::end(kKinds), kind);
  if (found == std::end(kKinds)) return FileKind::kUnknown;
  return static_cast<FileKind>(found - std::begin(kKinds));
}

Field publicField(const in::Field& f) {
  return {std::string(f.name), f.value, f.text, f.isText, f.offset, f.width};
}

Record publicRecord(const in::Record& r) {
  Record result{std::string(r.kind), r.number, r.offset, r.size, {}, {},
                std::string(r.note), r.label};
  result.fields.reserve(r.fields.size());
  for (const in::Field& f : r.fields) result.fields.push_back(publicField(f));
  for (const in::Record& part : r.parts) result.parts.push_back(publicRecord(part));
  return result;
}

Chunk publicChunk(in::FileKind kind, const in::Chunk& c) {
  Chunk result{c.id, std::string(in::chunkName(kind, c.id)), c.offset, c.size, {}};
  for (const in::Chunk& child : c.children) result.children.push_back(publicChunk(kind, child));
  return result;
}

Inspection publicInspection(in::Inspection&& decoded) {
  Inspection result;
  result.kind = publicKind(decoded.kind);
  result.length = decoded.length;
  for (const in::Chunk& c : decoded.chunks) result.chunks.push_back(publicChunk(decoded.kind, c));
  result.records.reserve(decoded.records.size());
  for (const in::Record& r : decoded.records) result.records.push_back(publicRecord(r));
  for (in::Problem& p : decoded.problems)
    result.problems.push_back({p.offset, std::move(p.message)});
  if (decoded.kind == in::FileKind::kMap) {
    result.map = MapGrid{decoded.map.width, decoded.map.height, std::move(decoded.map.cells)};
  }
  return result;
}

std::optional<Field> publicField(const std::optional<in::Field>& f) {
  if (!f) return std::nullopt;
  return publicField(*f);
}

std::optional<ByteRange> publicRange(const std::optional<in::ByteRange>& r) {
  if (!r) return std::nullopt;
  return ByteRange{r->first, r->last};
}

Difference publicDifference(in::Difference&& d) {
  return {std::move(d.label),
          std::move(d.record),
          d.number,
          d.part,
          std::move(d.field),
          std::move(d.description),
          publicField(d.a),
          publicField(d.b),
          d.offsetA,
          d.offsetB,
          publicRange(d.bytesA),
          publicRange(d.bytesB),
          publicRange(d.within),
          d.undecoded};
}

}  // namespace

std::string fileKindName(FileKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return detail::guarded(
      [&] {
        return std::string(
            in::fileKindName(index < std::size(kKinds) ? kKinds[index] : in::FileKind::kUnknown));
      },
      [](const std::string&) { return std::string(); });
}

Inspection inspectLevelFile(ByteView bytes) {
  return detail::guarded([&] { return publicInspection(in::inspect(spanOf(bytes))); },
                         [&](std::string message) {
                           Inspection result;
                           result.length = bytes.size;
                           result.problems.push_back({0, std::move(message)});
                           return result;
                         });
}

LevelFileDiff diffLevelFiles(ByteView a, ByteView b) {
  return detail::guarded(
      [&] {
        const in::Inspection inA = in::inspect(spanOf(a));
        const in::Inspection inB = in::inspect(spanOf(b));
        LevelFileDiff result;
        result.kindA = publicKind(inA.kind);
        result.kindB = publicKind(inB.kind);
        if (inA.kind != inB.kind) {
          result.problems.push_back("cannot compare a " + std::string(in::fileKindName(inA.kind)) +
                                    " file with a " + std::string(in::fileKindName(inB.kind)) +
                                    " file");
          return result;
        }
        in::DiffResult compared = in::diff(inA, spanOf(a), inB, spanOf(b));
        result.comparable = true;
        result.identical = compared.identical;
        result.squaresChanged = compared.squaresChanged;
        result.byteRuns = compared.byteRuns;
        result.differences.reserve(compared.differences.size());
        for (in::Difference& d : compared.differences) {
          result.differences.push_back(publicDifference(std::move(d)));
        }
        return result;
      },
      [](std::string message) {
        LevelFileDiff result;
        result.problems.push_back(std::move(message));
        return result;
      });
}

}  // namespace tunnelsmith
