// Comparing two level files of the same kind record by record. Records of one kind are
// aligned as a text diff aligns lines, so that one inserted creature does not make every later
// creature differ; paired records are compared field by field, by name (a hero band's members
// likewise). Map squares are compared by position.
//
// Given the files' bytes, every byte is compared as well: the bytes that no changed field, no
// changed square and no record found in one file only explains are reported as runs of
// differing bytes, under the innermost record, else chunk, that holds them, one run for each
// field or slot of undecoded bytes that holds a part of it, with its place in the record. Paired
// records and chunks are compared byte for byte at the same distance from their start, so bytes
// that only moved do not differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/inspection.h"

namespace ts::inspect {

// File offsets, both included.
struct ByteRange {
  std::size_t first = 0;
  std::size_t last = 0;
  friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

struct Difference {
  // What a designer calls it: "creature 2", "keeper 2", "trigger 1, action 2", "hero band 1,
  // member 3", "square (4, 5)", "body chunk".
  std::string label;
  std::string record;      // the record kind, "square", "chunk" or "file"
  std::size_t number = 0;  // the record's (chunk's) number in A, or in B when A lacks it
  std::size_t part = 0;    // 1-based member number, 0 for the record itself
  // The field that changed or that holds a run of bytes: a decoded field, a slot of undecoded
  // bytes ("flag", "undecoded u32"), a part of a chunk ("chunk size"). Empty: the whole record
  // is in one file only, or a run of bytes after the last chunk.
  std::string field;
  // For a record in one file only: what it is, "TROLL L4, keeper 2, at 12,7"; else empty.
  std::string description;
  // The field's value in A and in B; absent when the record is not in that file. For a run of
  // at most kMaxShownRunBytes bytes in both files, its bytes in hex ("01 00").
  std::optional<Field> a;
  std::optional<Field> b;
  std::optional<std::size_t> offsetA;  // of the record (chunk) in A
  std::optional<std::size_t> offsetB;
  // A run of differing bytes: where it lies in A and in B; only one of them when the bytes are
  // in that file only (a longer record or chunk, bytes after the last chunk).
  std::optional<ByteRange> bytesA;
  std::optional<ByteRange> bytesB;
  // A run's bytes counted from the start of its record or chunk (its header's first byte).
  std::optional<ByteRange> within;
  bool undecoded = false;  // the run lies in bytes that no field decodes

  [[nodiscard]] bool isByteRun() const { return bytesA.has_value() || bytesB.has_value(); }
};

// What a reader would guess wrong about a record kind (how triggers are numbered, say).
struct KindNote {
  std::string_view kind;
  std::string_view note;
};

struct DiffResult {
  std::vector<Difference> differences;
  std::size_t squaresChanged = 0;  // all changed squares; only the first few are listed
  std::size_t byteRuns = 0;        // all runs of differing bytes; only the first few are listed
  bool identical = true;           // with the bytes: the files are equal byte for byte
  // The notes of the record kinds that differ, each once, in the order of the differences.
  std::vector<KindNote> notes;
};

// Squares and runs of bytes listed in `differences` at most; the rest are only counted.
inline constexpr std::size_t kMaxListedSquares = 50;
inline constexpr std::size_t kMaxListedByteRuns = 50;
inline constexpr std::size_t kMaxShownRunBytes = 8;

// The decoded fields only. REQUIRES: a.kind == b.kind.
[[nodiscard]] DiffResult diff(const Inspection& a, const Inspection& b);
// The decoded fields and every byte. REQUIRES: a.kind == b.kind, `a` and `b` decoded from
// `bytesA` and `bytesB` (keeping their records).
[[nodiscard]] DiffResult diff(const Inspection& a, std::span<const std::uint8_t> bytesA,
                              const Inspection& b, std::span<const std::uint8_t> bytesB);

// The notes of the record kinds that differ in `result`, as diff() sets them.
[[nodiscard]] std::vector<KindNote> notesOf(const DiffResult& result, const Inspection& a,
                                            const Inspection& b);

// Told of bytes [begin, end) of file 0 (A) or 1 (B) that the comparison has read and will not
// read again soon, so that a file mapped into memory can give back the memory that holds them.
using ReleaseBytes = std::function<void(int file, std::size_t begin, std::size_t end)>;

// Two files compared without holding their records: the inspections hold no records.
struct StreamedDiff {
  Inspection a;
  Inspection b;
  DiffResult result;  // nothing compared when the files are of different kinds
};

// The result of diff(inspect(bytesA), bytesA, inspect(bytesB), bytesB), holding a fingerprint
// of each record instead of the records: each file is decoded twice, and the records kept are
// those that differ or are in one file only. Records are taken as equal when their fingerprints
// are: the alignment's hash and a second one drawn at random for each comparison.
[[nodiscard]] StreamedDiff diffStreamed(std::span<const std::uint8_t> bytesA,
                                        std::span<const std::uint8_t> bytesB,
                                        const ReleaseBytes& release = {});

}  // namespace ts::inspect
