// The JSON rendering. A numeric field with a name becomes {"value": n, "name": "..."}, a text
// field a string, any other field a number; keys keep the decoder's order.
#include "render/inspection_json.h"

#include "decoding/names.h"
#include "format/chunks.h"
#include "model/vocabulary.h"

namespace ts::inspect {

namespace {

// Strings that are not UTF-8 are replaced rather than refused.
std::string dumped(const Json& j) { return j.dump(2, ' ', false, Json::error_handler_t::replace); }

Json fieldJson(const Field& f) {
  if (f.isText) return f.text;
  if (f.text.empty()) return f.value;
  return Json{{"value", f.value}, {"name", f.text}};
}

Json recordJson(const Record& r) {
  Json j{{"kind", r.kind}, {"number", r.number}};
  if (!r.label.empty()) j["label"] = r.label;
  j["offset"] = r.offset;
  Json fields = Json::object();
  for (const Field& f : r.fields) fields[std::string(f.name)] = fieldJson(f);
  j["fields"] = std::move(fields);
  if (!r.parts.empty()) {
    Json parts = Json::array();
    for (const Record& part : r.parts) parts.push_back(recordJson(part));
    j["members"] = std::move(parts);
  }
  if (!r.note.empty()) j["note"] = r.note;
  return j;
}

Json chunkJson(FileKind kind, const Chunk& c) {
  Json j{{"id", c.id}, {"name", chunkName(kind, c.id)}, {"offset", c.offset}, {"size", c.size}};
  if (!c.children.empty()) {
    Json children = Json::array();
    for (const Chunk& child : c.children) children.push_back(chunkJson(kind, child));
    j["children"] = std::move(children);
  }
  return j;
}

// A chunk whose element chunks are written one at a time.
void writeChunk(FileKind kind, const Chunk& c, JsonStream& out) {
  if (c.children.empty()) {
    out.value(chunkJson(kind, c));
    return;
  }
  out.beginObject();
  out.value("id", c.id);
  out.value("name", chunkName(kind, c.id));
  out.value("offset", c.offset);
  out.value("size", c.size);
  out.beginArray("children");
  for (const Chunk& child : c.children) {
    // A run kept as one chunk is written chunk by chunk.
    Chunk one = child;
    one.repeat = 1;
    for (std::size_t k = 0; k < child.repeat; ++k) {
      one.offset = child.offset + k * (kChunkHeaderSize + child.size);
      writeChunk(kind, one, out);
    }
  }
  out.end();
  out.end();
}

Json mapJson(const MapGrid& map) {
  Json terrain = Json::array();
  for (const TerrainCount& t : map.terrain) {
    terrain.push_back({{"code", t.code},
                       {"name", terrainName(t.code)},
                       {"owner", playerName(ownerOf(t.code))},
                       {"count", t.count}});
  }
  return {{"width", map.width},
          {"height", map.height},
          {"squares", map.cells.size()},
          {"terrain", std::move(terrain)}};
}

Json treeLineJson(const TreeLine& line) {
  return {{"depth", line.depth},
          {"element", line.action ? "action" : "trigger"},
          {"id", line.id},
          {"record", line.record}};
}

Json problemsJson(const Inspection& in) {
  Json problems = Json::array();
  for (const Problem& p : in.problems) {
    problems.push_back({{"offset", p.offset}, {"message", p.message}});
  }
  return problems;
}

}  // namespace

Json toJson(const std::string& path, const Inspection& in) {
  Json j{{"path", path},
         {"kind", fileKindName(in.kind)},
         {"length", in.length},
         {"wellFormed", in.wellFormed()}};
  Json chunks = Json::array();
  for (const Chunk& c : in.chunks) chunks.push_back(chunkJson(in.kind, c));
  j["chunks"] = std::move(chunks);
  Json records = Json::array();
  for (const Record& r : in.records) records.push_back(recordJson(r));
  j["records"] = std::move(records);
  if (in.kind == FileKind::kMap) j["map"] = mapJson(in.map);
  if (in.kind == FileKind::kTriggers) {
    // Each line names its record by index into "records".
    Json tree = Json::array();
    for (const TreeLine& line : in.triggerTree) {
      const Record& r = in.records[line.record];
      tree.push_back({{"depth", line.depth},
                      {"element", r.kind},
                      {"id", r.find("id")->value},
                      {"record", line.record}});
    }
    j["triggerTree"] = std::move(tree);
  }
  j["problems"] = problemsJson(in);
  return j;
}

void JsonStream::begin(std::string_view key, char open) {
  next(key);
  out_ << open;
  levels_.push_back({open == '{' ? '}' : ']'});
}

void JsonStream::next(std::string_view key) {
  if (levels_.empty()) return;
  Level& level = levels_.back();
  out_ << (level.values++ == 0 ? "\n" : ",\n") << std::string(2 * levels_.size(), ' ');
  if (level.close == '}') out_ << dumped(std::string(key)) << ": ";
}

void JsonStream::value(std::string_view key, const Json& j) {
  next(key);
  // Nested lines are indented by the depth they are written at.
  const std::string indent(2 * levels_.size(), ' ');
  const std::string text = dumped(j);
  std::size_t from = 0;
  for (std::size_t line = text.find('\n'); line != std::string::npos;
       from = line + 1, line = text.find('\n', from)) {
    out_.write(text.data() + from, static_cast<std::streamsize>(line + 1 - from)) << indent;
  }
  out_.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
}

void JsonStream::end() {
  const Level level = levels_.back();
  levels_.pop_back();
  if (level.values != 0) out_ << '\n' << std::string(2 * levels_.size(), ' ');
  out_ << level.close;
  if (levels_.empty()) out_ << '\n';
}

bool writeJson(const std::string& path, std::span<const std::uint8_t> bytes, JsonStream& out) {
  struct Write : RecordSink {
    explicit Write(JsonStream& to) : out(to) {}
    void record(const Record& r) override { out.value(recordJson(r)); }
    JsonStream& out;
  } write(out);
  Inspection in = inspectWithoutRecords(bytes);
  out.beginObject();
  out.value("path", path);
  out.value("kind", fileKindName(in.kind));
  out.value("length", in.length);
  out.value("wellFormed", in.wellFormed());
  out.beginArray("chunks");
  for (const Chunk& c : in.chunks) writeChunk(in.kind, c, out);
  out.end();
  // The second decoding finds the chunks again.
  std::vector<Chunk>().swap(in.chunks);
  out.beginArray("records");
  (void)inspect(bytes, write);
  out.end();
  if (in.kind == FileKind::kMap) out.value("map", mapJson(in.map));
  if (in.kind == FileKind::kTriggers) {
    out.beginArray("triggerTree");
    for (const TreeLine& line : in.triggerTree) out.value(treeLineJson(line));
    out.end();
  }
  out.value("problems", problemsJson(in));
  out.end();
  return in.wellFormed();
}

Json diffToJson(const std::string& pathA, const Inspection& a, const std::string& pathB,
                const Inspection& b, const DiffResult& result) {
  Json differences = Json::array();
  for (const Difference& d : result.differences) {
    Json j{{"label", d.label}, {"record", d.record}, {"number", d.number}};
    if (d.part != 0) j["member"] = d.part;
    if (!d.description.empty()) j["description"] = d.description;
    j["field"] = d.field.empty() ? Json() : Json(d.field);
    j["a"] = d.a ? fieldJson(*d.a) : Json();
    j["b"] = d.b ? fieldJson(*d.b) : Json();
    j["offsetA"] = d.offsetA ? Json(*d.offsetA) : Json();
    j["offsetB"] = d.offsetB ? Json(*d.offsetB) : Json();
    if (d.isByteRun()) {
      auto range = [](const std::optional<ByteRange>& r) {
        return r ? Json::array({r->first, r->last}) : Json();
      };
      j["bytes"] = {{"a", range(d.bytesA)}, {"b", range(d.bytesB)}};
      // Where the run lies in its record or chunk, and whether any field decodes it.
      if (d.within) j["within"] = range(d.within);
      j["undecoded"] = d.undecoded;
    }
    differences.push_back(std::move(j));
  }
  Json notes = Json::object();
  for (const KindNote& n : result.notes) notes[std::string(n.kind)] = n.note;
  return Json{
      {"a", {{"path", pathA}, {"kind", fileKindName(a.kind)}, {"problems", problemsJson(a)}}},
      {"b", {{"path", pathB}, {"kind", fileKindName(b.kind)}, {"problems", problemsJson(b)}}},
      {"identical", result.identical},
      {"squaresChanged", result.squaresChanged},
      {"byteRuns", result.byteRuns},
      {"differences", std::move(differences)},
      {"notes", std::move(notes)}};
}

}  // namespace ts::inspect
