// The six level file writers. Each reads the level (and the triggers and things writers its
// trigger plan) and changes neither. Each returns the whole file; the three that can grow large
// also assemble it into a FileOutput, which may hand it on in blocks. The forms without a plan
// compute one for the call.
#pragma once

#include <string_view>

#include "base/le_encoding.h"
#include "format/level_files.h"
#include "model/level_description.h"
#include "model/problems.h"
#include "model/trigger_plan.h"
#include "writers/file_output.h"

namespace ts {

// Reports each square whose character has no terrain code.
[[nodiscard]] Bytes buildMapFile(const LevelDescription& level, ProblemSink& problems);
void buildMapFile(const LevelDescription& level, ProblemSink& problems, FileOutput& file);
// REQUIRES: plan.fits().
[[nodiscard]] Bytes buildTriggersFile(const LevelDescription& level);
void buildTriggersFile(const LevelDescription& level, const TriggerPlan& plan, FileOutput& file);
[[nodiscard]] Bytes buildThingsFile(const LevelDescription& level);
void buildThingsFile(const LevelDescription& level, const TriggerPlan& plan, FileOutput& file);
[[nodiscard]] Bytes buildPlayersFile(const LevelDescription& level);
[[nodiscard]] Bytes buildVariablesFile(const LevelDescription& level);
[[nodiscard]] Bytes buildLevelInfoFile(const LevelDescription& level);

}  // namespace ts
