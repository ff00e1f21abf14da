#include "diff.h"

#include <algorithm>
#include <string_view>

#include "names.h"

namespace ts::inspect {

namespace {

std::string labelOf(std::string_view kind, std::size_t number, std::size_t part) {
  std::string label = std::string(kind) + " " + std::to_string(number);
  if (part != 0) label += ", member " + std::to_string(part);
  return label;
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

// `number` is the record's (for a band member: its band's), `part` a member's number or 0.
void compareRecords(const Record* a, const Record* b, std::string_view kind, std::size_t number,
                    std::size_t part, DiffResult& out) {
  if (a != nullptr && b != nullptr && sameRecord(*a, *b)) return;
  Difference base;
  base.label = labelOf(kind, number, part);
  base.record = kind;
  base.number = number;
  base.part = part;
  if (a != nullptr) base.offsetA = a->offset;
  if (b != nullptr) base.offsetB = b->offset;
  if (a == nullptr || b == nullptr) {
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
    compareRecords(ma, mb, kind, number, ma != nullptr ? ma->number : mb->number, out);
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

void compareSquares(const MapGrid& a, const MapGrid& b, DiffResult& out) {
  if (a.width <= 0 || b.width <= 0) return;
  const auto widthA = static_cast<std::size_t>(a.width);
  const auto widthB = static_cast<std::size_t>(b.width);
  const std::size_t rowsA = a.cells.size() / widthA;
  const std::size_t rowsB = b.cells.size() / widthB;
  const std::size_t width = std::min(widthA, widthB);
  const std::size_t rows = std::min(rowsA, rowsB);
  for (std::size_t y = 0; y < rows; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint32_t ca = a.cells[y * widthA + x];
      const std::uint32_t cb = b.cells[y * widthB + x];
      if (ca == cb) continue;
      if (++out.squaresChanged > kMaxListedSquares) continue;
      Difference d;
      d.label = "square (" + std::to_string(x) + ", " + std::to_string(y) + ")";
      d.record = "square";
      d.number = y * width + x + 1;
      d.field = "terrain";
      d.a = terrainField(ca);
      d.b = terrainField(cb);
      out.differences.push_back(std::move(d));
    }
  }
}

}  // namespace

DiffResult diff(const Inspection& a, const Inspection& b) {
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
      compareRecords(pa, pb, kind, pa != nullptr ? pa->number : pb->number, 0, out);
    }
  }
  if (a.kind == FileKind::kMap) compareSquares(a.map, b.map, out);
  return out;
}

}  // namespace ts::inspect
