// The text rendering: the chunk tree with offsets and sizes (runs of equal element chunks on
// one line), then the records, drawn per file kind where a plain list would hide the
// structure (the map's terrain counts, the trigger tree, the variables by keeper), then the
// problems with their offsets.
#include "render_text.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "decoding/names.h"
#include "model/vocabulary.h"

namespace ts::inspect {

namespace {

std::string offsetText(std::size_t offset) {
  char text[48];
  std::snprintf(text, sizeof text, "%zu (0x%zX)", offset, offset);
  return text;
}

std::string fieldsText(const Record& r, bool withMinor,
                       std::initializer_list<std::string_view> skip = {}) {
  std::string text;
  for (const Field& f : r.fields) {
    if (f.minor && !withMinor) continue;
    if (std::find(skip.begin(), skip.end(), f.name) != skip.end()) continue;
    if (!text.empty()) text += ' ';
    text += std::string(f.name) + "=" + formatValue(f);
  }
  return text;
}

// `prefix`: words of the record's name that the heading above it already says ("keeper 1 ").
void recordLine(const Record& r, const std::string& indent, std::ostream& out,
                std::initializer_list<std::string_view> skip = {}, std::string_view prefix = {}) {
  std::string name = r.name();
  if (!prefix.empty() && name.starts_with(prefix)) name.erase(0, prefix.size());
  out << indent << name << " @" << r.offset << ": " << fieldsText(r, true, skip) << '\n';
  for (const Record& part : r.parts) recordLine(part, indent + "  ", out);
}

void chunkLines(FileKind kind, const std::vector<Chunk>& chunks, const std::string& indent,
                std::ostream& out) {
  for (std::size_t i = 0; i < chunks.size();) {
    const Chunk& c = chunks[i];
    // A run kept as one chunk counts as its length.
    std::size_t next = i + 1;
    std::size_t run = c.repeat;
    while (next < chunks.size() && chunks[next].id == c.id && chunks[next].size == c.size &&
           chunks[next].children.empty()) {
      run += chunks[next++].repeat;
    }
    const std::string_view name = chunkName(kind, c.id);
    out << indent << '@' << c.offset << ' ' << (name.empty() ? "unknown" : name) << " (" << c.id
        << ')';
    if (run > 1) {
      out << " x" << run << ", " << c.size << " bytes each\n";
    } else {
      out << ", " << c.size << " bytes\n";
    }
    chunkLines(kind, c.children, indent + "  ", out);
    i = next;
  }
}

void renderMap(const Inspection& in, std::ostream& out) {
  const MapGrid& grid = in.map;
  out << "  terrain, " << grid.cells.size() << " squares";
  if (grid.width > 0 && grid.height > 0)
    out << " of a " << grid.width << " by " << grid.height << " map";
  out << ":\n";
  for (const TerrainCount& t : grid.terrain) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(t.code));
    const std::string_view name = terrainName(t.code);
    const std::string_view owner = playerName(ownerOf(t.code));
    char line[160];
    std::snprintf(line, sizeof line, "    %8zu  %s  %-20s owner %s\n", t.count, code,
                  name.empty() ? "unknown" : std::string(name).c_str(),
                  owner.empty() ? "none" : std::string(owner).c_str());
    out << line;
  }
}

void renderTriggerTree(const Inspection& in, std::ostream& out) {
  out << "  trigger tree:\n";
  for (const TreeLine& line : in.triggerTree) {
    const Record& r = in.records[line.record];
    const Field* id = r.find("id");
    const Field* kind = r.find(r.kind == "trigger" ? "kind" : "action");
    // A trigger's number is its identifier; an action's is its place under its trigger, and
    // its identifier is what the links name.
    out << "    " << std::string(2 * line.depth, ' ') << r.kind << ' ' << r.number;
    if (line.action) out << " (id " << id->value << ')';
    out << ": " << formatValue(*kind) << ' ' << fieldsText(r, false, {"id", "kind", "action"})
        << '\n';
  }
}

void renderVariables(const Inspection& in, std::ostream& out) {
  // Creature counts and availabilities by keeper; the other entries after them.
  std::map<std::int64_t, std::vector<const Record*>> byPlayer;
  std::vector<const Record*> others;
  for (const Record& r : in.records) {
    const Field* player = r.find("player");
    if ((r.kind == "creature count" || r.kind == "availability") && player != nullptr) {
      byPlayer[player->value].push_back(&r);
    } else if (r.kind != "file size" && r.kind != "information") {
      others.push_back(&r);
    }
  }
  for (const auto& [player, records] : byPlayer) {
    const std::string_view token = playerName(player);
    out << "  " << playerWords(player);
    if (!token.empty()) out << " (" << token << ')';
    out << ":\n";
    const std::string prefix = playerWords(player) + " ";
    for (const Record* r : records) recordLine(*r, "    ", out, {"player"}, prefix);
  }
  if (!others.empty()) out << "  other entries:\n";
  for (const Record* r : others) recordLine(*r, "    ", out);
}

// Each record kind's note once, after the records: kinds that share a note (triggers and
// actions) say it once, under the first kind that has it.
class Notes {
 public:
  void add(const Record& r) {
    if (r.note.empty() || std::any_of(notes_.begin(), notes_.end(),
                                      [&](const auto& n) { return n.second == r.note; })) {
      return;
    }
    notes_.emplace_back(r.kind, r.note);
  }
  void write(std::ostream& out) const {
    for (const auto& [kind, note] : notes_) {
      out << "  note on the " << kind << " records: " << note << '\n';
    }
  }

 private:
  std::vector<std::pair<std::string_view, std::string_view>> notes_;
};

void noteLines(const Inspection& in, std::ostream& out) {
  Notes notes;
  for (const Record& r : in.records) notes.add(r);
  notes.write(out);
}

// The file's line and its chunk tree.
void headLines(const std::string& path, const Inspection& in, std::ostream& out) {
  out << path << ": " << fileKindName(in.kind) << " file, " << in.length << " bytes\n";
  if (!in.chunks.empty()) {
    out << "  chunks:\n";
    chunkLines(in.kind, in.chunks, "    ", out);
  }
}

void problemLines(const Inspection& in, std::ostream& out) {
  if (in.problems.empty()) {
    out << "  well-formed\n";
    return;
  }
  out << "  problems (" << in.problems.size() << "):\n";
  for (const Problem& p : in.problems) {
    out << "    offset " << offsetText(p.offset) << ": " << p.message << '\n';
  }
}

}  // namespace

std::string formatValue(const Field& f) {
  if (f.isText) {
    std::string quoted = "\"";
    for (char c : f.text) {
      if (c == '"') quoted += '\\';
      quoted += c;
    }
    return quoted + "\"";
  }
  if (f.text.empty()) return std::to_string(f.value);
  if (f.text.find(' ') == std::string::npos) return f.text;
  return std::to_string(f.value) + " (" + f.text + ")";
}

void renderText(const std::string& path, const Inspection& in, std::ostream& out) {
  headLines(path, in, out);
  for (const Record& r : in.records) {
    const bool framing =
        r.kind == "file size" || r.kind == "information" || r.kind == "map information";
    // Trigger elements are drawn in the tree, variables entries by keeper.
    if (framing || (in.kind != FileKind::kTriggers && in.kind != FileKind::kVariables)) {
      recordLine(r, "  ", out);
    }
  }
  noteLines(in, out);
  if (in.kind == FileKind::kMap) renderMap(in, out);
  if (in.kind == FileKind::kTriggers) renderTriggerTree(in, out);
  if (in.kind == FileKind::kVariables) renderVariables(in, out);
  problemLines(in, out);
}

bool renderText(const std::string& path, std::span<const std::uint8_t> bytes, std::ostream& out) {
  // The trigger tree links its records and the variables are drawn by keeper: those two kinds
  // are small and are drawn from a whole inspection.
  Inspection in = inspectWithoutRecords(bytes);
  if (in.kind == FileKind::kTriggers || in.kind == FileKind::kVariables) {
    const Inspection whole = inspect(bytes);
    renderText(path, whole, out);
    return whole.wellFormed();
  }
  headLines(path, in, out);
  // The second decoding finds the chunks again.
  std::vector<Chunk>().swap(in.chunks);
  struct Lines : RecordSink {
    explicit Lines(std::ostream& to) : out(to) {}
    void record(const Record& r) override {
      recordLine(r, "  ", out);
      notes.add(r);
    }
    std::ostream& out;
    Notes notes;
  } lines(out);
  (void)inspect(bytes, lines);
  lines.notes.write(out);
  if (in.kind == FileKind::kMap) renderMap(in, out);
  problemLines(in, out);
  return in.wellFormed();
}

void renderDiffText(const std::string& pathA, const Inspection& a, const std::string& pathB,
                    const Inspection& b, const DiffResult& result, std::ostream& out) {
  out << "A: " << pathA << " (" << fileKindName(a.kind) << " file)\n";
  out << "B: " << pathB << " (" << fileKindName(b.kind) << " file)\n";
  for (const Difference& d : result.differences) {
    out << d.label;
    if (d.isByteRun()) {
      if (d.offsetA || d.offsetB) {
        out << " (";
        if (d.offsetA) out << "A @" << *d.offsetA;
        if (d.offsetB && d.offsetB != d.offsetA)
          out << (d.offsetA ? ", " : "") << "B @" << *d.offsetB;
        out << ')';
      }
      if (d.within) {
        // Named by the field or slot that holds the bytes, and placed within its record.
        const ByteRange& w = *d.within;
        out << ": " << d.field << " (";
        if (d.undecoded && !d.field.starts_with("undecoded")) out << "undecoded, ";
        if (w.first == w.last) {
          out << "byte " << w.first;
        } else {
          out << "bytes " << w.first << ".." << w.last;
        }
        out << " of the " << (d.record == "chunk" ? "chunk" : "record") << "): ";
        if (!d.bytesB) {
          out << "only in A\n";
        } else if (!d.bytesA) {
          out << "only in B\n";
        } else if (d.a && d.b) {
          out << d.a->text << " -> " << d.b->text << '\n';
        } else {
          out << (w.last - w.first + 1) << " bytes differ\n";
        }
        continue;
      }
      const ByteRange& run = d.bytesA ? *d.bytesA : *d.bytesB;
      out << ": bytes " << run.first << ".." << run.last;
      if (!d.bytesB) {
        out << " only in A\n";
      } else if (!d.bytesA) {
        out << " only in B\n";
      } else if (*d.bytesB != *d.bytesA) {
        out << " differ (B " << d.bytesB->first << ".." << d.bytesB->last << ")\n";
      } else {
        out << " differ\n";
      }
      continue;
    }
    if (d.field.empty()) {
      const bool inA = d.offsetA.has_value();
      if (!d.description.empty()) out << " (" << d.description << ')';
      out << ": only in " << (inA ? "A" : "B") << " @" << (inA ? *d.offsetA : *d.offsetB) << '\n';
      continue;
    }
    if (d.offsetA && d.offsetB) {
      out << " (A @" << *d.offsetA;
      if (*d.offsetB != *d.offsetA) out << ", B @" << *d.offsetB;
      out << ')';
    }
    out << ": " << d.field << ": " << (d.a ? formatValue(*d.a) : "(absent)") << " -> "
        << (d.b ? formatValue(*d.b) : "(absent)") << '\n';
  }
  const std::size_t unlistedSquares =
      result.squaresChanged > kMaxListedSquares ? result.squaresChanged - kMaxListedSquares : 0;
  const std::size_t unlistedRuns =
      result.byteRuns > kMaxListedByteRuns ? result.byteRuns - kMaxListedByteRuns : 0;
  if (unlistedSquares != 0) out << "... and " << unlistedSquares << " more squares differ\n";
  if (unlistedRuns != 0) out << "... and " << unlistedRuns << " more runs of bytes differ\n";
  for (const KindNote& n : result.notes) {
    out << "note on the " << n.kind << " records: " << n.note << '\n';
  }
  for (const auto& [name, in] : {std::pair{"A", &a}, std::pair{"B", &b}}) {
    for (const Problem& p : in->problems) {
      out << name << " problem at offset " << offsetText(p.offset) << ": " << p.message << '\n';
    }
  }
  const std::size_t total = result.differences.size() + unlistedSquares + unlistedRuns;
  if (total == 0) {
    out << "no differences\n";
  } else {
    out << total << (total == 1 ? " difference\n" : " differences\n");
  }
}

}  // namespace ts::inspect
