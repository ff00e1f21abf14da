#include "driver/compile.h"

#include <memory>
#include <sstream>
#include <utility>

#include "model/level_description.h"
#include "model/problems.h"
#include "reader/map_reader.h"
#include "writers/writers.h"

namespace ts {

namespace {

// Keeps every file whole, in the order the files are built.
class MemorySink : public LevelFileSink {
 public:
  explicit MemorySink(std::vector<LevelFile>& files) : files_(files) {}

  FileOutput& open(const std::string& name) override {
    name_ = name;
    output_ = std::make_unique<FileOutput>();
    return *output_;
  }
  void close() override { files_.push_back({std::move(name_), std::move(output_->bytes())}); }

 private:
  std::vector<LevelFile>& files_;
  std::string name_;
  std::unique_ptr<FileOutput> output_;
};

// A small file is assembled whole and handed to the sink's output at once.
void putWholeFile(LevelFileSink& sink, const std::string& name, Bytes bytes) {
  FileOutput& file = sink.open(name);
  file.bytes() = std::move(bytes);
  sink.close();
}

}  // namespace

bool compileMap(std::string_view mapText, const NameMaps& names, ProblemSink& problems,
                LevelFileSink& sink) {
  LevelDescription level;
  readLevel(mapText, level, names, problems);
  if (!level.isValid) return false;
  // The trigger plan gives every trigger and action element a 16-bit identifier: more elements
  // than fit would give two elements one identifier.
  const TriggerPlan plan(level);
  if (!plan.fits()) {
    problems.report(ProblemId::kTooManyTriggers, Problem::kNowhere, plan.counts().total(),
                    kMaxTriggerElements);
    return false;
  }
  std::vector<std::string> fileNames;
  for (std::string_view suffix : {kMapSuffix, kTriggersSuffix, kThingsSuffix, kPlayersSuffix,
                                  kVariablesSuffix, kLevelInfoSuffix}) {
    fileNames.push_back(level.levelName + std::string(suffix));
  }
  sink.announce(level.levelName, fileNames);
  buildMapFile(level, problems, sink.open(fileNames[0]));
  sink.close();
  buildTriggersFile(level, plan, sink.open(fileNames[1]));
  sink.close();
  buildThingsFile(level, plan, sink.open(fileNames[2]));
  sink.close();
  putWholeFile(sink, fileNames[3], buildPlayersFile(level));
  putWholeFile(sink, fileNames[4], buildVariablesFile(level));
  putWholeFile(sink, fileNames[5], buildLevelInfoFile(level));
  return true;
}

bool compileMap(std::string_view mapText, const NameMaps& names, std::ostream& console,
                LevelFileSink& sink) {
  ProblemSink problems(&console);
  return compileMap(mapText, names, problems, sink);
}

CompileResult compileMap(std::string_view mapText, const NameMaps& names) {
  CompileResult result;
  std::ostringstream console;
  ProblemSink problems(&console, true);
  MemorySink sink(result.files);
  result.valid = compileMap(mapText, names, problems, sink);
  result.console = console.str();
  result.problems = problems.takeProblems();
  return result;
}

CompileResult compileMap(std::string_view mapText) {
  const NameMaps names;
  return compileMap(mapText, names);
}

}  // namespace ts
