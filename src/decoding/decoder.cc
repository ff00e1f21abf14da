// The entry point: recognises the file kind by its first chunk identifier, walks the top-level
// chunks in the order that kind requires, checks the file-size chunk, and hands over to the
// kind's decoder.
#include "decoding/decoder.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "decoding/names.h"
#include "format/chunks.h"
#include "format/layouts.h"

namespace ts::inspect {

namespace {

// Past this many, problems are only counted: a damaged map can have a million bad squares.
constexpr std::size_t kMaxProblems = 100;

constexpr std::size_t kInfoSize = kFileInfoChunkSize - kChunkHeaderSize;
constexpr std::size_t kFileSizeDataSize = kFileSizeChunkSize - kChunkHeaderSize;

struct ExpectedChunk {
  std::uint32_t id;
  std::size_t size;  // 0: whatever the body holds
};

struct KindLayout {
  FileKind kind;
  std::string_view name;
  std::array<ExpectedChunk, 4> chunks;
  std::size_t chunkCount;
  void (*decode)(Decoder& d);  // the kind's own records, from the chunks the walk found
};

constexpr std::uint32_t info(std::uint32_t base) { return base + chunk::kInfoOffset; }
constexpr std::uint32_t body(std::uint32_t base) { return base + chunk::kBodyOffset; }

// The files with a file-size chunk, an information chunk and a body, each numbered from the
// file's first chunk.
constexpr KindLayout framed(FileKind kind, std::string_view name, std::uint32_t base,
                            std::size_t infoSize, void (*decode)(Decoder& d)) {
  return {kind,
          name,
          {{{base, kFileSizeDataSize}, {info(base), infoSize}, {body(base), 0}}},
          3,
          decode};
}

constexpr std::array<KindLayout, 6> kLayouts = {{
    {FileKind::kMap,
     "map",
     {{{chunk::kMapFile, kFileSizeDataSize},
       {chunk::kMapInfo, layout::kMapInfoSize},
       {chunk::kMapCells, 0}}},
     3,
     decodeMap},
    framed(FileKind::kTriggers, "triggers", chunk::kTriggersFile, layout::kTriggersInfoSize,
           decodeTriggers),
    framed(FileKind::kThings, "things", chunk::kThingsFile, kInfoSize, decodeThings),
    framed(FileKind::kPlayers, "players", chunk::kPlayersFile, kInfoSize, decodePlayers),
    framed(FileKind::kVariables, "variables", chunk::kVariablesFile, kInfoSize, decodeVariables),
    {FileKind::kLevelInfo,
     "level information",
     {{{chunk::kLevelInfoFile, kFileSizeDataSize},
       {info(chunk::kLevelInfoFile), kInfoSize},
       {chunk::kLevelInfo, layout::kLevelInfoSize},
       {chunk::kReferencedFiles, layout::kReferencedFilesSize}}},
     4,
     decodeLevelInfo},
}};

std::string describe(FileKind kind, std::uint32_t id) {
  const std::string_view name = chunkName(kind, id);
  return std::string(name.empty() ? "unknown" : name) + " chunk (" + std::to_string(id) + ")";
}

void walkTopLevel(Decoder& d, const KindLayout& layout) {
  Inspection& out = d.out();
  std::size_t at = 0;
  for (std::size_t i = 0; i < layout.chunkCount; ++i) {
    const ExpectedChunk& expected = layout.chunks[i];
    const std::string what = describe(layout.kind, expected.id);
    if (!d.has(at, kChunkHeaderSize)) {
      d.problem(at, "the file ends before the " + what + ": " + std::to_string(d.size() - at) +
                        " of its 8 header bytes are present");
      return;
    }
    const std::uint32_t id = d.u32(at);
    if (id != expected.id) {
      d.problem(at, "expected the " + what + ", found chunk identifier " + std::to_string(id));
      return;
    }
    Chunk c{id, at, d.u32(at + 4), {}};
    const std::size_t remaining = d.size() - dataBegin(c);
    if (c.size > remaining) {
      d.problem(at, "the " + what + " is cut short: it announces " + std::to_string(c.size) +
                        " bytes, but only " + std::to_string(remaining) + " remain in the file");
    } else if (expected.size != 0 && c.size != expected.size) {
      d.problem(at + 4, "the " + what + " announces " + std::to_string(c.size) +
                            " bytes; it holds " + std::to_string(expected.size));
    }
    out.chunks.push_back(c);
    at = dataEnd(c, d.size());
  }
  if (at < d.size()) {
    d.problem(at, std::to_string(d.size() - at) + " trailing bytes after the last chunk");
  }
}

void checkFileSize(Decoder& d) {
  const Chunk* c = topChunk(d.out(), 0);
  if (c == nullptr || !d.has(dataBegin(*c), 4, dataEnd(*c, d.size()))) return;
  const std::size_t at = dataBegin(*c);
  Record& r = d.addRecord("file size", at, 4);
  r.fields.push_back(d.u("length", at, 4));
  if (d.u32(at) != d.size()) {
    d.problem(at, "the file announces a length of " + std::to_string(d.u32(at)) +
                      " bytes, but it has " + std::to_string(d.size()));
  }
}

std::string printable(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    if (b >= 0x20 && b < 0x7F) {
      text += static_cast<char>(b);
    } else if (b >= 0x80) {
      appendLatin1(text, b);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(b));
      text += escape;
    }
  }
  return text;
}

}  // namespace

const Field* Record::find(std::string_view name) const {
  for (const Field& f : fields) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

std::string Record::name() const {
  if (!label.empty()) return label;
  return std::string(kind) + " " + std::to_string(number);
}

std::string_view fileKindName(FileKind kind) {
  for (const KindLayout& layout : kLayouts) {
    if (layout.kind == kind) return layout.name;
  }
  return "unknown";
}

std::size_t dataEnd(const Chunk& c, std::size_t fileSize) {
  const std::size_t begin = dataBegin(c);
  if (begin >= fileSize) return fileSize;
  return c.size < fileSize - begin ? begin + c.size : fileSize;
}

void Decoder::problem(std::size_t offset, std::string message) {
  if (out_.problems.size() < kMaxProblems) {
    out_.problems.push_back({offset, std::move(message)});
  } else {
    ++suppressed_;
  }
}

void Decoder::finish() {
  hold_ = false;
  release();
  std::stable_sort(out_.problems.begin(), out_.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.offset < b.offset; });
  if (suppressed_ == 0) return;
  // Counted past the cap, so this line can go beyond it.
  out_.problems.push_back({out_.problems.back().offset,
                           std::to_string(suppressed_) + " further problems are not listed"});
}

void Decoder::release() {
  if (sink_ == nullptr || hold_) return;
  for (const Record& r : out_.records) sink_->record(r);
  out_.records.clear();
}

Record& Decoder::addRecord(std::string_view kind, std::size_t offset, std::size_t size) {
  // The record before is complete.
  if (!out_.records.empty()) out_.records.back().fields.shrink_to_fit();
  release();
  auto counted = recordsOfKind_.find(kind);
  if (counted == recordsOfKind_.end()) counted = recordsOfKind_.emplace(kind, 0).first;
  Record& r = out_.records.emplace_back();
  r.kind = kind;
  r.number = ++counted->second;
  r.offset = offset;
  r.size = size;
  r.fields.reserve(8);
  return r;
}

Field Decoder::number(std::string_view name, std::int64_t value, std::size_t offset,
                      std::size_t width) {
  Field f;
  f.name = name;
  f.value = value;
  f.offset = offset;
  f.width = static_cast<std::uint32_t>(width);
  return f;
}

Field Decoder::u(std::string_view name, std::size_t offset, std::size_t width) const {
  const std::int64_t value = width == 1 ? u8(offset) : width == 2 ? u16(offset) : u32(offset);
  return number(name, value, offset, width);
}

Field Decoder::text(std::string_view name, std::string text, std::size_t offset,
                    std::size_t width) {
  Field f = number(name, 0, offset, width);
  f.text = std::move(text);
  f.isText = true;
  return f;
}

Field Decoder::named(std::string_view name, std::int64_t value, std::string_view text,
                     std::size_t offset, std::size_t width, std::string_view what) {
  if (text.empty()) problem(offset, "unknown " + std::string(what) + " " + std::to_string(value));
  Field f = number(name, value, offset, width);
  f.text = text;
  return f;
}

Field Decoder::player(std::string_view name, std::size_t offset, std::size_t width,
                      bool noneAllowed) {
  Field f = u(name, offset, width);
  if (noneAllowed && f.value == 0) {
    f.text = "none";
    return f;
  }
  return named(name, f.value, playerName(f.value), offset, width, "player");
}

Field Decoder::narrowText(std::string_view name, std::size_t offset, std::size_t width) {
  std::size_t length = 0;
  while (length < width && bytes_[offset + length] != 0) ++length;
  const std::span<const std::uint8_t> chars = span(offset, length);
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (!isTextCharacter(chars[i])) {
      problem(offset + i, "a character that is not printable in the " + std::string(name));
      break;
    }
  }
  return text(name, printable(chars), offset, width);
}

Field Decoder::stamp(std::string_view name, std::size_t offset) {
  return text(name, formatStamp(span(offset, 10)), offset, 10);
}

std::vector<std::int64_t> decodeInformation(Decoder& d, const Chunk* info,
                                            std::span<const std::string_view> countNames) {
  std::vector<std::int64_t> counts(countNames.size(), -1);
  if (info == nullptr) return counts;
  std::size_t at = dataBegin(*info);
  const std::size_t end = dataEnd(*info, d.size());
  Record& r = d.addRecord("information", at, end - at);
  for (std::size_t i = 0; i < countNames.size(); ++i, at += 4) {
    if (!d.has(at, 4, end)) continue;
    counts[i] = d.u32(at);
    r.fields.push_back(d.u(countNames[i], at, 4));
  }
  if (d.has(at, 4, end)) {
    const std::uint32_t version = d.u32(at);
    r.fields.push_back(d.u("version", at, 4));
    if (version != 1) d.problem(at, "format version " + std::to_string(version) + ", not 1");
  }
  if (d.has(at + 4, 10, end)) r.fields.push_back(d.stamp("firstStamp", at + 4));
  if (d.has(at + 14, 10, end)) r.fields.push_back(d.stamp("secondStamp", at + 14));
  return counts;
}

std::int64_t decodeInformation(Decoder& d, const Chunk* info) {
  static constexpr std::string_view kElements[] = {"elements"};
  return decodeInformation(d, info, kElements).front();
}

void checkCount(Decoder& d, std::int64_t announced, std::size_t found, std::size_t offset,
                std::string_view what) {
  if (announced < 0 || static_cast<std::uint64_t>(announced) == found) return;
  d.problem(offset, "the information chunk announces " + std::to_string(announced) + " " +
                        std::string(what) + ", but the body holds " + std::to_string(found));
}

void walkElements(Decoder& d, std::size_t bodyIndex, std::span<const ElementKind> kinds) {
  Inspection& out = d.out();
  if (bodyIndex >= out.chunks.size()) return;
  const FileKind kind = out.kind;
  const std::size_t end = dataEnd(out.chunks[bodyIndex], d.size());
  std::size_t at = dataBegin(out.chunks[bodyIndex]);
  std::vector<Chunk> children;
  while (at < end) {
    if (!d.has(at, kChunkHeaderSize, end)) {
      d.problem(at, "an element chunk header is cut short: " + std::to_string(end - at) +
                        " of its 8 bytes are in the body");
      break;
    }
    const Chunk c{d.u32(at), at, d.u32(at + 4), {}};
    if (Chunk* last = children.empty() ? nullptr : &children.back();
        d.streaming() && last != nullptr && last->id == c.id && last->size == c.size &&
        last->offset + last->repeat * (kChunkHeaderSize + last->size) == c.offset) {
      ++last->repeat;
    } else {
      children.push_back(c);
    }
    const auto known = std::find_if(kinds.begin(), kinds.end(),
                                    [&c](const ElementKind& k) { return k.id == c.id; });
    const std::string_view name = chunkName(kind, c.id);
    const std::string what =
        std::string(name.empty() ? "unknown" : name) + " element (" + std::to_string(c.id) + ")";
    const std::size_t remaining = end - dataBegin(c);
    if (known == kinds.end()) {
      d.problem(at, "unknown element chunk identifier " + std::to_string(c.id));
    }
    if (c.size > remaining) {
      d.problem(at, "the " + what + " is cut short: it announces " + std::to_string(c.size) +
                        " bytes, but only " + std::to_string(remaining) + " remain in the body");
      break;
    }
    if (known != kinds.end()) {
      if (c.size != known->size) {
        d.problem(at + 4, "the " + what + " announces " + std::to_string(c.size) +
                              " bytes; its record has " + std::to_string(known->size));
      } else {
        known->decode(d, dataBegin(c));
      }
    }
    at = dataBegin(c) + c.size;
  }
  out.chunks[bodyIndex].children = std::move(children);
}

namespace {

Inspection inspectInto(std::span<const std::uint8_t> bytes, RecordSink* sink) {
  Inspection out;
  out.length = bytes.size();
  Decoder d(bytes, out, sink);
  if (!d.has(0, 4)) {
    d.problem(0, "too short for a chunk identifier: the file has " + std::to_string(bytes.size()) +
                     " bytes");
    return out;
  }
  const std::uint32_t first = d.u32(0);
  const auto layout = std::find_if(kLayouts.begin(), kLayouts.end(), [first](const KindLayout& l) {
    return l.chunks[0].id == first;
  });
  if (layout == kLayouts.end()) {
    d.problem(0, "not a level file: its first chunk identifier " + std::to_string(first) +
                     " starts none of the six level files");
    return out;
  }
  out.kind = layout->kind;
  walkTopLevel(d, *layout);
  checkFileSize(d);
  layout->decode(d);
  d.finish();
  return out;
}

}  // namespace

Inspection inspect(std::span<const std::uint8_t> bytes) { return inspectInto(bytes, nullptr); }

Inspection inspect(std::span<const std::uint8_t> bytes, RecordSink& sink) {
  return inspectInto(bytes, &sink);
}

Inspection inspectWithoutRecords(std::span<const std::uint8_t> bytes) {
  struct Discard : RecordSink {
    void record(const Record&) override {}
  } discard;
  return inspectInto(bytes, &discard);
}

}  // namespace ts::inspect
