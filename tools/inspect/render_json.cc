// The JSON rendering. A numeric field with a name becomes {"value": n, "name": "..."}, a text
// field a string, any other field a number; keys keep the decoder's order.
#include "model/vocabulary.h"
#include "names.h"
#include "render.h"

namespace ts::inspect {

namespace {

Json fieldJson(const Field& f) {
  if (f.isText) return f.text;
  if (f.text.empty()) return f.value;
  return Json{{"value", f.value}, {"name", f.text}};
}

Json recordJson(const Record& r) {
  Json j{{"kind", r.kind}, {"number", r.number}, {"offset", r.offset}};
  Json fields = Json::object();
  for (const Field& f : r.fields) fields[f.name] = fieldJson(f);
  j["fields"] = std::move(fields);
  if (!r.parts.empty()) {
    Json parts = Json::array();
    for (const Record& part : r.parts) parts.push_back(recordJson(part));
    j["members"] = std::move(parts);
  }
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
  if (in.kind == FileKind::kMap) {
    Json terrain = Json::array();
    for (const TerrainCount& t : in.map.terrain) {
      terrain.push_back({{"code", t.code},
                         {"name", terrainName(t.code)},
                         {"owner", playerName(ownerOf(t.code))},
                         {"count", t.count}});
    }
    j["map"] = {{"width", in.map.width},
                {"height", in.map.height},
                {"squares", in.map.cells.size()},
                {"terrain", std::move(terrain)}};
  }
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

Json diffToJson(const std::string& pathA, const Inspection& a, const std::string& pathB,
                const Inspection& b, const DiffResult& result) {
  Json differences = Json::array();
  for (const Difference& d : result.differences) {
    Json j{{"label", d.label}, {"record", d.record}, {"number", d.number}};
    if (d.part != 0) j["member"] = d.part;
    j["field"] = d.field.empty() ? Json() : Json(d.field);
    j["a"] = d.a ? fieldJson(*d.a) : Json();
    j["b"] = d.b ? fieldJson(*d.b) : Json();
    j["offsetA"] = d.offsetA ? Json(*d.offsetA) : Json();
    j["offsetB"] = d.offsetB ? Json(*d.offsetB) : Json();
    differences.push_back(std::move(j));
  }
  return Json{
      {"a", {{"path", pathA}, {"kind", fileKindName(a.kind)}, {"problems", problemsJson(a)}}},
      {"b", {{"path", pathB}, {"kind", fileKindName(b.kind)}, {"problems", problemsJson(b)}}},
      {"identical", result.differences.empty()},
      {"squaresChanged", result.squaresChanged},
      {"differences", std::move(differences)}};
}

}  // namespace ts::inspect
