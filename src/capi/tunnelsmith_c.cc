// The C interface (include/tunnelsmith/tunnelsmith_c.h): each function calls the C++ interface,
// or for inspections and diffs the decoding layer with the inspector's own JSON rendering, and
// returns one JSON document with the files, if any. Nothing is thrown out of here.
#include "tunnelsmith/tunnelsmith_c.h"

#include <array>
#include <cstdint>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/le_encoding.h"
#include "decoding/diff.h"
#include "decoding/inspection.h"
#include "render/inspection_json.h"
#include "tunnelsmith/tunnelsmith.h"

struct tunnelsmith_result {
  struct File {
    std::string name;
    std::vector<std::uint8_t> bytes;
  };
  std::string json;
  std::vector<File> files;
};

namespace {

using Json = nlohmann::ordered_json;
using tunnelsmith_result_file = tunnelsmith_result::File;

// Handed out when not even a result can be allocated; never freed.
const tunnelsmith_result kOutOfMemory{
    R"({"problems":[{"name":"internal-error","severity":"error","offset":null,)"
    R"("message":"internal error: out of memory"}]})",
    {}};

std::string_view severityWord(tunnelsmith::Severity severity) {
  switch (severity) {
    case tunnelsmith::Severity::kError:
      return "error";
    case tunnelsmith::Severity::kWarning:
      return "warning";
    case tunnelsmith::Severity::kNote:
      return "note";
  }
  return "error";
}

Json problemJson(std::string_view name, tunnelsmith::Severity severity,
                 std::optional<std::size_t> offset, std::string_view message) {
  return {{"name", name},
          {"severity", severityWord(severity)},
          {"offset", offset ? Json(*offset) : Json()},
          {"message", message}};
}

// Builds a result: `fill` writes the document and adds the files. Any exception it lets out
// becomes the internal-error document.
template <typename Fill>
tunnelsmith_result* resultOf(Fill&& fill) noexcept {
  tunnelsmith_result* result = new (std::nothrow) tunnelsmith_result;
  if (result == nullptr) return const_cast<tunnelsmith_result*>(&kOutOfMemory);
  try {
    Json document = Json::object();
    fill(document, result->files);
    result->json = document.dump(-1, ' ', false, Json::error_handler_t::replace);
    return result;
  } catch (const std::exception& e) {
    try {
      result->files.clear();
      result->json =
          Json{{"problems", Json::array({problemJson("internal-error",
                                                     tunnelsmith::Severity::kError, std::nullopt,
                                                     std::string("internal error: ") + e.what())})}}
              .dump(-1, ' ', false, Json::error_handler_t::replace);
      return result;
    } catch (...) {
    }
  } catch (...) {
  }
  delete result;
  return const_cast<tunnelsmith_result*>(&kOutOfMemory);
}

std::string_view textOf(const char* text, std::size_t size) {
  return text == nullptr ? std::string_view() : std::string_view(text, size);
}

std::span<const std::uint8_t> bytesOf(const unsigned char* bytes, std::size_t size) {
  return bytes == nullptr ? std::span<const std::uint8_t>() : std::span(bytes, size);
}

Json spanJson(Json j, const tunnelsmith::Span& span, const tunnelsmith::TextLines& lines) {
  const tunnelsmith::TextPosition at = lines.positionOf(span.start);
  j["start"] = span.start;
  j["end"] = span.end;
  j["line"] = at.line;
  j["column"] = at.column;
  return j;
}

Json squareJson(const tunnelsmith::Square& square) { return {{"x", square.x}, {"y", square.y}}; }

Json editsJson(const std::vector<tunnelsmith::TextEdit>& edits) {
  Json list = Json::array();
  for (const tunnelsmith::TextEdit& e : edits) {
    list.push_back({{"start", e.span.start}, {"end", e.span.end}, {"replacement", e.replacement}});
  }
  return list;
}

Json diagnosticJson(const tunnelsmith::Diagnostic& d, const tunnelsmith::TextLines& lines) {
  Json j = spanJson({{"id", d.id}, {"severity", severityWord(d.severity)}, {"message", d.message}},
                    d.span, lines);
  Json notes = Json::array();
  for (const tunnelsmith::Note& n : d.notes) {
    Json note = spanJson({{"message", n.message}}, n.span, lines);
    if (n.square) note["square"] = squareJson(*n.square);
    notes.push_back(std::move(note));
  }
  j["notes"] = std::move(notes);
  j["fixes"] = editsJson(d.fixes);
  j["fixTitle"] = d.fixTitle;
  j["suggestions"] = editsJson(d.suggestions);
  if (d.square) j["square"] = squareJson(*d.square);
  j["afterFirstError"] = d.afterFirstError;
  return j;
}

// The edits of one diagnostic in the apply_fixes document: its "fixes" array, or an object
// holding one. Empty with `why` said on any other shape. Nothing here throws on a bad document:
// where exceptions end the program (the WebAssembly module), a bad input must not.
bool readEdits(const Json& element, std::vector<tunnelsmith::TextEdit>& edits, std::string& why) {
  const Json* list = &element;
  if (element.is_object()) {
    const auto fixes = element.find("fixes");
    if (fixes == element.end()) {
      why = "a diagnostic without fixes";
      return false;
    }
    list = &*fixes;
  }
  if (!list->is_array()) {
    why = "a diagnostic's fixes are not an array";
    return false;
  }
  for (const Json& e : *list) {
    const auto start = e.is_object() ? e.find("start") : e.end();
    const auto end = e.is_object() ? e.find("end") : e.end();
    const auto replacement = e.is_object() ? e.find("replacement") : e.end();
    if (start == e.end() || end == e.end() || replacement == e.end() ||
        !start->is_number_unsigned() || !end->is_number_unsigned() || !replacement->is_string()) {
      why = "a fix is not {start, end, replacement}";
      return false;
    }
    edits.push_back(
        {{start->get<std::size_t>(), end->get<std::size_t>()}, replacement->get<std::string>()});
  }
  return true;
}

Json badFixes(std::string_view why) {
  return problemJson("bad-fixes", tunnelsmith::Severity::kError, std::nullopt,
                     "the fixes are not an array of the diagnostics' fixes: " + std::string(why));
}

template <typename Names>
Json namesJson(const Names& names) {
  Json list = Json::array();
  for (const tunnelsmith::NamedValue& n : names)
    list.push_back({{"name", n.name}, {"value", n.value}});
  return list;
}

// The parts of an outline. A span is given by its start and end offsets.
Json offsetsJson(const tunnelsmith::Span& s) { return {{"start", s.start}, {"end", s.end}}; }

// The terrain of every square goes as a file of little-endian 32-bit codes, row 0 first (a large
// map has a million of them), and the document names its index.
Json outlineGridJson(const tunnelsmith::OutlineGrid& grid,
                     std::vector<tunnelsmith_result_file>& files) {
  ts::Bytes terrain;
  terrain.reserve(grid.terrain.size() * 4);
  for (const std::uint32_t code : grid.terrain) ts::putU32(terrain, code);
  // The document names the file's index among the result's files.
  const Json index = terrain.empty() ? Json() : Json(files.size());
  if (!terrain.empty()) files.push_back({"terrain", std::move(terrain)});
  return {{"width", grid.width},
          {"height", grid.height},
          {"twoCharacters", grid.twoCharacters},
          {"rowStarts", grid.rowStarts},
          {"terrain", index}};
}

Json outlineSectionsJson(const std::vector<tunnelsmith::OutlineSection>& outlineSections) {
  Json sections = Json::array();
  for (const tunnelsmith::OutlineSection& s : outlineSections) {
    sections.push_back({{"section", tunnelsmith::sectionName(s.section)},
                        {"keyword", offsetsJson(s.keyword)},
                        {"span", offsetsJson(s.span)},
                        {"count", s.count ? offsetsJson(*s.count) : Json()},
                        {"firstEntry", s.firstEntry},
                        {"entryCount", s.entryCount}});
  }
  return sections;
}

Json outlineEntryJson(const tunnelsmith::OutlineEntry& e) {
  Json words = Json::array();
  for (const tunnelsmith::OutlineWord& w : e.words) {
    words.push_back({{"kind", tunnelsmith::wordKindName(w.kind)},
                     {"start", w.span.start},
                     {"end", w.span.end}});
  }
  Json entry = {{"section", tunnelsmith::sectionName(e.section)},
                {"number", e.number},
                {"span", offsetsJson(e.span)},
                {"words", std::move(words)}};
  if (e.square) entry["square"] = squareJson(*e.square);
  if (e.covers) {
    entry["covers"] = {{"left", e.covers->left},
                       {"top", e.covers->top},
                       {"right", e.covers->right},
                       {"bottom", e.covers->bottom}};
  }
  return entry;
}

Json outlineEntriesJson(const std::vector<tunnelsmith::OutlineEntry>& outlineEntries) {
  Json entries = Json::array();
  for (const tunnelsmith::OutlineEntry& e : outlineEntries) entries.push_back(outlineEntryJson(e));
  return entries;
}

Json outlineReferencesJson(const std::vector<tunnelsmith::CrossReference>& outlineReferences) {
  Json references = Json::array();
  for (const tunnelsmith::CrossReference& r : outlineReferences) {
    references.push_back({{"target", tunnelsmith::sectionName(r.target)},
                          {"number", r.number},
                          {"span", offsetsJson(r.span)},
                          {"entry", r.entry ? Json(*r.entry) : Json()}});
  }
  return references;
}

}  // namespace

extern "C" {

tunnelsmith_result* tunnelsmith_compile(const char* text, size_t size) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>& files) {
    tunnelsmith::CompileResult compiled = tunnelsmith::compileMap(textOf(text, size));
    doc["console"] = compiled.console;
    doc["valid"] = compiled.valid;
    Json problems = Json::array();
    for (const tunnelsmith::Problem& p : compiled.problems) {
      problems.push_back(problemJson(p.name, p.severity, p.offset, p.message));
    }
    doc["problems"] = std::move(problems);
    Json list = Json::array();
    for (tunnelsmith::LevelFile& file : compiled.files) {
      list.push_back({{"name", file.name}, {"size", file.bytes.size()}});
      files.push_back({std::move(file.name), std::move(file.bytes)});
    }
    doc["files"] = std::move(list);
  });
}

tunnelsmith_result* tunnelsmith_check(const char* text, size_t size) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>&) {
    const std::string_view mapText = textOf(text, size);
    const tunnelsmith::CheckResult checked = tunnelsmith::checkMap(mapText);
    const tunnelsmith::TextLines lines(mapText);
    Json diagnostics = Json::array();
    for (const tunnelsmith::Diagnostic& d : checked.diagnostics) {
      diagnostics.push_back(diagnosticJson(d, lines));
    }
    doc["diagnostics"] = std::move(diagnostics);
    doc["errors"] = checked.errors;
    doc["warnings"] = checked.warnings;
  });
}

tunnelsmith_result* tunnelsmith_apply_fixes(const char* text, size_t size, const char* fixes_json,
                                            size_t fixes_size) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>& files) {
    const std::string_view mapText = textOf(text, size);
    std::vector<tunnelsmith::Diagnostic> diagnostics;
    Json problems = Json::array();
    std::string why;
    const Json fixes = Json::parse(textOf(fixes_json, fixes_size), nullptr, false);
    if (fixes.is_discarded()) {
      why = "the document is not JSON";
    } else if (!fixes.is_array()) {
      why = "the document is not an array";
    } else {
      for (const Json& element : fixes) {
        diagnostics.emplace_back();
        if (!readEdits(element, diagnostics.back().fixes, why)) break;
      }
    }
    if (!why.empty()) {
      diagnostics.clear();
      problems.push_back(badFixes(why));
    }
    tunnelsmith::FixResult fixed = tunnelsmith::applyFixes(mapText, diagnostics);
    doc["applied"] = fixed.applied;
    doc["skipped"] = fixed.skipped;
    doc["problems"] = std::move(problems);
    std::vector<std::uint8_t> bytes(fixed.text.begin(), fixed.text.end());
    files.push_back({"map.txt", std::move(bytes)});
  });
}

tunnelsmith_result* tunnelsmith_inspect(const unsigned char* bytes, size_t size) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>&) {
    doc = ts::inspect::toJson("", ts::inspect::inspect(bytesOf(bytes, size)));
  });
}

tunnelsmith_result* tunnelsmith_diff(const unsigned char* a, size_t a_size, const unsigned char* b,
                                     size_t b_size) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>&) {
    const std::span<const std::uint8_t> bytesA = bytesOf(a, a_size);
    const std::span<const std::uint8_t> bytesB = bytesOf(b, b_size);
    const ts::inspect::Inspection inA = ts::inspect::inspect(bytesA);
    const ts::inspect::Inspection inB = ts::inspect::inspect(bytesB);
    Json problems = Json::array();
    ts::inspect::DiffResult result;
    if (inA.kind == inB.kind) {
      result = ts::inspect::diff(inA, bytesA, inB, bytesB);
    } else {
      result.identical = false;
      problems.push_back(problemJson(
          "different-kinds", tunnelsmith::Severity::kError, std::nullopt,
          "cannot compare a " + std::string(ts::inspect::fileKindName(inA.kind)) + " file with a " +
              std::string(ts::inspect::fileKindName(inB.kind)) + " file"));
    }
    doc = ts::inspect::diffToJson("a", inA, "b", inB, result);
    doc["problems"] = std::move(problems);
  });
}

tunnelsmith_result* tunnelsmith_decompile(const unsigned char* const files[6],
                                          const size_t sizes[6]) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>& out) {
    std::array<tunnelsmith::ByteView, 6> views;
    for (std::size_t f = 0; files != nullptr && sizes != nullptr && f < views.size(); ++f) {
      if (files[f] != nullptr) views[f] = {files[f], sizes[f]};
    }
    tunnelsmith::Decompilation decompiled = tunnelsmith::decompileLevel(views);
    doc["exact"] = decompiled.exact();
    doc["damaged"] = decompiled.damaged;
    Json findings = Json::array();
    for (const tunnelsmith::Finding& f : decompiled.findings) {
      findings.push_back({{"file", f.file}, {"offset", f.offset}, {"message", f.message}});
    }
    doc["findings"] = std::move(findings);
    out.push_back({"map.txt", {decompiled.text.begin(), decompiled.text.end()}});
  });
}

tunnelsmith_result* tunnelsmith_outline(const char* text, size_t size) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>& files) {
    const tunnelsmith::Outline outline = tunnelsmith::outlineMap(textOf(text, size));
    doc["levelName"] = outline.levelName;
    doc["players"] = outline.players;
    doc["grid"] = outlineGridJson(outline.grid, files);
    doc["sections"] = outlineSectionsJson(outline.sections);
    doc["entries"] = outlineEntriesJson(outline.entries);
    doc["references"] = outlineReferencesJson(outline.references);
  });
}

tunnelsmith_result* tunnelsmith_vocabulary(void) {
  return resultOf([&](Json& doc, std::vector<tunnelsmith_result_file>&) {
    const tunnelsmith::Vocabulary v = tunnelsmith::vocabulary();
    doc = {{"terrains", namesJson(v.terrains)}, {"creatures", namesJson(v.creatures)},
           {"objects", namesJson(v.objects)},   {"doors", namesJson(v.doors)},
           {"traps", namesJson(v.traps)},       {"rooms", namesJson(v.rooms)},
           {"spells", namesJson(v.spells)},     {"players", namesJson(v.players)},
           {"levels", namesJson(v.levels)}};
    doc["sections"] = v.sections;
    Json statements = Json::array();
    for (const tunnelsmith::StatementWord& s : v.statements) {
      statements.push_back({{"word", s.word},
                            {"section", s.section},
                            {"operands", s.operands},
                            {"summary", s.summary}});
    }
    doc["statements"] = std::move(statements);
  });
}

const char* tunnelsmith_version(void) { return TUNNELSMITH_VERSION_TEXT; }

const char* tunnelsmith_result_json(const tunnelsmith_result* r, size_t* size) {
  if (r == nullptr) {
    if (size != nullptr) *size = 0;
    return "";
  }
  if (size != nullptr) *size = r->json.size();
  return r->json.c_str();
}

size_t tunnelsmith_result_file_count(const tunnelsmith_result* r) {
  return r == nullptr ? 0 : r->files.size();
}

const char* tunnelsmith_result_file_name(const tunnelsmith_result* r, size_t index) {
  if (r == nullptr || index >= r->files.size()) return nullptr;
  return r->files[index].name.c_str();
}

const unsigned char* tunnelsmith_result_file_data(const tunnelsmith_result* r, size_t index,
                                                  size_t* size) {
  const bool present = r != nullptr && index < r->files.size();
  if (size != nullptr) *size = present ? r->files[index].bytes.size() : 0;
  return present ? r->files[index].bytes.data() : nullptr;
}

void tunnelsmith_result_free(tunnelsmith_result* r) {
  if (r != &kOutOfMemory) delete r;
}

}  // extern "C"
