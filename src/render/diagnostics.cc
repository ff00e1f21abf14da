#include "render/diagnostics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "tunnelsmith/version.h"

namespace ts::check {

namespace {

using Json = nlohmann::ordered_json;

// A line longer than this is shown as a window around the column.
constexpr std::size_t kMaxShown = 160;
constexpr std::size_t kShownBefore = 60;

// The marker appended, in text, to an error found after resuming past an earlier fatal error.
constexpr std::string_view kAfterFirstError = " [after first error]";

constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kReset = "\x1b[0m";
constexpr std::string_view kGreen = "\x1b[1;32m";
constexpr std::array<std::string_view, 3> kSeverityColors = {"\x1b[1;31m", "\x1b[1;35m",
                                                             "\x1b[1;36m"};
bool continuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A control character would move the terminal's cursor or start an escape sequence: it is shown
// as '?', which keeps the caret aligned.
std::string printable(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) c = '?';
  }
  return shown;
}

// Line `line` (from 1) without its line break; nothing past the end of the text.
std::optional<std::string_view> lineAt(const LineIndex& lines, std::size_t line) {
  if (line == 0 || line > lines.lineCount()) return std::nullopt;
  return lines.lineText(line - 1);
}

// One past the last byte a diagnostic covers on its line.
std::size_t endOf(std::size_t column, std::size_t endColumn) {
  return std::max(endColumn, column + 1);
}

class TextRenderer final : public Renderer {
 public:
  TextRenderer(std::ostream& out, bool color) : out_(out), color_(color) {}

  void map(std::string_view path, std::string_view text,
           const std::vector<Diagnostic>& diagnostics) override {
    const LineIndex lines(text);
    for (const Diagnostic& d : diagnostics) {
      const TextPlace at = placeOf(lines, d.span.start, d.span.end);
      header(path, at.line, at.column, d.severity,
             d.afterFirstError ? d.text + std::string(kAfterFirstError) : d.text);
      show(lines, at.line, at.column, at.endColumn);
      for (const Note& note : d.notes) {
        const TextPlace noteAt = placeOf(lines, note.span.start, note.span.start);
        header(path, noteAt.line, noteAt.column, Severity::kNote, note.text);
        show(lines, noteAt.line, noteAt.column, 0);
      }
    }
  }

  void fileError(std::string_view path, std::string_view, std::string_view message) override {
    paint(kBold, std::string(path) + ":");
    out_ << ' ';
    paint(kSeverityColors[0], "error:");
    out_ << ' ';
    paint(kBold, printable(message));
    out_ << '\n';
  }

  void finish(std::size_t errors, std::size_t warnings) override {
    out_ << errors << (errors == 1 ? " error, " : " errors, ") << warnings
         << (warnings == 1 ? " warning" : " warnings") << "\n";
  }

 private:
  void paint(std::string_view color, std::string_view text) {
    if (color_) out_ << color;
    out_ << text;
    if (color_) out_ << kReset;
  }

  void header(std::string_view path, std::size_t line, std::size_t column, Severity severity,
              std::string_view message) {
    paint(kBold,
          std::string(path) + ":" + std::to_string(line) + ":" + std::to_string(column) + ":");
    out_ << ' ';
    paint(kSeverityColors[static_cast<std::size_t>(severity)],
          std::string(severityName(severity)) + ":");
    out_ << ' ';
    paint(kBold, printable(message));
    out_ << '\n';
  }

  void show(const LineIndex& lines, std::size_t line, std::size_t column, std::size_t endColumn) {
    const std::optional<std::string_view> source = lineAt(lines, line);
    if (!source) return;
    const Excerpt shown = excerpt(*source, column, endColumn);
    out_ << shown.source << '\n';
    paint(kGreen, shown.caret);
    out_ << '\n';
  }

  std::ostream& out_;
  bool color_;
};

// The fields shared by the JSON Lines objects and the SARIF results.
Json fixesOf(const Diagnostic& d) {
  Json fixes = Json::array();
  for (const Edit& e : d.fixes) {
    fixes.push_back({{"offset", e.offset}, {"length", e.length}, {"replacement", e.replacement}});
  }
  return fixes;
}

// Invalid UTF-8 from the map text becomes U+FFFD rather than an exception.
std::string dump(const Json& json, int indent) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

class JsonLinesRenderer final : public Renderer {
 public:
  explicit JsonLinesRenderer(std::ostream& out) : out_(out) {}

  void map(std::string_view path, std::string_view text,
           const std::vector<Diagnostic>& diagnostics) override {
    const LineIndex lines(text);
    for (const Diagnostic& d : diagnostics) {
      Json notes = Json::array();
      for (const Note& n : d.notes) {
        const TextPlace at = placeOf(lines, n.span.start, n.span.start);
        notes.push_back({{"line", at.line}, {"column", at.column}, {"message", n.text}});
      }
      const TextPlace at = placeOf(lines, d.span.start, d.span.end);
      write({{"path", path},
             {"line", at.line},
             {"column", at.column},
             {"endColumn", endOf(at.column, at.endColumn)},
             {"severity", severityName(d.severity)},
             {"id", d.name()},
             {"message", d.text},
             {"notes", std::move(notes)},
             {"fixes", fixesOf(d)},
             {"afterFirstError", d.afterFirstError}});
    }
  }

  void fileError(std::string_view path, std::string_view id, std::string_view message) override {
    write({{"path", path},
           {"line", nullptr},
           {"column", nullptr},
           {"endColumn", nullptr},
           {"severity", "error"},
           {"id", id},
           {"message", message},
           {"notes", Json::array()},
           {"fixes", Json::array()},
           {"afterFirstError", false}});
  }

  void finish(std::size_t, std::size_t) override {}

 private:
  void write(const Json& object) { out_ << dump(object, -1) << '\n'; }

  std::ostream& out_;
};

// A path as a URI reference: an absolute path as a file URI, a relative one as it stands,
// percent-encoded but for its slashes.
std::string uriOf(std::string_view path) {
  static constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string uri = !path.empty() && path.front() == '/' ? "file://" : "";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xF];
    }
  }
  return uri;
}

class SarifRenderer final : public Renderer {
 public:
  explicit SarifRenderer(std::ostream& out) : out_(out) {}

  void map(std::string_view path, std::string_view text,
           const std::vector<Diagnostic>& diagnostics) override {
    const LineIndex lines(text);
    const std::string uri = uriOf(path);
    for (const Diagnostic& d : diagnostics) {
      const TextPlace at = placeOf(lines, d.span.start, d.span.end);
      Json result = {{"ruleId", ruleOf(d.name())},
                     {"ruleIndex", rules_[ruleOf(d.name())]},
                     {"level", severityName(d.severity)},
                     {"message", {{"text", d.text}}},
                     {"locations", {location(lines, uri, at.line, at.column, at.endColumn)}}};
      Json related = Json::array();
      for (std::size_t i = 0; i < d.notes.size(); ++i) {
        const TextPlace noteAt = placeOf(lines, d.notes[i].span.start, d.notes[i].span.start);
        Json note = location(lines, uri, noteAt.line, noteAt.column, 0);
        note["id"] = i;
        note["message"] = {{"text", d.notes[i].text}};
        related.push_back(std::move(note));
      }
      if (!related.empty()) result["relatedLocations"] = std::move(related);
      if (!d.fixes.empty()) {
        Json replacements = Json::array();
        for (const Edit& e : d.fixes) {
          replacements.push_back(
              {{"deletedRegion", {{"byteOffset", e.offset}, {"byteLength", e.length}}},
               {"insertedContent", {{"text", e.replacement}}}});
        }
        result["fixes"] = {{{"description", {{"text", d.text}}},
                            {"artifactChanges",
                             {{{"artifactLocation", {{"uri", uri}}},
                               {"replacements", std::move(replacements)}}}}}};
      }
      if (d.afterFirstError) result["properties"] = {{"afterFirstError", true}};
      results_.push_back(std::move(result));
    }
  }

  void fileError(std::string_view path, std::string_view id, std::string_view message) override {
    results_.push_back(
        {{"ruleId", ruleOf(id)},
         {"ruleIndex", rules_[ruleOf(id)]},
         {"level", "error"},
         {"message", {{"text", message}}},
         {"locations", {{{"physicalLocation", {{"artifactLocation", {{"uri", uriOf(path)}}}}}}}}});
  }

  void finish(std::size_t, std::size_t) override {
    Json rules = Json::array();
    for (const std::string& id : ruleOrder_) rules.push_back({{"id", id}});
    const Json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                      {"version", "2.1.0"},
                      {"runs",
                       {{{"tool",
                          {{"driver",
                            {{"name", "tunnelsmith-check"},
                             {"version", tunnelsmith::kVersion},
                             {"rules", std::move(rules)}}}}},
                         {"columnKind", "unicodeCodePoints"},
                         {"results", std::move(results_)}}}}};
    out_ << dump(log, 2) << '\n';
  }

 private:
  // The rule of an identifier, registered on first use; a diagnostic without an identifier
  // falls under "unclassified".
  std::string ruleOf(std::string_view id) {
    std::string rule = id.empty() ? "unclassified" : std::string(id);
    if (rules_.emplace(rule, ruleOrder_.size()).second) ruleOrder_.push_back(rule);
    return rule;
  }

  // Columns count characters in SARIF, where the checker counts bytes.
  static std::size_t characterColumn(std::string_view line, std::size_t byteColumn) {
    const std::size_t end = std::min(byteColumn - 1, line.size());
    return 1 + static_cast<std::size_t>(std::count_if(line.begin(), line.begin() + end,
                                                      [](char c) { return !continuationByte(c); }));
  }

  static Json location(const LineIndex& lines, const std::string& uri, std::size_t line,
                       std::size_t column, std::size_t endColumn) {
    const std::size_t end = endOf(column, endColumn);
    const std::string_view source = lineAt(lines, line).value_or("");
    const std::size_t startColumn = characterColumn(source, column);
    const std::size_t endCharacter = std::max(characterColumn(source, end), startColumn + 1);
    return {{"physicalLocation",
             {{"artifactLocation", {{"uri", uri}}},
              {"region",
               {{"startLine", line}, {"startColumn", startColumn}, {"endColumn", endCharacter}}}}}};
  }

  std::ostream& out_;
  std::map<std::string, std::size_t> rules_;
  std::vector<std::string> ruleOrder_;
  Json results_ = Json::array();
};

}  // namespace

Excerpt excerpt(std::string_view sourceLine, std::size_t column, std::size_t endColumn) {
  const std::size_t at = std::min(column == 0 ? 0 : column - 1, sourceLine.size());
  std::size_t begin = 0;
  std::size_t end = sourceLine.size();
  if (sourceLine.size() > kMaxShown) {
    begin = at > kShownBefore ? at - kShownBefore : 0;
    while (begin < at && continuationByte(sourceLine[begin])) ++begin;
    end = std::min(sourceLine.size(), begin + kMaxShown);
    while (end < sourceLine.size() && continuationByte(sourceLine[end])) ++end;
  }
  Excerpt shown;
  shown.source = (begin > 0 ? "..." : "") + printable(sourceLine.substr(begin, end - begin)) +
                 (end < sourceLine.size() ? "..." : "");
  shown.caret = begin > 0 ? "   " : "";
  for (std::size_t i = begin; i < at; ++i) {
    if (sourceLine[i] == '\t') {
      shown.caret += '\t';
    } else if (!continuationByte(sourceLine[i])) {
      shown.caret += ' ';
    }
  }
  shown.caret += '^';
  const std::size_t last = std::min(endOf(column, endColumn) - 1, end);
  for (std::size_t i = at + 1; i < last; ++i) {
    if (!continuationByte(sourceLine[i])) shown.caret += '~';
  }
  return shown;
}

std::unique_ptr<Renderer> makeRenderer(OutputFormat format, std::ostream& out, bool color) {
  switch (format) {
    case OutputFormat::kJson:
      return std::make_unique<JsonLinesRenderer>(out);
    case OutputFormat::kSarif:
      return std::make_unique<SarifRenderer>(out);
    case OutputFormat::kText:
      break;
  }
  return std::make_unique<TextRenderer>(out, color);
}

}  // namespace ts::check
