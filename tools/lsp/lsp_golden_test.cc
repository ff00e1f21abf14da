// Pins the language server's answers on one map (tests/golden/lsp/map.txt): the diagnostics it
// publishes, the outline, hover and definition at the start of every word, references on every
// third line, completion at the first word of every ninth line and code actions on every line.
// TUNNELSMITH_UPDATE_GOLDEN=1 rewrites the expected answers after an intended change.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "framing.h"
#include "server.h"
#include "testing/pinned_file.h"

namespace ts::lsp {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kFolder = fs::path(TUNNELSMITH_SOURCE_DIR) / "tests/golden/lsp";
constexpr std::string_view kUri = "file:///golden/map.txt";

std::string frame(const json& message) {
  std::ostringstream out;
  writeFrame(out, message.dump());
  return out.str();
}

// The requests of the session, numbered from 2 (1 is initialize).
std::vector<json> requests(const std::string& text) {
  std::vector<json> out;
  int id = 2;
  auto add = [&](const std::string& method, json params) {
    params["textDocument"] = {{"uri", kUri}};
    out.push_back({{"jsonrpc", "2.0"}, {"id", id++}, {"method", method}, {"params", params}});
  };
  add("textDocument/documentSymbol", json::object());
  std::size_t line = 0;
  std::size_t column = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '\n') {
      add("textDocument/codeAction", {{"range",
                                       {{"start", {{"line", line}, {"character", 0}}},
                                        {"end", {{"line", line}, {"character", column}}}}},
                                      {"context", {{"diagnostics", json::array()}}}});
      ++line;
      column = 0;
      continue;
    }
    const bool wordStart = c != ' ' && c != '\r' && (column == 0 || text[at - 1] == ' ');
    if (wordStart) {
      const json position = {{"line", line}, {"character", column}};
      add("textDocument/hover", {{"position", position}});
      add("textDocument/definition", {{"position", position}});
      // References and completions are long answers: fewer of them.
      if (line % 3 == 0) {
        add("textDocument/references",
            {{"position", position}, {"context", {{"includeDeclaration", true}}}});
        if (column == 0 && line % 9 == 0) add("textDocument/completion", {{"position", position}});
      }
    }
    ++column;
  }
  return out;
}

std::string session(const std::string& text) {
  std::string in = frame({{"jsonrpc", "2.0"},
                          {"id", 1},
                          {"method", "initialize"},
                          {"params", {{"capabilities", json::object()}}}});
  in += frame({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}});
  in += frame(
      {{"jsonrpc", "2.0"},
       {"method", "textDocument/didOpen"},
       {"params",
        {{"textDocument",
          {{"uri", kUri}, {"languageId", "tunnelsmith-map"}, {"version", 1}, {"text", text}}}}}});
  for (const json& r : requests(text)) in += frame(r);
  in += frame({{"jsonrpc", "2.0"}, {"id", 99999}, {"method", "shutdown"}});
  in += frame({{"jsonrpc", "2.0"}, {"method", "exit"}});
  std::istringstream input(in);
  std::ostringstream output;
  Server server(output);
  EXPECT_EQ(server.run(input), 0);
  // One message a line.
  std::istringstream written(output.str());
  std::string body;
  std::string lines;
  while (readFrame(written, body) == FrameStatus::kMessage)
    lines += json::parse(body).dump() + "\n";
  return lines;
}

TEST(LspGolden, AnswersOnTheGoldenMapArePinned) {
  EXPECT_TRUE(ts::testing::matchesPinnedFile(kFolder / "expected.jsonl",
                                             session(ts::testing::readFile(kFolder / "map.txt"))));
}

}  // namespace
}  // namespace ts::lsp
