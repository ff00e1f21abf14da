#include "decoding/diff.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <random>
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

// No item: the side of a pair that lacks one.
constexpr std::size_t kNone = SIZE_MAX;

// Pairs items 0..na-1 of A with items 0..nb-1 of B so that an inserted or removed item shifts
// nothing: equal items at the start and the end are paired first, then a longest common
// subsequence of equal items in the middle; between those anchors items are paired by position
// and the rest is in one file only. `same(i, j)` tells whether two items are equal,
// `printA(i)` and `printB(j)` hash them for the table of the middle part; `pair(i, j)` is called
// for each pair in order, kNone for the side without an item.
template <typename Same, typename PrintA, typename PrintB, typename Emit>
void alignItems(std::size_t na, std::size_t nb, Same same, PrintA printA, PrintB printB,
                Emit pair) {
  std::size_t prefix = 0;
  while (prefix < na && prefix < nb && same(prefix, prefix)) ++prefix;
  std::size_t suffix = 0;
  while (suffix < na - prefix && suffix < nb - prefix && same(na - 1 - suffix, nb - 1 - suffix)) {
    ++suffix;
  }
  const std::size_t n = na - prefix - suffix;
  const std::size_t m = nb - prefix - suffix;
  // lcs[i][j]: length of the longest common subsequence of A's middle from i and B's from j.
  std::vector<std::uint32_t> lcs;
  const bool aligned = n != 0 && m != 0 && (n + 1) * (m + 1) <= kMaxAlignmentCells;
  if (aligned) {
    std::vector<std::uint64_t> ha(n);
    std::vector<std::uint64_t> hb(m);
    for (std::size_t i = 0; i < n; ++i) ha[i] = printA(prefix + i);
    for (std::size_t j = 0; j < m; ++j) hb[j] = printB(prefix + j);
    lcs.assign((n + 1) * (m + 1), 0);
    for (std::size_t i = n; i-- > 0;) {
      for (std::size_t j = m; j-- > 0;) {
        lcs[i * (m + 1) + j] = ha[i] == hb[j]
                                   ? lcs[(i + 1) * (m + 1) + j + 1] + 1
                                   : std::max(lcs[(i + 1) * (m + 1) + j], lcs[i * (m + 1) + j + 1]);
      }
    }
  }
  for (std::size_t k = 0; k < prefix; ++k) pair(k, k);
  // The items of a gap follow each other: the first of each side and their number.
  std::size_t gapA = 0;
  std::size_t countA = 0;
  std::size_t gapB = 0;
  std::size_t countB = 0;
  auto flush = [&]() {
    for (std::size_t k = 0; k < std::max(countA, countB); ++k) {
      pair(k < countA ? gapA + k : kNone, k < countB ? gapB + k : kNone);
    }
    countA = 0;
    countB = 0;
  };
  auto addA = [&](std::size_t i) {
    if (countA++ == 0) gapA = i;
  };
  auto addB = [&](std::size_t j) {
    if (countB++ == 0) gapB = j;
  };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n || j < m) {
    const bool hasA = i < n;
    const bool hasB = j < m;
    if (aligned && hasA && hasB && same(prefix + i, prefix + j)) {
      flush();
      pair(prefix + i, prefix + j);
      ++i;
      ++j;
    } else if (aligned && hasB &&
               (!hasA || lcs[i * (m + 1) + j + 1] >= lcs[(i + 1) * (m + 1) + j])) {
      addB(prefix + j);
      ++j;
    } else if (hasA) {
      addA(prefix + i);
      ++i;
    } else {
      addB(prefix + j);
      ++j;
    }
  }
  flush();
  for (std::size_t k = suffix; k-- > 0;) pair(na - 1 - k, nb - 1 - k);
}

// The records of A and B paired as alignItems pairs them, the side without a record null.
std::vector<Pair> align(const std::vector<const Record*>& a, const std::vector<const Record*>& b) {
  std::vector<Pair> pairs;
  alignItems(
      a.size(), b.size(), [&](std::size_t i, std::size_t j) { return sameRecord(*a[i], *b[j]); },
      [&](std::size_t i) { return fingerprint(*a[i]); },
      [&](std::size_t j) { return fingerprint(*b[j]); },
      [&](std::size_t i, std::size_t j) {
        pairs.emplace_back(i != kNone ? a[i] : nullptr, j != kNone ? b[j] : nullptr);
      });
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

// The element chunks of a body one by one, a run of like chunks kept as one (Chunk::repeat)
// counted as its length.
class Elements {
 public:
  explicit Elements(const std::vector<Chunk>& runs) : runs_(runs) {
    for (const Chunk& c : runs) {
      first_.push_back(count_);
      count_ += c.repeat;
    }
  }
  [[nodiscard]] std::size_t size() const { return count_; }
  // REQUIRES: index < size().
  [[nodiscard]] Chunk operator[](std::size_t index) const {
    const std::size_t run =
        static_cast<std::size_t>(std::upper_bound(first_.begin(), first_.end(), index) -
                                 first_.begin()) -
        1;
    const Chunk& c = runs_[run];
    return {c.id, c.offset + (index - first_[run]) * (kChunkHeaderSize + c.size), c.size, {}, 1};
  }
  // The index of the element whose data starts at `offset`, or kNone.
  [[nodiscard]] std::size_t at(std::size_t offset) const {
    const auto after =
        std::upper_bound(runs_.begin(), runs_.end(), offset,
                         [](std::size_t at, const Chunk& c) { return at < dataBegin(c); });
    if (after == runs_.begin()) return kNone;
    const Chunk& c = *(after - 1);
    const std::size_t distance = offset - dataBegin(c);
    const std::size_t stride = kChunkHeaderSize + c.size;
    if (distance % stride != 0 || distance / stride >= c.repeat) return kNone;
    return first_[static_cast<std::size_t>(after - 1 - runs_.begin())] + distance / stride;
  }

 private:
  const std::vector<Chunk>& runs_;
  std::vector<std::size_t> first_;  // the index of each run's first element
  std::size_t count_ = 0;
};

// What a comparison that met most records in an earlier reading already settled: the bytes
// it claimed and the element chunks it compared, per top-level chunk, in each file.
struct Settled {
  std::vector<bool> claimedA;
  std::vector<bool> claimedB;
  std::vector<std::vector<bool>> elementsA;
  std::vector<std::vector<bool>> elementsB;
};

// The comparison of every byte. A byte is "claimed" once something explains it: a changed
// field or square, a record or chunk in one file only, or a byte for byte comparison with its
// counterpart. Records are compared first (a band without its members' slots, which are
// compared as members), then element chunks, top-level chunks and the bytes after them, each
// only in the bytes nothing claimed yet and at the same distance from its start in A and B.
class ByteComparison {
 public:
  ByteComparison(const Inspection& a, std::span<const std::uint8_t> bytesA, const Inspection& b,
                 std::span<const std::uint8_t> bytesB, DiffResult& out, ReleaseBytes release = {})
      : a_(a), b_(b), bytesA_(bytesA), bytesB_(bytesB), out_(out), release_(std::move(release)) {}

  // `pairs` in file order, a record before its members. With `settled`, the pairs left out
  // of `pairs` were compared already: their bytes are claimed and their element chunks marked.
  void run(const std::vector<RecordPair>& pairs, Settled* settled = nullptr);

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
  // Every kReleaseBlock bytes read from the start of `from` in A and B, hands them to release_.
  void released(std::size_t from, std::size_t upTo, const Extent& a, const Extent& b) const;

  const Inspection& a_;
  const Inspection& b_;
  std::span<const std::uint8_t> bytesA_;
  std::span<const std::uint8_t> bytesB_;
  DiffResult& out_;
  ReleaseBytes release_;
  std::vector<bool> claimedA_;
  std::vector<bool> claimedB_;
  Settled* settled_ = nullptr;
};

// Bytes compared between two calls of the release function.
constexpr std::size_t kReleaseBlock = std::size_t{1} << 20;

void ByteComparison::released(std::size_t from, std::size_t upTo, const Extent& a,
                              const Extent& b) const {
  if (!release_) return;
  release_(0, a.begin + std::min(from, a.size()), a.begin + std::min(upTo, a.size()));
  release_(1, b.begin + std::min(from, b.size()), b.begin + std::min(upTo, b.size()));
}

void ByteComparison::run(const std::vector<RecordPair>& pairs, Settled* settled) {
  out_.identical = bytesA_.size() == bytesB_.size();
  const Extent whole{0, bytesA_.size()};
  for (std::size_t k = 0; out_.identical && k < bytesA_.size(); k += kReleaseBlock) {
    const std::size_t end = std::min(bytesA_.size(), k + kReleaseBlock);
    out_.identical = std::equal(bytesA_.begin() + static_cast<std::ptrdiff_t>(k),
                                bytesA_.begin() + static_cast<std::ptrdiff_t>(end),
                                bytesB_.begin() + static_cast<std::ptrdiff_t>(k));
    released(k, end, whole, whole);
  }
  if (out_.identical) return;
  settled_ = settled;
  if (settled != nullptr) {
    claimedA_ = std::move(settled->claimedA);
    claimedB_ = std::move(settled->claimedB);
  }
  claimedA_.resize(bytesA_.size(), false);
  claimedB_.resize(bytesB_.size(), false);
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
  const Elements inA(a_.chunks[top].children);
  const Elements inB(b_.chunks[top].children);
  if (inA.size() == 0 && inB.size() == 0) return;
  std::vector<bool> doneA;
  std::vector<bool> doneB;
  if (settled_ != nullptr && top < settled_->elementsA.size()) {
    doneA = std::move(settled_->elementsA[top]);
    doneB = std::move(settled_->elementsB[top]);
  }
  doneA.resize(inA.size(), false);
  doneB.resize(inB.size(), false);
  // Element chunks go with their records: paired with the chunk of the paired record, or in
  // one file only with a record in one file only.
  for (const RecordPair& p : pairs) {
    if (p.part != 0) continue;
    const std::size_t ia = p.a != nullptr ? inA.at(p.a->offset) : kNone;
    const std::size_t ib = p.b != nullptr ? inB.at(p.b->offset) : kNone;
    if (ia != kNone) doneA[ia] = true;
    if (ib != kNone) doneB[ib] = true;
    if (ia != kNone && ib != kNone) {
      const Chunk ca = inA[ia];
      const Chunk cb = inB[ib];
      compare(chunkHolder(&ca, &cb, ia + 1));
    } else if (ia != kNone) {
      claim(claimedA_, extentOf(inA[ia], bytesA_.size()));
    } else if (ib != kNone) {
      claim(claimedB_, extentOf(inB[ib], bytesB_.size()));
    }
  }
  // Elements without a record (an unknown identifier, a wrong size) pair in their order.
  std::size_t ia = 0;
  std::size_t ib = 0;
  while (true) {
    while (ia < inA.size() && doneA[ia]) ++ia;
    while (ib < inB.size() && doneB[ib]) ++ib;
    if (ia == inA.size() && ib == inB.size()) break;
    const std::optional<Chunk> ca = ia < inA.size() ? std::optional(inA[ia++]) : std::nullopt;
    const std::optional<Chunk> cb = ib < inB.size() ? std::optional(inB[ib++]) : std::nullopt;
    compare(chunkHolder(ca ? &*ca : nullptr, cb ? &*cb : nullptr, (ca ? ia : ib)));
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
  // Block by block, each handed to release_ once read.
  for (std::size_t block = 0; block < common; block += kReleaseBlock) {
    const std::size_t end = std::min(common, block + kReleaseBlock);
    for (std::size_t k = block; k < end; ++k) {
      const std::size_t equalTo =
          static_cast<std::size_t>(std::mismatch(fromA + k, fromA + end, fromB + k).first - fromA);
      if (equalTo > k) at(k, State::kSame);
      k = equalTo;
      if (k < end) at(k, openA(k) && openB(k) ? State::kDiffer : State::kSame);
    }
    released(block, end, ea, eb);
  }
  // The bytes of the longer one.
  const std::size_t longer = std::max(ea.size(), eb.size());
  for (std::size_t block = common; block < longer; block += kReleaseBlock) {
    const std::size_t end = std::min(longer, block + kReleaseBlock);
    for (std::size_t k = block; k < end; ++k) {
      at(k, openA(k) ? State::kOnlyA : openB(k) ? State::kOnlyB : State::kSame);
    }
    released(block, end, ea, eb);
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
  DiffResult out = compareAll(a, b, pairs);
  out.notes = notesOf(out, a, b);
  return out;
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
  out.notes = notesOf(out, a, b);
  return out;
}

namespace {

// The notes of the record kinds that differ; `noteOf(file, kind)` is the note of the first
// record of `kind` that has one in file 0 (A) or 1 (B), empty if none has.
template <typename NoteOf>
std::vector<KindNote> notesFrom(const DiffResult& result, NoteOf noteOf) {
  std::vector<KindNote> notes;
  for (const Difference& d : result.differences) {
    if (std::any_of(notes.begin(), notes.end(),
                    [&d](const KindNote& n) { return n.kind == d.record; })) {
      continue;
    }
    for (const int file : {0, 1}) {
      const KindNote note = noteOf(file, d.record);
      if (note.note.empty()) continue;
      // Kinds that share a note (triggers and actions) say it once.
      if (std::none_of(notes.begin(), notes.end(),
                       [&note](const KindNote& n) { return n.note == note.note; })) {
        notes.push_back(note);
      }
      break;
    }
  }
  return notes;
}

}  // namespace

std::vector<KindNote> notesOf(const DiffResult& result, const Inspection& a, const Inspection& b) {
  // The first note of each kind in each file, found in one pass over its records.
  std::vector<KindNote> first[2];
  for (const int file : {0, 1}) {
    for (const Record& r : (file == 0 ? a : b).records) {
      if (r.note.empty() || std::any_of(first[file].begin(), first[file].end(),
                                        [&r](const KindNote& n) { return n.kind == r.kind; })) {
        continue;
      }
      first[file].push_back({r.kind, r.note});
    }
  }
  return notesFrom(result, [&first](int file, std::string_view kind) -> KindNote {
    const std::vector<KindNote>& notes = first[file];
    const auto it = std::find_if(notes.begin(), notes.end(),
                                 [kind](const KindNote& n) { return n.kind == kind; });
    return it != notes.end() ? *it : KindNote{};
  });
}

// The streamed comparison. A first reading of each file keeps a fingerprint of each record;
// the records are aligned on them as diff() aligns the records themselves. A second reading
// keeps the records that differ or are in one file only, which diff() compares as it would,
// and compares every other pair (equal records) byte for byte as it passes: a pair whose
// record and element chunk are the same bytes in both files is settled there, any other is
// kept for the comparison of every byte, which runs as diff()'s does on the pairs kept.
namespace {

// A polynomial hash modulo 2^61 - 1 at a point drawn for each comparison: two different
// sequences of n values hash alike at no more than n of the 2^61 - 1 points, whatever the files.
class KeyedHash {
 public:
  explicit KeyedHash(std::uint64_t point) : point_(2 + point % (kPrime - 3)) {}

  [[nodiscard]] std::uint64_t of(const Record& r) const {
    std::uint64_t h = 0;
    add(h, r.fields.size());
    for (const Field& f : r.fields) {
      add(h, f.name);
      add(h, static_cast<std::uint64_t>(f.value));
      add(h, f.text);
      add(h, f.isText ? 1 : 0);
    }
    add(h, r.parts.size());
    for (const Record& part : r.parts) add(h, of(part));
    return h;
  }

 private:
  static constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;

  // h * point + v, modulo the prime; every value taken is below it.
  void step(std::uint64_t& h, std::uint64_t v) const {
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(h) * point_ + v;
    std::uint64_t folded =
        static_cast<std::uint64_t>(product & kPrime) + static_cast<std::uint64_t>(product >> 61);
    folded = (folded & kPrime) + (folded >> 61);
    h = folded >= kPrime ? folded - kPrime : folded;
  }
  // A number as its two halves, so that no two numbers give the same values.
  void add(std::uint64_t& h, std::uint64_t v) const {
    step(h, v >> 32);
    step(h, v & 0xFFFFFFFFu);
  }
  // Text as its length, then its bytes.
  void add(std::uint64_t& h, std::string_view text) const {
    add(h, text.size());
    for (const char c : text) step(h, static_cast<unsigned char>(c));
  }

  std::uint64_t point_;
};

// What the first reading keeps of a record: the hash the alignment's table compares, and the
// keyed one; records are taken as equal when both are.
struct Print {
  std::uint64_t table = 0;
  std::uint64_t keyed = 0;
  friend bool operator==(const Print&, const Print&) = default;
};

// Hands the bytes before a reading's place to the release function now and then, with one
// block's margin behind it for the decoder's look back. A place before those released starts
// another pass over the file, from its start.
class Progress {
 public:
  Progress(const ReleaseBytes& release, int file) : release_(release), file_(file) {}
  void reached(std::size_t offset) {
    if (!release_) return;
    if (offset < released_) released_ = 0;
    if (offset < released_ + 2 * kReleaseBlock) return;
    release_(file_, released_, offset - kReleaseBlock);
    released_ = offset - kReleaseBlock;
  }

 private:
  const ReleaseBytes& release_;
  int file_;
  std::size_t released_ = 0;  // bytes before it were given back in this pass
};

// The record kinds in the order they first appear; the index of a kind.
class Kinds {
 public:
  std::size_t indexOf(std::string_view kind) {
    if (!names_.empty() && kind == names_[last_]) return last_;
    const auto it = std::find(names_.begin(), names_.end(), kind);
    last_ = static_cast<std::size_t>(it - names_.begin());
    if (it == names_.end()) names_.push_back(kind);
    return last_;
  }
  [[nodiscard]] const std::vector<std::string_view>& names() const { return names_; }

 private:
  std::vector<std::string_view> names_;
  std::size_t last_ = 0;
};

// The first reading of a file: each record's fingerprint and the first note of each kind.
class Fingerprints : public RecordSink {
 public:
  Fingerprints(const KeyedHash& key, const ReleaseBytes& release, int file)
      : key_(key), progress_(release, file) {}
  void record(const Record& r) override {
    const std::size_t k = kinds.indexOf(r.kind);
    if (k == prints.size()) {
      prints.emplace_back();
      notes.emplace_back();
    }
    prints[k].push_back({fingerprint(r), key_.of(r)});
    if (notes[k].empty()) notes[k] = r.note;
    progress_.reached(r.offset);
  }
  void reached(std::size_t offset) override { progress_.reached(offset); }

  Kinds kinds;
  std::vector<std::deque<Print>> prints;  // by kind, in file order
  std::vector<std::string_view> notes;    // by kind

 private:
  const KeyedHash& key_;
  Progress progress_;
};

// A run of aligned pairs: A's records from `a` and B's from `b`, `count` of them, or the
// records of one file only.
struct Segment {
  std::size_t a = 0;
  std::size_t b = 0;
  std::size_t count = 0;
  bool inA = false;
  bool inB = false;
};

// One kind of record in both files: how its records pair, and which of them the second
// reading keeps whole (a record in a pair that differs or in one file only).
struct KindPlan {
  std::string_view name;
  std::vector<Segment> segments;
  std::vector<bool> keepA;
  std::vector<bool> keepB;
};

KindPlan planKind(std::string_view name, const std::deque<Print>& a, const std::deque<Print>& b) {
  KindPlan plan{name, {}, std::vector<bool>(a.size()), std::vector<bool>(b.size())};
  alignItems(
      a.size(), b.size(), [&](std::size_t i, std::size_t j) { return a[i] == b[j]; },
      [&](std::size_t i) { return a[i].table; }, [&](std::size_t j) { return b[j].table; },
      [&](std::size_t i, std::size_t j) {
        const bool inA = i != kNone;
        const bool inB = j != kNone;
        if (!inA || !inB || !(a[i] == b[j])) {
          if (inA) plan.keepA[i] = true;
          if (inB) plan.keepB[j] = true;
        }
        if (!plan.segments.empty()) {
          Segment& last = plan.segments.back();
          if (last.inA == inA && last.inB == inB && (!inA || last.a + last.count == i) &&
              (!inB || last.b + last.count == j)) {
            ++last.count;
            return;
          }
        }
        plan.segments.push_back({inA ? i : 0, inB ? j : 0, 1, inA, inB});
      });
  return plan;
}

// [offset, offset + size) of a record in B, for the records the second reading does not keep.
struct Place {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// The second reading of B: where each record lies, and the records kept whole (those the
// plan keeps and those with parts, whose members are compared one by one).
class SecondReadingOfB : public RecordSink {
 public:
  SecondReadingOfB(const std::vector<KindPlan>& plans, const ReleaseBytes& release)
      : plans_(plans), places(plans.size()), kept(plans.size()), progress_(release, 1) {}
  void record(const Record& r) override {
    const std::size_t k = indexOf(plans_, r.kind);
    const std::size_t j = places[k].size();
    places[k].push_back({static_cast<std::uint32_t>(r.offset), static_cast<std::uint32_t>(r.size)});
    if (!r.parts.empty() || plans_[k].keepB[j]) kept[k].emplace(j, r);
    progress_.reached(r.offset);
  }
  void reached(std::size_t offset) override { progress_.reached(offset); }

  static std::size_t indexOf(const std::vector<KindPlan>& plans, std::string_view kind) {
    return static_cast<std::size_t>(
        std::find_if(plans.begin(), plans.end(),
                     [kind](const KindPlan& p) { return p.name == kind; }) -
        plans.begin());
  }

 private:
  const std::vector<KindPlan>& plans_;

 public:
  std::vector<std::deque<Place>> places;
  std::vector<std::map<std::size_t, Record>> kept;

 private:
  Progress progress_;
};

// The second reading of A: keeps the records the plan keeps, and settles each other pair (two
// equal records) whose bytes and element chunks are the same in both files; the pairs it
// cannot settle are kept with their members for the comparison of every byte.
class SecondReadingOfA : public RecordSink {
 public:
  SecondReadingOfA(const std::vector<KindPlan>& plans, const SecondReadingOfB& inB,
                   const Inspection& a, std::span<const std::uint8_t> bytesA, const Inspection& b,
                   std::span<const std::uint8_t> bytesB, const ReleaseBytes& release)
      : kept(plans.size()),
        pairsOf(plans.size()),
        plans_(plans),
        inB_(inB),
        bytesA_(bytesA),
        bytesB_(bytesB),
        cursor_(plans.size()),
        count_(plans.size()),
        progressA_(release, 0),
        progressB_(release, 1) {
    settled.claimedA.assign(bytesA.size(), false);
    settled.claimedB.assign(bytesB.size(), false);
    for (std::size_t top = 0; top < std::min(a.chunks.size(), b.chunks.size()); ++top) {
      elementsA_.emplace_back(a.chunks[top].children);
      elementsB_.emplace_back(b.chunks[top].children);
      settled.elementsA.emplace_back(elementsA_.back().size());
      settled.elementsB.emplace_back(elementsB_.back().size());
    }
  }

  void record(const Record& r) override {
    progressA_.reached(r.offset);
    const std::size_t k = SecondReadingOfB::indexOf(plans_, r.kind);
    const std::size_t i = count_[k]++;
    if (plans_[k].keepA[i]) {
      kept[k].emplace(i, r);
      return;
    }
    // Its pair, in a segment of pairs in both files.
    const std::vector<Segment>& segments = plans_[k].segments;
    std::size_t& s = cursor_[k];
    while (!segments[s].inA || segments[s].a + segments[s].count <= i) ++s;
    const std::size_t j = segments[s].b + (i - segments[s].a);
    const Place place = inB_.places[k][j];
    // The pairs meet B's records in nearly the same order.
    progressB_.reached(place.offset);
    if (settle(r, place)) return;
    // Kept with a record of B that has what the comparison of bytes asks of it.
    const auto whole = inB_.kept[k].find(j);
    Record& b = whole != inB_.kept[k].end() ? otherRecords_.emplace_back(whole->second)
                                            : otherRecords_.emplace_back();
    b.kind = r.kind;
    b.offset = place.offset;
    b.size = place.size;
    const Record& a = otherRecords_.emplace_back(r);
    addPairs(&a, &b, r.kind, r.number, 0, nullptr, pairsOf[k][i]);
  }
  void reached(std::size_t offset) override { progressA_.reached(offset); }

  std::vector<std::map<std::size_t, Record>> kept;
  // The pairs kept for the comparison of bytes: a record's, then its members', as
  // compareRecords lists them for two equal records.
  std::vector<std::map<std::size_t, std::vector<RecordPair>>> pairsOf;
  Settled settled;

 private:
  static void addPairs(const Record* a, const Record* b, std::string_view kind, std::size_t number,
                       std::size_t part, const Record* band, std::vector<RecordPair>& pairs) {
    pairs.push_back({a, b, kind, number, part, band});
    for (std::size_t j = 0; j < a->parts.size() && j < b->parts.size(); ++j) {
      addPairs(&a->parts[j], &b->parts[j], kind, number, a->parts[j].number, a, pairs);
    }
  }

  // Whether the bytes of [a, a + size) in A are those of [b, b + size) in B.
  [[nodiscard]] bool sameBytes(std::size_t a, std::size_t b, std::size_t size) const {
    return a + size <= bytesA_.size() && b + size <= bytesB_.size() &&
           std::equal(bytesA_.begin() + static_cast<std::ptrdiff_t>(a),
                      bytesA_.begin() + static_cast<std::ptrdiff_t>(a + size),
                      bytesB_.begin() + static_cast<std::ptrdiff_t>(b));
  }

  // Claims the bytes of a pair of equal records and of their element chunks, as comparing them
  // would, when all are the same bytes in both files.
  bool settle(const Record& r, const Place& place) {
    if (r.size != place.size || !sameBytes(r.offset, place.offset, r.size)) return false;
    struct Element {
      std::size_t top;
      std::size_t a;
      std::size_t b;
    };
    std::vector<Element> elements;
    for (std::size_t top = 0; top < elementsA_.size(); ++top) {
      const std::size_t ia = elementsA_[top].at(r.offset);
      const std::size_t ib = elementsB_[top].at(place.offset);
      if ((ia == kNone) != (ib == kNone)) return false;
      if (ia == kNone) continue;
      const Chunk ca = elementsA_[top][ia];
      const Chunk cb = elementsB_[top][ib];
      const std::size_t size = dataEnd(ca, bytesA_.size()) - ca.offset;
      if (dataEnd(cb, bytesB_.size()) - cb.offset != size ||
          !sameBytes(ca.offset, cb.offset, size)) {
        return false;
      }
      elements.push_back({top, ia, ib});
    }
    claim(settled.claimedA, r.offset, r.offset + r.size);
    claim(settled.claimedB, place.offset, place.offset + place.size);
    for (const Element& e : elements) {
      const Chunk ca = elementsA_[e.top][e.a];
      const Chunk cb = elementsB_[e.top][e.b];
      settled.elementsA[e.top][e.a] = true;
      settled.elementsB[e.top][e.b] = true;
      claim(settled.claimedA, ca.offset, dataEnd(ca, bytesA_.size()));
      claim(settled.claimedB, cb.offset, dataEnd(cb, bytesB_.size()));
    }
    return true;
  }
  static void claim(std::vector<bool>& claimed, std::size_t begin, std::size_t end) {
    std::fill(claimed.begin() + static_cast<std::ptrdiff_t>(begin),
              claimed.begin() + static_cast<std::ptrdiff_t>(end), true);
  }

  const std::vector<KindPlan>& plans_;
  const SecondReadingOfB& inB_;
  std::span<const std::uint8_t> bytesA_;
  std::span<const std::uint8_t> bytesB_;
  std::vector<Elements> elementsA_;
  std::vector<Elements> elementsB_;
  std::deque<Record> otherRecords_;  // the records of the pairs kept, in both files
  std::vector<std::size_t> cursor_;  // by kind: the segment of the last pair met
  std::vector<std::size_t> count_;   // by kind: the records met
  Progress progressA_;
  Progress progressB_;
};

}  // namespace

StreamedDiff diffStreamed(std::span<const std::uint8_t> bytesA,
                          std::span<const std::uint8_t> bytesB, const ReleaseBytes& release) {
  StreamedDiff out;
  const KeyedHash key(std::random_device{}() * std::uint64_t{0x100000000} + std::random_device{}());
  // The first readings.
  Fingerprints printsA(key, release, 0);
  out.a = inspect(bytesA, printsA);
  Fingerprints printsB(key, release, 1);
  out.b = inspect(bytesB, printsB);
  if (out.a.kind != out.b.kind) return out;
  // Record kinds in the order they first appear in A, then those only B has.
  Kinds kinds;
  for (const Fingerprints* in : {&printsA, &printsB}) {
    for (const std::string_view name : in->kinds.names()) (void)kinds.indexOf(name);
  }
  std::vector<KindPlan> plans;
  static const std::deque<Print> kNoPrints;
  auto printsOf = [](Fingerprints& in, std::string_view name) -> std::deque<Print>* {
    const auto& names = in.kinds.names();
    const auto it = std::find(names.begin(), names.end(), name);
    return it != names.end() ? &in.prints[static_cast<std::size_t>(it - names.begin())] : nullptr;
  };
  for (const std::string_view name : kinds.names()) {
    std::deque<Print>* a = printsOf(printsA, name);
    std::deque<Print>* b = printsOf(printsB, name);
    plans.push_back(planKind(name, a != nullptr ? *a : kNoPrints, b != nullptr ? *b : kNoPrints));
    // Not needed again.
    if (a != nullptr) std::deque<Print>().swap(*a);
    if (b != nullptr) std::deque<Print>().swap(*b);
  }
  // The second readings.
  SecondReadingOfB inB(plans, release);
  (void)inspect(bytesB, inB);
  SecondReadingOfA inA(plans, inB, out.a, bytesA, out.b, bytesB, release);
  (void)inspect(bytesA, inA);
  // The records compared as compareAll compares them, in the same order.
  std::vector<RecordPair> pairs;
  DiffResult& result = out.result;
  for (std::size_t k = 0; k < plans.size(); ++k) {
    for (const Segment& s : plans[k].segments) {
      for (std::size_t n = 0; n < s.count; ++n) {
        const std::size_t i = s.a + n;
        const std::size_t j = s.b + n;
        if (s.inA && s.inB && !plans[k].keepA[i]) {
          const auto kept = inA.pairsOf[k].find(i);
          if (kept != inA.pairsOf[k].end()) {
            pairs.insert(pairs.end(), kept->second.begin(), kept->second.end());
          }
          continue;
        }
        const Record* a = s.inA ? &inA.kept[k].at(i) : nullptr;
        const Record* b = s.inB ? &inB.kept[k].at(j) : nullptr;
        compareRecords(a, b, plans[k].name, a != nullptr ? a->number : b->number, 0, nullptr,
                       result, pairs);
      }
    }
  }
  if (out.a.kind == FileKind::kMap) compareSquares(out.a.map, out.b.map, result);
  result.identical = result.differences.empty();
  std::stable_sort(pairs.begin(), pairs.end(), [](const RecordPair& x, const RecordPair& y) {
    return (x.a != nullptr ? x.a->offset : x.b->offset) <
           (y.a != nullptr ? y.a->offset : y.b->offset);
  });
  ByteComparison(out.a, bytesA, out.b, bytesB, result, release).run(pairs, &inA.settled);
  result.notes = notesFrom(result, [&](int file, std::string_view kind) -> KindNote {
    const Fingerprints& in = file == 0 ? printsA : printsB;
    const auto& names = in.kinds.names();
    const auto it = std::find(names.begin(), names.end(), kind);
    if (it == names.end()) return {};
    return {*it, in.notes[static_cast<std::size_t>(it - names.begin())]};
  });
  return out;
}

}  // namespace ts::inspect
