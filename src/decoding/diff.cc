#include "decoding/diff.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "decoding/decoder.h"
#include "decoding/names.h"
#include "model/vocabulary.h"

namespace ts::inspect {

namespace {

// A record as a designer calls it, a member after its band: "hero band 1, member 3".
std::string labelOf(const Record& r, const Record* band) {
  return band != nullptr ? band->name() + ", " + r.name() : r.name();
}

// A field's value in a few words: its name where it has one, its text quoted, else what it is
// and its number ("creature 99").
std::string valueWords(const Field& f) {
  if (f.isText) return '"' + f.text + '"';
  if (!f.text.empty()) return f.text;
  return std::string(f.name) + " " + std::to_string(f.value);
}

// An owner as a reader says it ("keeper 2", "heroes"); empty for no owner.
std::string ownerWords(const Field& f) {
  if (f.text == "none") return {};
  if (playerName(f.value).empty()) return "owner " + std::to_string(f.value);
  if (f.value == kHeroPlayer) return "heroes";
  if (f.value == kNeutralPlayer) return "neutral";
  return "keeper " + std::to_string(f.value - kFirstKeeperPlayer + 1);
}

// What a record is, for a record that only one file holds: what it places with its level,
// its owner and its square ("TROLL L4, keeper 2, at 12,7"); an area's use and squares; a
// band's size and leader; a trigger element's kind and identifier; a player's name. Empty for
// the file's framing, which says nothing of the sort.
std::string describe(const Record& r) {
  std::string text;
  auto add = [&text](const std::string& words) {
    if (words.empty()) return;
    text += (text.empty() ? "" : ", ") + words;
  };
  auto number = [&r](std::string_view name) { return std::to_string(r.find(name)->value); };
  // What it is: its own vocabulary word ("creature" for a band member), a trigger element's
  // kind, an item, a name, an area's use.
  const std::string_view own = r.kind == "member" ? std::string_view("creature") : r.kind;
  for (const std::string_view name :
       {own, std::string_view("creature"), std::string_view("kind"), std::string_view("action"),
        std::string_view("item"), std::string_view("name"), std::string_view("number")}) {
    const Field* f = r.find(name);
    if (f == nullptr || name == "player") continue;
    std::string what = valueWords(*f);
    const Field* category = r.find("category");
    if (name == "item" && category != nullptr) what = valueWords(*category) + " " + what;
    if (const Field* level = r.find("level")) what += " " + valueWords(*level);
    add(what);
    break;
  }
  if (const Field* role = r.find("role"); role != nullptr && role->text == "leader") add("leader");
  if (const Field* owner = r.find("owner")) add(ownerWords(*owner));
  if (const Field* player = r.find("player")) add(ownerWords(*player));
  // A player record's x and y are no square.
  if (r.find("x") != nullptr && r.find("y") != nullptr && r.kind != "player") {
    add("at " + number("x") + "," + number("y"));
  }
  if (r.find("left") != nullptr && r.find("bottom") != nullptr) {
    add("squares " + number("left") + "," + number("top") + " to " + number("right") + "," +
        number("bottom"));
  }
  if (const Field* locked = r.find("locked"); locked != nullptr && locked->text == "yes") {
    add("locked");
  }
  if (r.kind == "hero band") {
    add(std::to_string(r.parts.size()) + (r.parts.size() == 1 ? " member" : " members"));
    for (const Record& member : r.parts) {
      const Field* role = member.find("role");
      if (role == nullptr || role->text != "leader") continue;
      const std::string leader = describe(member);  // "KNIGHT L5, leader"
      add("led by " + leader.substr(0, leader.find(',')));
      break;
    }
  }
  if (r.find("id") != nullptr) add("id " + number("id"));
  return text;
}

bool sameRecord(const Record& a, const Record& b) {
  if (a.fields != b.fields || a.parts.size() != b.parts.size()) return false;
  for (std::size_t j = 0; j < a.parts.size(); ++j) {
    if (!sameRecord(a.parts[j], b.parts[j])) return false;
  }
  return true;
}

// A hash of everything sameRecord compares, so that the alignment compares numbers.
std::uint64_t fingerprint(const Record& r) {
  std::uint64_t h = 14695981039346656037u;
  auto mix = [&h](std::string_view bytes) {
    for (char c : bytes) {
      h ^= static_cast<unsigned char>(c);
      h *= 1099511628211u;
    }
    h ^= 0xFF;
    h *= 1099511628211u;
  };
  for (const Field& f : r.fields) {
    mix(f.name);
    mix(std::to_string(f.value));
    mix(f.text);
    mix(f.isText ? "t" : "n");
  }
  for (const Record& part : r.parts) mix(std::to_string(fingerprint(part)));
  return h;
}

using Pair = std::pair<const Record*, const Record*>;

// Above this many cells the middle part is paired by position instead of aligned.
constexpr std::size_t kMaxAlignmentCells = std::size_t{1} << 22;

// Pairs the records of A and B so that an inserted or removed record shifts nothing: equal
// records at the start and the end are paired first, then a longest common subsequence of
// equal records in the middle; between those anchors records are paired by position and the
// rest is in one file only.
std::vector<Pair> align(const std::vector<const Record*>& a, const std::vector<const Record*>& b) {
  std::size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() && sameRecord(*a[prefix], *b[prefix])) ++prefix;
  std::size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         sameRecord(*a[a.size() - 1 - suffix], *b[b.size() - 1 - suffix])) {
    ++suffix;
  }
  const std::size_t n = a.size() - prefix - suffix;
  const std::size_t m = b.size() - prefix - suffix;
  // lcs[i][j]: length of the longest common subsequence of A's middle from i and B's from j.
  std::vector<std::uint32_t> lcs;
  const bool aligned = n != 0 && m != 0 && (n + 1) * (m + 1) <= kMaxAlignmentCells;
  if (aligned) {
    std::vector<std::uint64_t> ha(n);
    std::vector<std::uint64_t> hb(m);
    for (std::size_t i = 0; i < n; ++i) ha[i] = fingerprint(*a[prefix + i]);
    for (std::size_t j = 0; j < m; ++j) hb[j] = fingerprint(*b[prefix + j]);
    lcs.assign((n + 1) * (m + 1), 0);
    for (std::size_t i = n; i-- > 0;) {
      for (std::size_t j = m; j-- > 0;) {
        lcs[i * (m + 1) + j] = ha[i] == hb[j]
                                   ? lcs[(i + 1) * (m + 1) + j + 1] + 1
                                   : std::max(lcs[(i + 1) * (m + 1) + j], lcs[i * (m + 1) + j + 1]);
      }
    }
  }
  std::vector<Pair> pairs;
  for (std::size_t k = 0; k < prefix; ++k) pairs.emplace_back(a[k], b[k]);
  std::vector<const Record*> gapA;
  std::vector<const Record*> gapB;
  auto flush = [&]() {
    for (std::size_t k = 0; k < std::max(gapA.size(), gapB.size()); ++k) {
      pairs.emplace_back(k < gapA.size() ? gapA[k] : nullptr, k < gapB.size() ? gapB[k] : nullptr);
    }
    gapA.clear();
    gapB.clear();
  };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n || j < m) {
    const Record* ra = i < n ? a[prefix + i] : nullptr;
    const Record* rb = j < m ? b[prefix + j] : nullptr;
    if (aligned && ra != nullptr && rb != nullptr && sameRecord(*ra, *rb)) {
      flush();
      pairs.emplace_back(ra, rb);
      ++i;
      ++j;
    } else if (aligned && rb != nullptr &&
               (ra == nullptr || lcs[i * (m + 1) + j + 1] >= lcs[(i + 1) * (m + 1) + j])) {
      gapB.push_back(rb);
      ++j;
    } else if (ra != nullptr) {
      gapA.push_back(ra);
      ++i;
    } else {
      gapB.push_back(rb);
      ++j;
    }
  }
  flush();
  for (std::size_t k = suffix; k-- > 0;)
    pairs.emplace_back(a[a.size() - 1 - k], b[b.size() - 1 - k]);
  return pairs;
}

std::vector<const Record*> pointers(const std::vector<Record>& records) {
  std::vector<const Record*> out;
  for (const Record& r : records) out.push_back(&r);
  return out;
}

// Two records the comparison paired, or a record in one file only (the other null).
struct RecordPair {
  const Record* a;
  const Record* b;
  std::string_view kind;
  std::size_t number;
  std::size_t part;
  const Record* band;  // a member's band (in A, else in B), null for a record
};

// `number` is the record's (for a band member: its band's), `part` a member's number or 0.
// Every pair, members included, is added to `pairs`, a record before its members.
void compareRecords(const Record* a, const Record* b, std::string_view kind, std::size_t number,
                    std::size_t part, const Record* band, DiffResult& out,
                    std::vector<RecordPair>& pairs) {
  pairs.push_back({a, b, kind, number, part, band});
  if (a != nullptr && b != nullptr && sameRecord(*a, *b)) {
    for (std::size_t j = 0; j < a->parts.size(); ++j) {
      compareRecords(&a->parts[j], &b->parts[j], kind, number, a->parts[j].number, a, out, pairs);
    }
    return;
  }
  Difference base;
  base.label = labelOf(a != nullptr ? *a : *b, band);
  base.record = kind;
  base.number = number;
  base.part = part;
  if (a != nullptr) base.offsetA = a->offset;
  if (b != nullptr) base.offsetB = b->offset;
  if (a == nullptr || b == nullptr) {
    base.description = describe(a != nullptr ? *a : *b);
    out.differences.push_back(base);
    return;
  }
  // A's fields in order, then those only B has.
  for (const Field& fa : a->fields) {
    const Field* fb = b->find(fa.name);
    if (fb != nullptr && *fb == fa) continue;
    Difference d = base;
    d.field = fa.name;
    d.a = fa;
    if (fb != nullptr) d.b = *fb;
    out.differences.push_back(std::move(d));
  }
  for (const Field& fb : b->fields) {
    if (a->find(fb.name) != nullptr) continue;
    Difference d = base;
    d.field = fb.name;
    d.b = fb;
    out.differences.push_back(std::move(d));
  }
  for (const auto& [ma, mb] : align(pointers(a->parts), pointers(b->parts))) {
    compareRecords(ma, mb, kind, number, ma != nullptr ? ma->number : mb->number, a, out, pairs);
  }
}

std::vector<const Record*> ofKind(const Inspection& in, std::string_view kind) {
  std::vector<const Record*> records;
  for (const Record& r : in.records) {
    if (r.kind == kind) records.push_back(&r);
  }
  return records;
}

Field terrainField(std::uint32_t code) {
  Field f;
  f.name = "terrain";
  f.value = code;
  f.text = terrainName(code);
  return f;
}

// Calls `changed(x, y, indexA, indexB)` for each square of both maps whose terrain differs;
// the indexes are the squares' positions among the cells of A and of B.
template <typename Changed>
void forEachChangedSquare(const MapGrid& a, const MapGrid& b, Changed changed) {
  if (a.width <= 0 || b.width <= 0) return;
  const auto widthA = static_cast<std::size_t>(a.width);
  const auto widthB = static_cast<std::size_t>(b.width);
  const std::size_t rowsA = a.cells.size() / widthA;
  const std::size_t rowsB = b.cells.size() / widthB;
  const std::size_t width = std::min(widthA, widthB);
  const std::size_t rows = std::min(rowsA, rowsB);
  for (std::size_t y = 0; y < rows; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      if (a.cells[y * widthA + x] != b.cells[y * widthB + x]) {
        changed(x, y, y * widthA + x, y * widthB + x);
      }
    }
  }
}

void compareSquares(const MapGrid& a, const MapGrid& b, DiffResult& out) {
  const std::size_t width = static_cast<std::size_t>(std::min(a.width, b.width));
  forEachChangedSquare(a, b, [&](std::size_t x, std::size_t y, std::size_t ia, std::size_t ib) {
    if (++out.squaresChanged > kMaxListedSquares) return;
    Difference d;
    d.label = "square (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    d.record = "square";
    d.number = y * width + x + 1;
    d.field = "terrain";
    d.a = terrainField(a.cells[ia]);
    d.b = terrainField(b.cells[ib]);
    out.differences.push_back(std::move(d));
  });
}

// [begin, end) in one file.
struct Extent {
  std::size_t begin = 0;
  std::size_t end = 0;
  [[nodiscard]] std::size_t size() const { return end - begin; }
};

Extent extentOf(const Record& r) { return {r.offset, r.offset + r.size}; }
Extent extentOf(const Chunk& c, std::size_t fileSize) { return {c.offset, dataEnd(c, fileSize)}; }

// What holds a run of bytes: a record (`name` its kind), a chunk (`name` its name) or the
// file. Its label is made only for a run that is reported.
struct Holder {
  enum class Kind { kRecord, kChunk, kFile } kind;
  std::string_view name;
  std::size_t number = 0;
  std::size_t part = 0;
  std::optional<Extent> a;  // absent: not in that file
  std::optional<Extent> b;
  const Record* record = nullptr;  // a record holder's record, in A if it is there
  const Record* band = nullptr;    // a member's band
};

// The field or slot of a record or chunk that holds a byte: bytes [begin, end) from its start.
struct Piece {
  std::string name;
  std::size_t begin = 0;
  std::size_t end = 0;
  bool undecoded = false;
};

// An unnamed slot by its encoding.
std::string slotName(std::size_t width) {
  switch (width) {
    case 1:
      return "undecoded u8";
    case 2:
      return "undecoded u16";
    case 4:
      return "undecoded u32";
    default:
      return "undecoded " + std::to_string(width) + " bytes";
  }
}

// The piece of `h` that holds the byte at distance `at` from its start.
Piece pieceAt(const Holder& h, std::size_t at) {
  if (h.kind == Holder::Kind::kChunk) {
    if (at < 4) return {"chunk identifier", 0, 4};
    if (at < kChunkHeaderSize) return {"chunk size", 4, kChunkHeaderSize};
    return {"chunk data", kChunkHeaderSize, SIZE_MAX};
  }
  if (h.kind == Holder::Kind::kFile) return {{}, at, SIZE_MAX};
  const Record& r = *h.record;
  std::size_t next = SIZE_MAX;  // the start of the first field or slot after `at`
  for (const Field& f : r.fields) {
    const std::size_t begin = f.offset - r.offset;
    if (at >= begin && at < begin + f.width) return {std::string(f.name), begin, begin + f.width};
    if (begin > at) next = std::min(next, begin);
  }
  for (const Slot& s : r.undecoded) {
    if (at >= s.offset && at < s.offset + s.width) {
      return {s.name.empty() ? slotName(s.width) : std::string(s.name), s.offset,
              s.offset + s.width, true};
    }
    if (s.offset > at) next = std::min(next, s.offset);
  }
  return {"undecoded bytes", at, next, true};
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 0xF];
  }
  return text;
}

// The comparison of every byte. A byte is "claimed" once something explains it: a changed
// field or square, a record or chunk in one file only, or a byte for byte comparison with its
// counterpart. Records are compared first (a band without its members' slots, which are
// compared as members), then element chunks, top-level chunks and the bytes after them, each
// only in the bytes nothing claimed yet and at the same distance from its start in A and B.
class ByteComparison {
 public:
  ByteComparison(const Inspection& a, std::span<const std::uint8_t> bytesA, const Inspection& b,
                 std::span<const std::uint8_t> bytesB, DiffResult& out)
      : a_(a), b_(b), bytesA_(bytesA), bytesB_(bytesB), out_(out) {}

  // `pairs` in file order, a record before its members.
  void run(const std::vector<RecordPair>& pairs);

 private:
  enum class State { kSame, kDiffer, kOnlyA, kOnlyB };

  static void claim(std::vector<bool>& claimed, Extent e) {
    std::fill(claimed.begin() + static_cast<std::ptrdiff_t>(e.begin),
              claimed.begin() + static_cast<std::ptrdiff_t>(e.end), true);
  }
  // Claims `e` but for the bytes of `parts`, which lie inside it in their order.
  static void claimExcept(std::vector<bool>& claimed, Extent e, std::span<const Record> parts) {
    for (const Record& part : parts) {
      claim(claimed, {e.begin, part.offset});
      e.begin = part.offset + part.size;
    }
    claim(claimed, e);
  }
  void claimChanges();
  void compareRecords(const std::vector<RecordPair>& pairs);
  void compareElements(std::size_t top, const std::vector<RecordPair>& pairs);
  void compareChunks();
  // Compares the bytes of `h` that are claimed in neither file, leaving out those of its
  // parts, and claims them.
  void compare(const Holder& h, std::span<const Record> partsA = {},
               std::span<const Record> partsB = {});
  void report(const Holder& h, State state, std::size_t first, std::size_t last);
  void reportPiece(const Holder& h, State state, const Piece& piece, std::size_t first,
                   std::size_t last);
  [[nodiscard]] Holder chunkHolder(const Chunk* inA, const Chunk* inB, std::size_t number) const;

  const Inspection& a_;
  const Inspection& b_;
  std::span<const std::uint8_t> bytesA_;
  std::span<const std::uint8_t> bytesB_;
  DiffResult& out_;
  std::vector<bool> claimedA_;
  std::vector<bool> claimedB_;
};

void ByteComparison::run(const std::vector<RecordPair>& pairs) {
  out_.identical = std::equal(bytesA_.begin(), bytesA_.end(), bytesB_.begin(), bytesB_.end());
  if (out_.identical) return;
  claimedA_.assign(bytesA_.size(), false);
  claimedB_.assign(bytesB_.size(), false);
  claimChanges();
  compareRecords(pairs);
  for (std::size_t i = 0; i < std::min(a_.chunks.size(), b_.chunks.size()); ++i) {
    compareElements(i, pairs);
  }
  compareChunks();
  // Nothing else explains bytes that differ, say the same records in another order: the files
  // are compared by position.
  if (out_.differences.empty()) {
    claimedA_.assign(bytesA_.size(), false);
    claimedB_.assign(bytesB_.size(), false);
    compare({Holder::Kind::kFile,
             {},
             0,
             0,
             Extent{0, bytesA_.size()},
             Extent{0, bytesB_.size()},
             nullptr,
             nullptr});
  }
}

void ByteComparison::claimChanges() {
  for (const Difference& d : out_.differences) {
    if (d.field.empty() || d.record == "square") continue;
    if (d.a) claim(claimedA_, {d.a->offset, d.a->offset + d.a->width});
    if (d.b) claim(claimedB_, {d.b->offset, d.b->offset + d.b->width});
  }
  if (a_.kind != FileKind::kMap || a_.chunks.size() < 3 || b_.chunks.size() < 3) return;
  // Every changed square, listed or only counted.
  const std::size_t cellsA = dataBegin(a_.chunks[2]);
  const std::size_t cellsB = dataBegin(b_.chunks[2]);
  forEachChangedSquare(a_.map, b_.map,
                       [&](std::size_t, std::size_t, std::size_t ia, std::size_t ib) {
                         claim(claimedA_, {cellsA + 4 * ia, cellsA + 4 * ia + 4});
                         claim(claimedB_, {cellsB + 4 * ib, cellsB + 4 * ib + 4});
                       });
}

void ByteComparison::compareRecords(const std::vector<RecordPair>& pairs) {
  // A record in one file only is explained whole, its members included.
  for (const RecordPair& p : pairs) {
    if (p.a == nullptr) claim(claimedB_, extentOf(*p.b));
    if (p.b == nullptr) claim(claimedA_, extentOf(*p.a));
  }
  for (const RecordPair& p : pairs) {
    if (p.a == nullptr || p.b == nullptr) continue;
    compare({Holder::Kind::kRecord, p.kind, p.number, p.part, extentOf(*p.a), extentOf(*p.b), p.a,
             p.band},
            p.a->parts, p.b->parts);
  }
}

Holder ByteComparison::chunkHolder(const Chunk* inA, const Chunk* inB, std::size_t number) const {
  Holder h{Holder::Kind::kChunk,
           chunkName(a_.kind, (inA != nullptr ? inA : inB)->id),
           number,
           0,
           {},
           {},
           nullptr,
           nullptr};
  if (inA != nullptr) h.a = extentOf(*inA, bytesA_.size());
  if (inB != nullptr) h.b = extentOf(*inB, bytesB_.size());
  return h;
}

void ByteComparison::compareElements(std::size_t top, const std::vector<RecordPair>& pairs) {
  const std::vector<Chunk>& inA = a_.chunks[top].children;
  const std::vector<Chunk>& inB = b_.chunks[top].children;
  if (inA.empty() && inB.empty()) return;
  std::vector<bool> doneA(inA.size());
  std::vector<bool> doneB(inB.size());
  // The element chunk whose data starts at `offset`, or null.
  auto elementAt = [](const std::vector<Chunk>& children, const Record* r) -> const Chunk* {
    if (r == nullptr) return nullptr;
    const auto it =
        std::lower_bound(children.begin(), children.end(), r->offset,
                         [](const Chunk& c, std::size_t at) { return dataBegin(c) < at; });
    return it != children.end() && dataBegin(*it) == r->offset ? &*it : nullptr;
  };
  // Element chunks go with their records: paired with the chunk of the paired record, or in
  // one file only with a record in one file only.
  for (const RecordPair& p : pairs) {
    if (p.part != 0) continue;
    const Chunk* ca = elementAt(inA, p.a);
    const Chunk* cb = elementAt(inB, p.b);
    if (ca != nullptr) doneA[static_cast<std::size_t>(ca - inA.data())] = true;
    if (cb != nullptr) doneB[static_cast<std::size_t>(cb - inB.data())] = true;
    if (ca != nullptr && cb != nullptr) {
      compare(chunkHolder(ca, cb, static_cast<std::size_t>(ca - inA.data()) + 1));
    } else if (ca != nullptr) {
      claim(claimedA_, extentOf(*ca, bytesA_.size()));
    } else if (cb != nullptr) {
      claim(claimedB_, extentOf(*cb, bytesB_.size()));
    }
  }
  // Elements without a record (an unknown identifier, a wrong size) pair in their order.
  std::size_t ia = 0;
  std::size_t ib = 0;
  while (true) {
    while (ia < inA.size() && doneA[ia]) ++ia;
    while (ib < inB.size() && doneB[ib]) ++ib;
    if (ia == inA.size() && ib == inB.size()) break;
    const Chunk* ca = ia < inA.size() ? &inA[ia++] : nullptr;
    const Chunk* cb = ib < inB.size() ? &inB[ib++] : nullptr;
    compare(chunkHolder(ca, cb, (ca != nullptr ? ia : ib)));
  }
}

void ByteComparison::compareChunks() {
  const std::size_t count = std::max(a_.chunks.size(), b_.chunks.size());
  for (std::size_t i = 0; i < count; ++i) {
    compare(chunkHolder(i < a_.chunks.size() ? &a_.chunks[i] : nullptr,
                        i < b_.chunks.size() ? &b_.chunks[i] : nullptr, i + 1));
  }
  // Bytes after the last chunk, or all of them when no chunk was found.
  auto rest = [](const Inspection& in, std::size_t size) {
    return Extent{in.chunks.empty() ? 0 : dataEnd(in.chunks.back(), size), size};
  };
  compare({Holder::Kind::kFile,
           {},
           0,
           0,
           rest(a_, bytesA_.size()),
           rest(b_, bytesB_.size()),
           nullptr,
           nullptr});
}

void ByteComparison::compare(const Holder& h, std::span<const Record> partsA,
                             std::span<const Record> partsB) {
  const Extent ea = h.a.value_or(Extent{});
  const Extent eb = h.b.value_or(Extent{});
  auto inPart = [](std::span<const Record> parts, std::size_t at) {
    return std::any_of(parts.begin(), parts.end(),
                       [at](const Record& r) { return at >= r.offset && at < r.offset + r.size; });
  };
  // Whether the byte at distance k is left to compare in A (in B).
  auto openA = [&](std::size_t k) {
    return k < ea.size() && !claimedA_[ea.begin + k] && !inPart(partsA, ea.begin + k);
  };
  auto openB = [&](std::size_t k) {
    return k < eb.size() && !claimedB_[eb.begin + k] && !inPart(partsB, eb.begin + k);
  };
  // Runs of bytes in the same state: `state` is that of the byte at distance k.
  State run = State::kSame;
  std::size_t first = 0;
  auto at = [&](std::size_t k, State state) {
    if (state == run) return;
    if (run != State::kSame) report(h, run, first, k - 1);
    run = state;
    first = k;
  };
  const std::size_t common = std::min(ea.size(), eb.size());
  const auto* const fromA = bytesA_.data() + ea.begin;
  const auto* const fromB = bytesB_.data() + eb.begin;
  for (std::size_t k = 0; k < common; ++k) {
    const std::size_t equalTo =
        static_cast<std::size_t>(std::mismatch(fromA + k, fromA + common, fromB + k).first - fromA);
    if (equalTo > k) at(k, State::kSame);
    k = equalTo;
    if (k < common) at(k, openA(k) && openB(k) ? State::kDiffer : State::kSame);
  }
  // The bytes of the longer one.
  for (std::size_t k = common; k < std::max(ea.size(), eb.size()); ++k) {
    at(k, openA(k) ? State::kOnlyA : openB(k) ? State::kOnlyB : State::kSame);
  }
  at(std::max(ea.size(), eb.size()), State::kSame);
  claimExcept(claimedA_, ea, partsA);
  claimExcept(claimedB_, eb, partsB);
}

void ByteComparison::report(const Holder& h, State state, std::size_t first, std::size_t last) {
  // One run for each field or slot that holds a part of it.
  for (std::size_t from = first; from <= last;) {
    const Piece piece = pieceAt(h, from);
    const std::size_t to = std::min(last, piece.end - 1);
    reportPiece(h, state, piece, from, to);
    from = to + 1;
  }
}

void ByteComparison::reportPiece(const Holder& h, State state, const Piece& piece,
                                 std::size_t first, std::size_t last) {
  if (++out_.byteRuns > kMaxListedByteRuns) return;
  Difference d;
  d.number = h.number;
  d.part = h.part;
  d.field = piece.name;
  d.undecoded = piece.undecoded;
  if (h.kind != Holder::Kind::kFile) d.within = ByteRange{first, last};
  switch (h.kind) {
    case Holder::Kind::kRecord:
      d.label = labelOf(*h.record, h.band);
      d.record = h.name;
      break;
    case Holder::Kind::kChunk:
      d.label = std::string(h.name.empty() ? "unknown" : h.name) + " chunk";
      d.record = "chunk";
      break;
    case Holder::Kind::kFile:
      d.label = "file";
      d.record = "file";
      break;
  }
  if (h.kind != Holder::Kind::kFile) {
    if (h.a) d.offsetA = h.a->begin;
    if (h.b) d.offsetB = h.b->begin;
  }
  if (state != State::kOnlyB) d.bytesA = ByteRange{h.a->begin + first, h.a->begin + last};
  if (state != State::kOnlyA) d.bytesB = ByteRange{h.b->begin + first, h.b->begin + last};
  if (d.bytesA && d.bytesB && last - first < kMaxShownRunBytes) {
    auto value = [&](std::span<const std::uint8_t> bytes, const ByteRange& run) {
      Field f;
      f.name = "bytes";
      f.text = hexBytes(bytes.subspan(run.first, run.last - run.first + 1));
      f.isText = true;
      f.offset = run.first;
      f.width = static_cast<std::uint32_t>(run.last - run.first + 1);
      return f;
    };
    d.a = value(bytesA_, *d.bytesA);
    d.b = value(bytesB_, *d.bytesB);
  }
  out_.differences.push_back(std::move(d));
}

}  // namespace

namespace {

DiffResult compareAll(const Inspection& a, const Inspection& b, std::vector<RecordPair>& pairs) {
  DiffResult out;
  // Record kinds in the order they first appear in A, then those only B has.
  std::vector<std::string_view> kinds;
  for (const Inspection* in : {&a, &b}) {
    for (const Record& r : in->records) {
      if (std::find(kinds.begin(), kinds.end(), r.kind) == kinds.end()) kinds.push_back(r.kind);
    }
  }
  for (const std::string_view kind : kinds) {
    const std::vector<const Record*> ra = ofKind(a, kind);
    const std::vector<const Record*> rb = ofKind(b, kind);
    for (const auto& [pa, pb] : align(ra, rb)) {
      compareRecords(pa, pb, kind, pa != nullptr ? pa->number : pb->number, 0, nullptr, out, pairs);
    }
  }
  if (a.kind == FileKind::kMap) compareSquares(a.map, b.map, out);
  out.identical = out.differences.empty();
  return out;
}

}  // namespace

DiffResult diff(const Inspection& a, const Inspection& b) {
  std::vector<RecordPair> pairs;
  return compareAll(a, b, pairs);
}

DiffResult diff(const Inspection& a, std::span<const std::uint8_t> bytesA, const Inspection& b,
                std::span<const std::uint8_t> bytesB) {
  std::vector<RecordPair> pairs;
  DiffResult out = compareAll(a, b, pairs);
  // In file order, a record before its members.
  std::stable_sort(pairs.begin(), pairs.end(), [](const RecordPair& x, const RecordPair& y) {
    return (x.a != nullptr ? x.a->offset : x.b->offset) <
           (y.a != nullptr ? y.a->offset : y.b->offset);
  });
  ByteComparison(a, bytesA, b, bytesB, out).run(pairs);
  return out;
}

std::vector<KindNote> notesOf(const DiffResult& result, const Inspection& a, const Inspection& b) {
  std::vector<KindNote> notes;
  for (const Difference& d : result.differences) {
    if (std::any_of(notes.begin(), notes.end(),
                    [&d](const KindNote& n) { return n.kind == d.record; })) {
      continue;
    }
    const auto known = [&notes](std::string_view note) {
      return std::any_of(notes.begin(), notes.end(),
                         [note](const KindNote& n) { return n.note == note; });
    };
    for (const Inspection* in : {&a, &b}) {
      const auto it = std::find_if(in->records.begin(), in->records.end(), [&d](const Record& r) {
        return r.kind == d.record && !r.note.empty();
      });
      if (it == in->records.end()) continue;
      // Kinds that share a note (triggers and actions) say it once.
      if (!known(it->note)) notes.push_back({it->kind, it->note});
      break;
    }
  }
  return notes;
}

}  // namespace ts::inspect
