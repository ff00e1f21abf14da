// Reading level files back: decoding one file into its chunks and records with named fields,
// checking it on the way, and comparing two files of the same kind record by record and byte by
// byte, as the inspector (tunnelsmith-inspect) does. Nothing here reads or writes a file.
// Link Tunnelsmith::tunnelsmith (find_package(Tunnelsmith)) to use it.
//
// The results are plain values that own their data. Every function may be called from several
// threads at once; none throws, and no input makes one fail: whatever is wrong with a file is
// one of its problems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunnelsmith {

// Bytes held by the caller, for the time of one call.
struct ByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  ByteView() = default;
  ByteView(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}
  ByteView(const std::vector<std::uint8_t>& bytes)  // NOLINT: a vector is a view's usual source
      : data(bytes.data()), size(bytes.size()) {}
};

// Recognised by the identifier of the file's first chunk, never by the file's name.
enum class FileKind : std::uint8_t {
  kUnknown,
  kMap,
  kTriggers,
  kThings,
  kPlayers,
  kVariables,
  kLevelInfo
};

// "map", "triggers", "things", "players", "variables", "level information", "unknown".
[[nodiscard]] std::string fileKindName(FileKind kind);

// Something wrong with a file, at the file offset where it lies.
struct FileProblem {
  std::size_t offset = 0;
  std::string message;
};

struct Chunk {
  std::uint32_t id = 0;
  std::string name;             // "body", "creature", ...; empty for an identifier not known
  std::size_t offset = 0;       // of the chunk header
  std::size_t size = 0;         // data bytes the header announces
  std::vector<Chunk> children;  // the element chunks of a body
};

// One decoded field: a number, with the name of its value when it has one (a creature, a
// player), or a text (a path, a player name).
struct Field {
  std::string name;
  std::int64_t value = 0;
  std::string text;         // the value's name, or the text of a text field
  bool isText = false;      // `text` is the whole value
  std::size_t offset = 0;   // file offset of the field's first byte
  std::uint32_t width = 0;  // bytes the field is stored in, from `offset`
};

struct Record {
  std::string kind;  // "creature", "trigger", "player", ...
  // 1-based position among the records of its kind; a trigger's is its identifier (its place in
  // the TRIGGERS section for the triggers written there), an action's its place among its
  // trigger's actions.
  std::size_t number = 0;
  std::size_t offset = 0;  // file offset of the record's first byte
  std::size_t size = 0;    // bytes that belong to the record, its parts included
  std::vector<Field> fields;
  std::vector<Record> parts;  // a hero band's members
  std::string note;           // what a reader would guess wrong about the fields; mostly empty
  // What a designer calls the record where that is not its kind and number: "keeper 2",
  // "trigger 1, action 2", "entrance area 1"; else empty.
  std::string label;
};

// The map file's grid: its size as announced and the terrain codes actually present.
struct MapGrid {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint32_t> cells;  // row 0 first, column 0 first within a row
};

struct Inspection {
  FileKind kind = FileKind::kUnknown;
  std::size_t length = 0;  // bytes
  std::vector<Chunk> chunks;
  std::vector<Record> records;
  std::vector<FileProblem> problems;  // in the order found; none: the file is well-formed
  std::optional<MapGrid> map;         // map files only

  [[nodiscard]] bool wellFormed() const { return problems.empty(); }
};

// Decodes and checks one level file (the whole contents of a .kld or .kwd file).
[[nodiscard]] Inspection inspectLevelFile(ByteView bytes);

// A run of file offsets, both included.
struct ByteRange {
  std::size_t first = 0;
  std::size_t last = 0;
};

// One difference between file A and file B: a field changed, a record in one file only, a map
// square changed, or a run of bytes that none of those explains.
struct Difference {
  std::string label;       // "creature 2", "keeper 2", "hero band 1, member 3", "square (4, 5)"
  std::string record;      // the record kind, "square", "chunk" or "file"
  std::size_t number = 0;  // the record's number in A, or in B when A lacks it
  std::size_t part = 0;    // 1-based member number, 0 for the record itself
  // The changed field, or the field or slot of undecoded bytes ("flag", "undecoded u32") that
  // holds a run of bytes; empty: a whole record in one file only, or bytes after the last chunk.
  std::string field;
  std::string description;  // for a record in one file only: what it is; else empty
  std::optional<Field> a;   // absent: not in file A; a short run of bytes: the bytes in hex
  std::optional<Field> b;
  std::optional<std::size_t> offsetA;  // of the record (chunk) in A
  std::optional<std::size_t> offsetB;
  std::optional<ByteRange> bytesA;  // a run of differing bytes, where it lies in each file
  std::optional<ByteRange> bytesB;
  std::optional<ByteRange> within;  // a run's bytes counted from its record's (chunk's) start
  bool undecoded = false;           // the run lies in bytes no field decodes
};

struct LevelFileDiff {
  FileKind kindA = FileKind::kUnknown;
  FileKind kindB = FileKind::kUnknown;
  // False when the files are of different kinds: then nothing was compared, `problems` says
  // so and `identical` is false.
  bool comparable = false;
  bool identical = false;  // equal byte for byte
  // Squares and runs of bytes are listed up to a limit (50 each) and all counted here.
  std::size_t squaresChanged = 0;
  std::size_t byteRuns = 0;
  std::vector<Difference> differences;
  // Why the files could not be compared; each file's own problems are in inspectLevelFile's.
  std::vector<std::string> problems;
};

// Compares two level files of the same kind: changed fields by name, records in one file only
// (aligned as a text diff aligns lines), changed squares, and every other byte that differs.
[[nodiscard]] LevelFileDiff diffLevelFiles(ByteView a, ByteView b);

}  // namespace tunnelsmith
