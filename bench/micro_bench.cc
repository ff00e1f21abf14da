// Micro-benchmarks of the compiler's stages on the largest maps: the reader on a text map and a
// GUI map, the map writer, the things writer with 100,000 creatures and the triggers writer
// near 65,535 elements. Each reports the bytes it reads or writes per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "driver/compile.h"
#include "map_generator.h"
#include "model/level_description.h"
#include "model/vocabulary.h"
#include "reader/map_reader.h"
#include "writers/writers.h"

#ifdef TUNNELSMITH_BENCH_CHECK
#include "analysis/check.h"
#endif

namespace {

using ts::bench::guiShape;
using ts::bench::MapShape;
using ts::bench::smallGridShape;
using ts::bench::textShape;

const ts::NameMaps& names() {
  static const ts::NameMaps maps;
  return maps;
}

MapShape entriesShape(std::size_t entries) {
  MapShape shape = smallGridShape("BenchLists");
  ts::bench::setEntries(shape, entries);
  return shape;
}

MapShape creaturesShape() {
  MapShape shape = smallGridShape("BenchCreatures");
  shape.creatures = 100000;
  return shape;
}

MapShape triggersShape() {
  MapShape shape = smallGridShape("BenchTriggers");
  shape.triggerElements = ts::kMaxTriggerElements;
  return shape;
}

// Reads `text` into `level`; false (and the benchmark skipped) unless it is valid and quiet.
bool readValid(benchmark::State& state, const std::string& text, ts::LevelDescription& level) {
  std::ostringstream console;
  level = ts::readLevel(text, names(), console);
  if (level.isValid && console.str().empty()) return true;
  state.SkipWithError(("the generated map does not compile cleanly: " + console.str()).c_str());
  return false;
}

void readBenchmark(benchmark::State& state, const MapShape& shape) {
  const std::string text = ts::bench::generateMap(shape);
  ts::LevelDescription check;
  if (!readValid(state, text, check)) return;
  for (auto _ : state) {
    std::ostringstream console;
    ts::LevelDescription level = ts::readLevel(text, names(), console);
    benchmark::DoNotOptimize(level.isValid);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_ReadTextMap(benchmark::State& state) { readBenchmark(state, textShape()); }
void BM_ReadGuiMap(benchmark::State& state) { readBenchmark(state, guiShape()); }
void BM_ReadEntries(benchmark::State& state) {
  readBenchmark(state, entriesShape(static_cast<std::size_t>(state.range(0))));
}

// Runs `write` on the level of `shape` and reports the bytes it returns.
template <typename Write>
void writeBenchmark(benchmark::State& state, const MapShape& shape, Write write) {
  ts::LevelDescription level;
  if (!readValid(state, ts::bench::generateMap(shape), level)) return;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const ts::Bytes file = write(level);
    bytes = file.size();
    benchmark::DoNotOptimize(file.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
}

void BM_WriteMap(benchmark::State& state) {
  std::ostringstream console;
  ts::ProblemSink sink(&console);
  writeBenchmark(state, textShape(),
                 [&](const ts::LevelDescription& level) { return ts::buildMapFile(level, sink); });
}

void BM_WriteThings100kCreatures(benchmark::State& state) {
  writeBenchmark(state, creaturesShape(),
                 [](const ts::LevelDescription& level) { return ts::buildThingsFile(level); });
}

void BM_WriteTriggers65535(benchmark::State& state) {
  // The writer stores the same identifiers into areas and gates on every run.
  writeBenchmark(state, triggersShape(),
                 [](ts::LevelDescription& level) { return ts::buildTriggersFile(level); });
}

// The benchmark's number of placed entries, and as many trigger elements as a file holds.
MapShape fullShape(const benchmark::State& state) {
  MapShape shape = entriesShape(static_cast<std::size_t>(state.range(0)));
  shape.triggerElements = ts::kMaxTriggerElements;
  return shape;
}

// The whole in-memory compile (read, check, write six files), per byte of map text.
void compileBenchmark(benchmark::State& state, const MapShape& shape) {
  const std::string text = ts::bench::generateMap(shape);
  for (auto _ : state) {
    const ts::CompileResult result = ts::compileMap(text, names());
    if (!result.valid || !result.console.empty()) {
      state.SkipWithError("the generated map does not compile cleanly");
      break;
    }
    benchmark::DoNotOptimize(result.files.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_CompileTextMap(benchmark::State& state) { compileBenchmark(state, textShape()); }
void BM_CompileGuiMap(benchmark::State& state) { compileBenchmark(state, guiShape()); }
void BM_CompileEntries(benchmark::State& state) { compileBenchmark(state, fullShape(state)); }

#ifdef TUNNELSMITH_BENCH_CHECK
// The map checker on the same maps as the compile cases: it should stay within twice their time.
void checkBenchmark(benchmark::State& state, const MapShape& shape) {
  const std::string text = ts::bench::generateMap(shape);
  for (auto _ : state) {
    const std::vector<ts::check::Diagnostic> found = ts::check::checkMap(text, names());
    if (!found.empty()) {
      state.SkipWithError(("the generated map is not clean: " + found[0].text).c_str());
      break;
    }
    benchmark::DoNotOptimize(found.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_CheckTextMap(benchmark::State& state) { checkBenchmark(state, textShape()); }
void BM_CheckGuiMap(benchmark::State& state) { checkBenchmark(state, guiShape()); }
void BM_CheckEntries(benchmark::State& state) { checkBenchmark(state, fullShape(state)); }
#endif

}  // namespace

BENCHMARK(BM_ReadTextMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGuiMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEntries)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteThings100kCreatures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTriggers65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileTextMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileGuiMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileEntries)->Arg(200000)->Unit(benchmark::kMillisecond);

#ifdef TUNNELSMITH_BENCH_CHECK
BENCHMARK(BM_CheckTextMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckGuiMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckEntries)->Arg(200000)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_MAIN();
