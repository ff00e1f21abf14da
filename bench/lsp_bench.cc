// The language server's latency: from an edit of a large map arriving to its diagnostics written,
// as an editor meets it (target: within 50 ms).
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "map_generator.h"
#include "server.h"

namespace {

using nlohmann::json;
using ts::bench::MapShape;

constexpr const char* kUri = "file:///bench/map.txt";

std::string message(const std::string& method, json params) {
  return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump();
}

// A map whose ground became solid rock, as when its grid shifted: every creature then stands in
// rock, one warning each.
std::string intoRock(std::string text) {
  const std::size_t codes = text.find("\nMAP_CODES\n");
  std::size_t at = text.find('\n', text.find('\n', text.find('\n') + 1) + 1) + 1;
  for (; at < codes; ++at) {
    if (std::string_view(".,dgewlr").find(text[at]) != std::string_view::npos) text[at] = '#';
  }
  return text;
}

void changeBenchmark(benchmark::State& state, const MapShape& shape, bool rock = false) {
  const std::string text =
      rock ? intoRock(ts::bench::generateMap(shape)) : ts::bench::generateMap(shape);
  // The designer's edit: one square of the first row, back and forth, sent as an editor sends
  // it: the range it replaces.
  const std::size_t row = text.find('\n', text.find('\n', text.find('\n') + 1) + 1) + 1;
  const std::string square(1, text[row + 1] == '.' ? '#' : '.');
  const json range = {{"start", {{"line", 3}, {"character", 1}}},
                      {"end", {{"line", 3}, {"character", 2}}}};
  const auto change = [&](int version, const std::string& with) {
    return message("textDocument/didChange",
                   {{"textDocument", {{"uri", kUri}, {"version", version}}},
                    {"contentChanges", {{{"range", range}, {"text", with}}}}});
  };
  // Batches of one message each, as the server's loop hands them over.
  const std::vector<std::vector<std::string>> changes = {
      {change(2, square)}, {change(3, std::string(1, text[row + 1]))}};
  std::ostringstream out;
  ts::lsp::keepMemoryBetweenAnalyses();
  ts::lsp::Server server(out);
  server.handle(
      {json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}
           .dump(),
       message("textDocument/didOpen", {{"textDocument",
                                         {{"uri", kUri},
                                          {"languageId", "tunnelsmith-map"},
                                          {"version", 1},
                                          {"text", text}}}})});
  std::size_t i = 0;
  for (auto _ : state) {
    out.str({});
    server.handle(changes[i++ % 2]);
    benchmark::DoNotOptimize(out.str().size());
  }
  if (out.str().find("textDocument/publishDiagnostics") == std::string::npos) {
    state.SkipWithError("no diagnostics were published");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_LspChangeTextMap(benchmark::State& state) {
  changeBenchmark(state, ts::bench::textShape());
}

void BM_LspChangeGuiMap(benchmark::State& state) { changeBenchmark(state, ts::bench::guiShape()); }

void BM_LspChangeEntries(benchmark::State& state) {
  MapShape shape = ts::bench::smallGridShape("BenchEntries");
  ts::bench::setEntries(shape, static_cast<std::size_t>(state.range(0)));
  changeBenchmark(state, shape);
}

// 200,000 creatures, most of them in rock: the warnings past the first few of their kind are
// published as one line.
void BM_LspChangeCreaturesInRock(benchmark::State& state) {
  MapShape shape;
  shape.name = "BenchRock";
  shape.width = 500;
  shape.creatures = 200000;
  changeBenchmark(state, shape, true);
}

}  // namespace

BENCHMARK(BM_LspChangeTextMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LspChangeGuiMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LspChangeEntries)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LspChangeCreaturesInRock)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
