#include "driver/compile.h"

#include <sstream>

#include "model/level_description.h"
#include "reader/messages.h"
#include "writers/writers.h"

namespace ts {

CompileResult compileMap(std::string_view mapText, const NameMaps& names) {
  CompileResult result;
  std::ostringstream console;
  MessageSink out(console);
  LevelDescription level(mapText, names, console);
  if (level.isValid) {
    // Trigger identifiers are 16 bits, counted up for triggers and down for actions; more
    // elements than that would give two elements one identifier.
    const TriggerFileCounts counts = countTriggerElements(level);
    const std::size_t total = counts.triggers + counts.actions;
    if (total > kMaxTriggerElements) {
      out.line("Too many triggers: the level needs ", total,
               " trigger and action elements, at most ", kMaxTriggerElements,
               " fit the triggers file");
      level.isValid = false;
    }
  }
  if (level.isValid) {
    const std::string& name = level.levelName;
    // The triggers file stores identifiers into areas and gates that the things file writes.
    result.files.push_back({name + std::string(kMapSuffix), writeMapFile(level, out)});
    result.files.push_back({name + std::string(kTriggersSuffix), writeTriggersFile(level)});
    result.files.push_back({name + std::string(kThingsSuffix), writeThingsFile(level)});
    result.files.push_back({name + std::string(kPlayersSuffix), writePlayersFile(level)});
    result.files.push_back({name + std::string(kVariablesSuffix), writeVariablesFile(level)});
    result.files.push_back({name + std::string(kLevelInfoSuffix), writeLevelInfoFile(level)});
    result.valid = true;
  }
  result.console = console.str();
  return result;
}

CompileResult compileMap(std::string_view mapText) {
  const NameMaps names;
  return compileMap(mapText, names);
}

}  // namespace ts
