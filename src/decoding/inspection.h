// What the inspector learns from one level file: its kind, its chunk tree, every record with
// named fields, and the problems found, each with the file offset where it lies. Decoding
// never trusts an announced size or count; it reads only bytes that are present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ts::inspect {

// Recognised by the identifier of the file's first chunk, never by the file's name.
enum class FileKind { kUnknown, kMap, kTriggers, kThings, kPlayers, kVariables, kLevelInfo };

struct Problem {
  std::size_t offset = 0;
  std::string message;
};

struct Chunk {
  std::uint32_t id = 0;
  std::size_t offset = 0;       // of the chunk header
  std::size_t size = 0;         // data bytes the header announces
  std::vector<Chunk> children;  // the element chunks of a body
  // An inspection that hands its records to a sink keeps a run of element chunks of one
  // identifier and size, each right after the one before, as its first chunk with the run's
  // length here: a million records need not keep a million chunks. Otherwise always 1.
  std::size_t repeat = 1;
};

// One decoded field. A numeric field may carry the name of its value (a creature, a player,
// a date); a text field (a path, a player name) carries only `text`.
struct Field {
  std::string_view name;  // always a literal: names are shared by every record of a kind
  std::int64_t value = 0;
  std::string text;
  std::size_t offset = 0;   // file offset of the field's first byte
  std::uint32_t width = 0;  // bytes the field is stored in, from `offset`
  bool isText = false;
  bool minor = false;  // constant-like detail, left out of the trigger tree drawing

  friend bool operator==(const Field& a, const Field& b) {
    return a.name == b.name && a.value == b.value && a.text == b.text && a.isText == b.isText;
  }
};

// Bytes of a record that no field decodes, as the writer lays them out: `width` bytes from
// `offset`, counted from the record's start. `name` says what is known of them; empty when
// nothing is.
struct Slot {
  std::size_t offset = 0;
  std::size_t width = 0;
  std::string_view name;
};

struct Record {
  std::string_view kind;  // "creature", "trigger", "player", ... (always a literal)
  // 1-based: the position among the records of its kind, except where a designer numbers them
  // otherwise: a trigger by its identifier, which is its place in the TRIGGERS section for the
  // triggers written there; an action by its place among its trigger's actions.
  std::size_t number = 0;
  std::size_t offset = 0;  // file offset of the record's first byte
  std::size_t size = 0;    // bytes from `offset` that belong to the record, its parts included
  std::vector<Field> fields;
  std::vector<Record> parts;  // a hero band's members
  // What a designer calls the record where that is not its kind and number: "keeper 2" (the
  // players file's fourth record), "trigger 1, action 2", "entrance area 1". Empty otherwise.
  std::string label;
  // The bytes between the fields, slot by slot; shared by every record of a kind.
  std::span<const Slot> undecoded;
  // What a reader would guess wrong about the record's fields, said once per file; empty for
  // most kinds. Always a literal, as `kind`.
  std::string_view note;

  // The field called `name`, or null.
  [[nodiscard]] const Field* find(std::string_view name) const;
  // Its label, or its kind and number: "creature 2".
  [[nodiscard]] std::string name() const;
};

// The element chunks of a body, a run kept as one counted as its length.
[[nodiscard]] inline std::size_t elementCount(const Chunk& body) {
  std::size_t n = 0;
  for (const Chunk& c : body.children) n += c.repeat;
  return n;
}

struct TerrainCount {
  std::uint32_t code = 0;
  std::size_t count = 0;
};

// The map file's grid: its size as announced and the cells actually present.
struct MapGrid {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint32_t> cells;   // row 0 first, column 0 first within a row
  std::vector<TerrainCount> terrain;  // most frequent first, then by code
};

// One line of the trigger tree: a trigger or action record, drawn at `depth`.
struct TreeLine {
  std::size_t record = 0;  // index into Inspection::records
  std::size_t depth = 0;
  bool action = false;  // the record is an action element, not a trigger element
  std::int64_t id = 0;  // the element's identifier
};

struct Inspection {
  FileKind kind = FileKind::kUnknown;
  std::size_t length = 0;
  std::vector<Chunk> chunks;
  std::vector<Record> records;        // empty when they were handed to a RecordSink instead
  std::vector<Problem> problems;      // in the order found; capped, the last one says how many more
  MapGrid map;                        // map files only
  std::vector<TreeLine> triggerTree;  // triggers files only: every element reached, in order

  [[nodiscard]] bool wellFormed() const { return problems.empty(); }
};

// Decodes and checks one level file held in memory. Never fails on any input.
[[nodiscard]] Inspection inspect(std::span<const std::uint8_t> bytes);

// Receives each record once it is complete, in file order, instead of the Inspection keeping
// it: a file of a million records can be shown without holding them all.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void record(const Record& r) = 0;
  // The decoding has read the file up to `offset` in a pass that hands over no record (the
  // things file's hero gates are counted before its elements are decoded), so that a sink that
  // gives back the memory of what was read can do so then too.
  virtual void reached(std::size_t offset) { (void)offset; }
};

// The same decoding, but every record goes to `sink` (in the order and with the contents
// Inspection::records would hold) and Inspection::records stays empty; the rest is filled in
// as usual.
[[nodiscard]] Inspection inspect(std::span<const std::uint8_t> bytes, RecordSink& sink);

// The same decoding with the records dropped: the kind, chunks (runs of like element chunks
// kept as one), map grid, trigger tree and problems, for a rendering that decodes the records
// again one at a time.
[[nodiscard]] Inspection inspectWithoutRecords(std::span<const std::uint8_t> bytes);

[[nodiscard]] std::string_view fileKindName(FileKind kind);

}  // namespace ts::inspect
