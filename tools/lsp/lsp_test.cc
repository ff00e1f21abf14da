// The language server as a client meets it: framed messages in, answers out.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framing.h"
#include "line_index.h"
#include "message.h"
#include "server.h"

namespace ts::lsp {
namespace {

using nlohmann::json;

constexpr std::string_view kUri = "file:///maps/tiny.txt";

// One keeper, a gate drawn with G, an area, a band released at the gate; CREATURES names "TROL".
constexpr std::string_view kMap =
    "Tiny\nPlayers 1\nSize 8 x 7\n"
    "########\n#......#\n#.hhh..#\n#.hhh.G#\n#.hhh..#\n#......#\n########\n"
    "MAP_CODES\n4\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nh KPR1_HEART\nG HERO_GATE_1\n"    // lines 10-15
    "THINGS\n0\nCREATURES\n1\nTROL 1 1 L1 P1\nDOORS\n0\nTRAPS\n0\n"                   // 16-24
    "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 3 3\nGOLD1 5000\n"                            // 25-27
    "HERO_BANDS\n1\nScouts 2 PH\nDWARF L2\nTHIEF L1\n"                                // 28-32
    "AREAS\n1\n1 5 4 6 5\nHERO_GATES\n1\n1 6 3\n"                                     // 33-38
    "TRIGGERS\n1\nTRIGGER_TIME 1200\n2\nACTION_HERO_RELEASE 1 G 1\n"                  // 39-43
    "ACTION_DESTROY_HERO_GATE 1\nSCENARIO_DESCRIPTION\nSTART_WITH P1 PORTAL\nEOF\n";  // 44-47

std::string frame(const json& message) {
  std::ostringstream out;
  writeFrame(out, message.dump());
  return out.str();
}

json request(int id, const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}
json notification(const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}
// kMap with `from` (which it holds) replaced by `to`.
std::string edited(std::string_view from, std::string_view to,
                   std::string text = std::string(kMap)) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

json at(std::size_t line, std::size_t character, json params = json::object()) {
  params["textDocument"] = {{"uri", kUri}};
  params["position"] = {{"line", line}, {"character", character}};
  return params;
}

// Runs a server over `input` and keeps what it wrote.
struct Session {
  explicit Session(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    Server server(out);
    status = server.run(in);
    std::istringstream written(out.str());
    std::string body;
    while (readFrame(written, body) == FrameStatus::kMessage) messages.push_back(json::parse(body));
  }
  [[nodiscard]] json answer(int id) const {
    for (const json& m : messages) {
      if (m.contains("id") && m["id"] == id) return m;
    }
    ADD_FAILURE() << "no answer to request " << id;
    return {};
  }
  [[nodiscard]] std::vector<json> diagnostics() const {
    std::vector<json> out;
    for (const json& m : messages) {
      if (m.value("method", "") == "textDocument/publishDiagnostics") out.push_back(m["params"]);
    }
    return out;
  }
  int status = -1;
  std::vector<json> messages;
};

// initialize, then the map opened, then `rest`, then shutdown and exit.
std::string withMap(const std::vector<json>& rest, std::string_view text = kMap,
                    const std::string& raw = {}, const json& capabilities = json::object()) {
  std::string in = frame(request(1, "initialize", {{"capabilities", capabilities}}));
  in += frame(notification("initialized"));
  in += frame(notification(
      "textDocument/didOpen",
      {{"textDocument",
        {{"uri", kUri}, {"languageId", "tunnelsmith-map"}, {"version", 1}, {"text", text}}}}));
  for (const json& m : rest) in += frame(m);
  return in + raw + frame(request(999, "shutdown")) + frame(notification("exit"));
}

TEST(LspFraming, ReadsHeadersAndStopsAtBrokenOnes) {
  std::istringstream in(
      "Content-Length: 2\r\n\r\n{}"
      "content-length:  3\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n[1]"
      "Content-Type: x\r\n\r\n"
      "Content-Length: 10\r\n\r\n{\"a\"");
  std::string body;
  EXPECT_EQ(readFrame(in, body), FrameStatus::kMessage);
  EXPECT_EQ(body, "{}");
  EXPECT_EQ(readFrame(in, body), FrameStatus::kMessage);
  EXPECT_EQ(body, "[1]");
  EXPECT_EQ(readFrame(in, body), FrameStatus::kBadHeader);
  EXPECT_EQ(readFrame(in, body), FrameStatus::kEnd);  // the client left part way
}

TEST(LspMessage, ParsesLongStringsAsTheGeneralParserDoes) {
  const std::string longText(kLongString, 'x');
  const auto quoted = [&](const std::string& content) { return '"' + longText + content + '"'; };
  const std::vector<std::string> contents = {
      "a\\nb\\r\\n\\t\\\"q\\\" \\\\ \\/ \\b\\f",
      "\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E \\u00e9 \\u20AC \\uD834\\uDD1E \\u0000 \\u00010",
      "\\uDC00",
      "\\uD834x",
      "\\uD834\\u0041",
      "\\u12",
      "\\x",
      "\x01",
      "\xC0\x80",
      "\xED\xA0\x80",
      "\xF4\x90\x80\x80",
      "\xF5",
      "\xE2\x82",
      "\\"};
  std::vector<std::string> bodies;
  for (const std::string& content : contents) {
    // Long values, one in an array, and a long key.
    bodies.push_back("{\"text\": " + quoted(content) + ", \"more\": [" + quoted("") + ", 1]}");
    bodies.push_back("{" + quoted(content) + ": 1}");
  }
  // A client's own string that reads like what a long value leaves in its place.
  bodies.push_back("{\"text\": " + quoted("") + ", \"short\": \"\\u00010\"}");
  bodies.push_back("[" + quoted("") + ", ]");
  for (const std::string& body : bodies) {
    SCOPED_TRACE(body.substr(kLongString));
    const json expected = json::parse(body, nullptr, false);
    const json parsed = parseMessage(body);
    EXPECT_EQ(parsed.is_discarded(), expected.is_discarded());
    if (!expected.is_discarded()) {
      EXPECT_EQ(parsed, expected);
    }
  }
}

TEST(LspLineIndex, CountsUtf16Units) {
  // "é" is two bytes and one unit, the emoji four bytes and two units (a surrogate pair).
  const std::string text = "ab\r\n\xC3\xA9x\xF0\x9F\x98\x80y\nz";
  const LineIndex lines(text);
  EXPECT_EQ(lines.lineCount(), 3u);
  EXPECT_EQ(lines.lineEnd(0), 2u);
  const std::vector<std::pair<std::size_t, std::size_t>> cases{{4, 0}, {6, 1}, {7, 2}, {11, 4}};
  for (const auto& [offset, character] : cases) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(positionOf(lines, offset).line, 1u);
    EXPECT_EQ(positionOf(lines, offset).character, character);
    EXPECT_EQ(offsetOf(lines, {1, character}), offset);
  }
  EXPECT_EQ(offsetOf(lines, {1, 99}), 12u);  // past the end of its line
  EXPECT_EQ(offsetOf(lines, {7, 0}), text.size());
}

TEST(LspLifecycle, AnswersAsTheProtocolSays) {
  const std::string init = frame(request(1, "initialize", json::object()));
  {
    SCOPED_TRACE("before initialize, then shutdown and exit");
    Session s(frame(request(5, "textDocument/hover", at(0, 0))) + init +
              frame(request(2, "shutdown")) + frame(request(3, "textDocument/hover", at(0, 0))) +
              frame(notification("exit")) + frame(request(4, "shutdown")));
    EXPECT_EQ(s.answer(5)["error"]["code"], kServerNotInitialized);
    EXPECT_TRUE(s.answer(1)["result"]["capabilities"]["hoverProvider"]);
    EXPECT_EQ(s.answer(3)["error"]["code"], kInvalidRequest);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.messages.size(), 4u);  // nothing is read after exit
  }
  {
    SCOPED_TRACE("exit without shutdown");
    EXPECT_EQ(Session(init + frame(notification("exit"))).status, 1);
  }
  {
    SCOPED_TRACE("the client goes away");
    EXPECT_EQ(Session(init + "Content-Length: 50\r\n\r\n{\"jsonrpc\"").status, 1);
  }
}

TEST(LspErrors, AreAnsweredNotFatal) {
  Session s(withMap(
      {json::parse(R"({"jsonrpc":"2.0","id":2,"method":"no/such"})"),
       notification("no/such/notification"), notification("textDocument/didChange", json::array()),
       request(3, "textDocument/hover", {{"textDocument", {{"uri", kUri}}}}),
       request(4, "textDocument/hover",
               {{"textDocument",
                 {{"uri", "file:///x"}},
                 {"position", {{"line", 0}, {"character", 0}}}}}),
       request(5, "textDocument/hover", at(1, 1)), notification("$/cancelRequest", {{"id", 5}}),
       json::array({1, 2})},
      kMap,
      "Content-Length: 7\r\n\r\n{broken" + std::string("Content-Type: none\r\n\r\n") +
          frame(request(6, "textDocument/hover", at(26, 0)))));
  EXPECT_EQ(s.answer(2)["error"]["code"], kMethodNotFound);
  EXPECT_EQ(s.answer(3)["error"]["code"], kInvalidParams);
  EXPECT_TRUE(s.answer(4)["result"].is_null());  // a map that is not open
  EXPECT_EQ(s.answer(5)["error"]["code"], kRequestCancelled);
  int parseErrors = 0;
  int invalid = 0;
  for (const json& m : s.messages) {
    if (m.contains("error") && m["id"].is_null()) {
      parseErrors += m["error"]["code"] == kParseError;
      invalid += m["error"]["code"] == kInvalidRequest;
    }
  }
  EXPECT_EQ(parseErrors, 2);  // the broken body and the header without a length
  EXPECT_EQ(invalid, 1);      // the array
  EXPECT_TRUE(s.answer(6)["result"].is_object());  // still serving
}

TEST(LspDiagnostics, FollowTheTextAndClearWhenFixed) {
  std::string in = withMap({});
  std::string fixed(kMap);
  fixed.replace(fixed.find("TROL "), 4, "TROLL");
  const auto change = [&](const std::string& text) {
    return notification("textDocument/didChange",
                        {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                         {"contentChanges", {{{"text", text}}}}});
  };
  std::string broken(kMap);
  broken.replace(broken.find("1 6 3"), 5, "1 5 3");  // a gate square that is no gate
  // Two changes that arrive together are checked once, as the last.
  Session s(withMap({change(broken), change(fixed)}) + "");
  const std::vector<json> published = s.diagnostics();
  ASSERT_EQ(published.size(), 2u);
  const json& first = published[0]["diagnostics"];
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0]["code"], "unknown-creature");
  EXPECT_EQ(first[0]["severity"], 2);
  EXPECT_EQ(first[0]["range"], json::parse(R"({"start":{"line":20,"character":0},
                                               "end":{"line":20,"character":4}})"));
  EXPECT_TRUE(published[1]["diagnostics"].empty());

  // A whole text, then a part of it, in one change: the gate put back.
  const std::size_t gateLine = static_cast<std::size_t>(
      std::count(broken.begin(), broken.begin() + broken.find("1 5 3"), '\n'));
  const json partly = notification("textDocument/didChange",
                                   {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                                    {"contentChanges",
                                     {{{"text", broken}},
                                      {{"range",
                                        {{"start", {{"line", gateLine}, {"character", 2}}},
                                         {"end", {{"line", gateLine}, {"character", 3}}}}},
                                       {"text", "6"}}}}});
  const std::vector<json> restored = Session(withMap({partly})).diagnostics();
  ASSERT_EQ(restored.size(), 2u);
  EXPECT_EQ(restored[1], restored[0]);  // the map as opened
  // Each edit of one message stands on the text the edits before it left: a line put in, then
  // taken out again by its new position.
  const auto at = [](int line, int character) {
    return json{{"line", line}, {"character", character}};
  };
  const json inAndOut =
      notification("textDocument/didChange",
                   {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                    {"contentChanges",
                     {{{"range", {{"start", at(0, 0)}, {"end", at(0, 0)}}}, {"text", "TROL 1 1\n"}},
                      {{"range", {{"start", at(0, 4)}, {"end", at(1, 0)}}}, {"text", ""}},
                      {{"range", {{"start", at(0, 0)}, {"end", at(0, 4)}}}, {"text", ""}}}}});
  const std::vector<json> same = Session(withMap({inAndOut})).diagnostics();
  ASSERT_EQ(same.size(), 2u);
  EXPECT_EQ(same[1], same[0]);

  Session gate(withMap({}, broken));
  const json d = gate.diagnostics()[0]["diagnostics"];
  const auto error =
      std::find_if(d.begin(), d.end(), [](const json& x) { return x["code"] == "gate-square"; });
  ASSERT_NE(error, d.end());
  EXPECT_EQ((*error)["severity"], 1);
  // The notes name the square found, and the nearest gate square, on the grid (row 3).
  std::vector<json> lines;
  for (const json& r : (*error)["relatedInformation"])
    lines.push_back(r["location"]["range"]["start"]);
  EXPECT_NE(std::find(lines.begin(), lines.end(), json{{"line", 6}, {"character", 5}}),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), json{{"line", 6}, {"character", 6}}),
            lines.end());
}

TEST(LspFeatures, AnswerFromTheMap) {
  Session s(withMap({
      request(10, "textDocument/completion", at(20, 0)),
      request(11, "textDocument/completion", at(20, 9)),
      request(12, "textDocument/completion", at(43, 20)),
      request(13, "textDocument/completion", at(44, 0)),
      request(14, "textDocument/hover", at(6, 6)),
      request(15, "textDocument/hover", at(43, 24)),
      request(16, "textDocument/hover", at(38, 2)),
      request(17, "textDocument/hover", at(46, 14)),
      request(18, "textDocument/definition", at(43, 20)),
      request(19, "textDocument/definition", at(6, 6)),
      request(20, "textDocument/definition", at(38, 0)),
      request(21, "textDocument/references",
              at(38, 0, {{"context", {{"includeDeclaration", true}}}})),
      request(22, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}}),
      request(23, "textDocument/codeAction",
              {{"textDocument", {{"uri", kUri}}},
               {"range",
                {{"start", {{"line", 20}, {"character", 2}}},
                 {"end", {{"line", 20}, {"character", 2}}}}},
               {"context", {{"diagnostics", json::array()}}}}),
  }));
  const auto labels = [&](int id) {
    std::vector<std::string> out;
    const json answer = s.answer(id);
    for (const json& item : answer["result"]["items"]) out.push_back(item["label"]);
    return out;
  };
  const auto has = [](const std::vector<std::string>& v, const std::string& x) {
    return std::find(v.begin(), v.end(), x) != v.end();
  };
  EXPECT_TRUE(has(labels(10), "TROLL"));                            // a creature name
  EXPECT_TRUE(has(labels(10), "DOORS"));                            // the next section keywords
  EXPECT_FALSE(has(labels(10), "MAP_CODES"));                       // not the earlier ones
  EXPECT_TRUE(has(labels(11), "L1") && !has(labels(11), "TROLL"));  // the level token
  EXPECT_TRUE(has(labels(12), "1"));                                // the existing band
  EXPECT_TRUE(has(labels(13), "ACTION_ADD_ROOM"));

  const auto hoverText = [&](int id) {
    return s.answer(id)["result"]["contents"]["value"].get<std::string>();
  };
  EXPECT_EQ(hoverText(14), "square (6, 3): HERO_GATE_1, drawn as 'G'");
  EXPECT_EQ(hoverText(15).rfind("hero gate 1 at (6, 3), HERO_GATE_1", 0), 0u) << hoverText(15);
  EXPECT_EQ(hoverText(16), "square (6, 3): HERO_GATE_1");
  EXPECT_EQ(hoverText(17).rfind("PORTAL: room", 0), 0u) << hoverText(17);

  const auto starts = [&](int id) {
    std::vector<json> out;
    const json answer = s.answer(id);
    for (const json& l : answer["result"]) out.push_back(l["range"]["start"]);
    return out;
  };
  EXPECT_EQ(starts(18), std::vector<json>{json({{"line", 30}, {"character", 0}})});  // the band
  // The grid character to its MAP_CODES line, and to the gate it belongs to.
  EXPECT_EQ(starts(19), (std::vector<json>{{{"line", 15}, {"character", 0}},
                                           {{"line", 38}, {"character", 0}}}));
  EXPECT_EQ(starts(20), std::vector<json>{json({{"line", 6}, {"character", 6}})});  // its square
  // The gate entry, its release, its destruction and its square.
  EXPECT_EQ(starts(21).size(), 4u);

  std::vector<std::string> sections;
  const json symbols = s.answer(22)["result"];
  for (const json& sym : symbols) sections.push_back(sym["name"]);
  EXPECT_EQ(sections.size(), 13u);
  EXPECT_EQ(sections[0], "Tiny");
  EXPECT_EQ(sections[8], "HERO_BANDS");

  const json actions = s.answer(23)["result"];
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0]["edit"]["changes"][std::string(kUri)][0]["newText"], "TROLL");
}

TEST(LspDiagnostics, SayTheExplanationAndKeepTheCompilersWordsAsANote) {
  struct Case {
    const char* what;
    std::string text;
    std::string code;
    std::string explanation;  // a part of the message
    std::string compiler;     // the compiler's words, when they became a note
  };
  const std::vector<Case> cases = {
      {"the EOF left out", edited("EOF\n", ""), "missing-eof", "EOF",
       "error near SCENARIO_DESCRIPTION section"},
      {"an action count too large", edited("2\nACTION", "3\nACTION"), "action-count",
       "action count", "invalid action: SCENARIO_DESCRIPTION"},
      {"a gate entry on no gate square", edited("1 6 3", "1 5 3"), "gate-square", "(5, 3)",
       "no corresponding Gate Terrain on Map Gate # 1"},
      {"the checker's own warning keeps its text", edited("CENTER 3 3", "CENTER 1 1"),
       "heart-centre-off-heart", "the heart centre (1, 1) of keeper 1 is", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const json published = Session(withMap({}, c.text)).diagnostics().at(0)["diagnostics"];
    const auto d = std::find_if(published.begin(), published.end(),
                                [&](const json& x) { return x["code"] == c.code; });
    ASSERT_NE(d, published.end()) << published.dump();
    const std::string message = (*d)["message"];
    EXPECT_NE(message.find(c.explanation), std::string::npos) << message;
    const json& related = (*d)["relatedInformation"];
    ASSERT_FALSE(related.empty());
    if (c.compiler.empty()) {
      EXPECT_NE(related[0]["message"], message);  // the note is not the message
      continue;
    }
    EXPECT_EQ(message.find(c.compiler), std::string::npos) << message;
    // The compiler's words stand where the diagnostic does, and the explanation is not repeated
    // there.
    EXPECT_EQ(related[0]["message"], "the compiler's message: " + c.compiler);
    EXPECT_EQ(related[0]["location"]["range"], (*d)["range"]);
    for (const json& note : related) {
      if (note["message"] == message) {
        EXPECT_NE(note["location"]["range"], (*d)["range"]);
      }
    }
  }
}

TEST(LspCodeActions, SayWhatTheyDo) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t line;
    std::string title;
    std::string newText;
  };
  const std::vector<Case> cases = {
      {"a suggestion", std::string(kMap), 20, "Change 'TROL' to 'TROLL'", "TROLL"},
      {"a recount", edited("CREATURES\n1\nTROL ", "CREATURES\n0\nTROLL "), 19, "Set the count to 1",
       "1"},
      {"an EOF added", edited("EOF\n", ""), 46, "Add EOF as the last line", "EOF\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const json range = {{"start", {{"line", c.line}, {"character", 0}}},
                        {"end", {{"line", c.line}, {"character", 1}}}};
    const Session s(withMap({request(2, "textDocument/codeAction",
                                     {{"textDocument", {{"uri", kUri}}},
                                      {"range", range},
                                      {"context", {{"diagnostics", json::array()}}}})},
                            c.text));
    const json actions = s.answer(2)["result"];
    ASSERT_EQ(actions.size(), 1u) << actions.dump();
    EXPECT_EQ(actions[0]["title"], c.title);
    EXPECT_EQ(actions[0]["edit"]["changes"][std::string(kUri)][0]["newText"], c.newText);
  }
}

TEST(LspCompletion, OffersTheLevelsPlayersInNumericOrder) {
  // Two keepers: P3 and P4 are no player of this level.
  const std::string twoKeepers = edited("Players 1", "Players 2");
  struct Case {
    const char* what;
    std::size_t line;
    std::size_t character;
    std::vector<std::string> labels;  // in the order of their sort texts
  };
  const std::vector<Case> cases = {
      {"a creature's level", 20, 9, {"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10"}},
      {"a creature's owner", 20, 12, {"P1", "P2", "PH", "PN"}},
      {"a hero band's owner", 30, 9, {"P1", "P2", "PH"}},
      {"a scenario statement's keeper", 46, 11, {"P1", "P2"}},
      {"the keepers' hearts and gold",
       27,
       0,
       {"AREAS", "GOLD1", "GOLD2", "HEARTS_AND_GOLD", "HERO_BANDS", "HERO_GATES",
        "KPR1_HEART_CENTER", "KPR2_HEART_CENTER", "SCENARIO_DESCRIPTION", "TRIGGERS"}},
  };
  std::vector<json> requests;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    requests.push_back(request(static_cast<int>(10 + i), "textDocument/completion",
                               at(cases[i].line, cases[i].character)));
  }
  requests.push_back(request(2, "textDocument/completion", at(47, 0)));
  const json snippets = {
      {"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}};
  const Session s(withMap(requests, twoKeepers, {}, snippets));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    json items = s.answer(static_cast<int>(10 + i))["result"]["items"];
    std::stable_sort(items.begin(), items.end(), [](const json& a, const json& b) {
      return a["sortText"].get<std::string>() < b["sortText"].get<std::string>();
    });
    std::vector<std::string> labels;
    for (const json& item : items) labels.push_back(item["label"]);
    EXPECT_EQ(labels, cases[i].labels);
  }
  // A statement's snippet chooses among the same players.
  std::string startWith;
  const json statements = s.answer(2)["result"]["items"];
  for (const json& item : statements) {
    if (item["label"] == "START_WITH") startWith = item["textEdit"]["newText"];
  }
  EXPECT_EQ(startWith, "START_WITH ${1|P1,P2|} ${2:name}");
}

TEST(LspHover, SaysWhatNumbersMean) {
  const std::string slaps = edited("START_WITH P1 PORTAL", "CREATURE_COUNT P1 IMP 3",
                                   edited("TRIGGER_TIME 1200", "TRIGGER_SLAP_COUNT_EQUALS 7"));
  struct Case {
    const char* what;
    std::string text;
    std::size_t line;
    std::size_t character;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"a section's count", std::string(kMap), 19, 0, "CREATURES: 1 creature follows"},
      {"a legend's count", std::string(kMap), 11, 0, "MAP_CODES: 4 legend entries follow"},
      {"a keeper's gold", std::string(kMap), 27, 6, "keeper 1's starting gold: 5000"},
      {"a band's members", std::string(kMap), 30, 7, "hero band 1, Scouts: 2 members follow"},
      {"a trigger's time", edited("1200", "3725"), 41, 13,
       "trigger: fires after 3725 seconds of play (62 min 5 s)"},
      {"a trigger's actions", std::string(kMap), 42, 0, "trigger 1: 2 actions follow"},
      {"a slap count", slaps, 41, 26, "trigger: fires when the slap count equals 7"},
      {"a creature pool", slaps, 46, 22, "P1's creature pool: 3 IMP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Session s(withMap({request(2, "textDocument/hover", at(c.line, c.character))}, c.text));
    const json result = s.answer(2)["result"];
    ASSERT_TRUE(result.is_object()) << result.dump();
    EXPECT_EQ(result["contents"]["value"], c.value);
    EXPECT_EQ(result["range"]["start"]["character"], c.character);
  }
}

}  // namespace
}  // namespace ts::lsp
