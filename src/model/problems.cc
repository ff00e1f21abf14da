#include "model/problems.h"

#include <array>
#include <cassert>

namespace ts {

namespace {

// Kept in the order of ProblemId; allProblems() checks that once.
const std::vector<ProblemInfo> kProblems = {
    {ProblemId::kBadPlayerCount, "bad-player-count", Severity::kError,
     "Bad number of players : {}\n"},
    {ProblemId::kHeaderError, "header-error", Severity::kError,
     "error with beginning file data section \n"},
    {ProblemId::kBadSize, "bad-size", Severity::kError, " bad width/heigth : {} {}\n"},
    {ProblemId::kLevelNameTooLong, "level-name-too-long", Severity::kError,
     "Level name too long: {} has {} characters; at most {} fit the level file names\n"},
    {ProblemId::kLevelNameHasSeparator, "level-name-has-separator", Severity::kError,
     "Level name not allowed: {} holds the character '{}'; the level files are named after the "
     "level and written into the current folder, so a level name cannot hold / or \\\n"},
    {ProblemId::kLevelNameHasControl, "level-name-has-control", Severity::kError,
     "Level name not allowed: {} holds the control character 0x{}; the level files are named after "
     "the level, and a file name with a control character is one the game never finds\n"},
    {ProblemId::kMapTooWide, "map-too-wide", Severity::kError,
     "Map too wide: width {} is above the limit of {} squares a row for {}\n"},
    {ProblemId::kLoopBeforeMap, "loop-before-map", Severity::kError,
     "Apparent endless loop while preparing to load map\n"},
    {ProblemId::kLoopMapRows, "loop-map-rows", Severity::kError,
     "Apparent endless loop while loading  map rows\n"},
    {ProblemId::kMapSectionError, "map-section-error", Severity::kError, "error in MAP section \n"},
    {ProblemId::kMapRowTooShort, "map-row-too-short", Severity::kError,
     "Map row {} is too short: expected {} characters{}, found {}\n"},
    {ProblemId::kLoopMap, "loop-map", Severity::kError,
     "Apparent endless loop while loading map\n"},
    {ProblemId::kMapCodesError, "map-codes-error", Severity::kError,
     "error in MAP_CODES section \n"},
    {ProblemId::kMapCodeNotFound, "map-code-not-found", Severity::kWarning,
     "map code not found error --> {} : {}\n"},
    {ProblemId::kGuiUnknownSquare, "gui-unknown-square", Severity::kWarning,
     "Cellwright Internal Error 1\n"},
    {ProblemId::kLoopThings, "loop-things", Severity::kError,
     "Apparent endless loop while loading things\n"},
    {ProblemId::kLoopCreatures, "loop-creatures", Severity::kError,
     "Apparent endless loop while loading creatures\n"},
    {ProblemId::kLoopDoors, "loop-doors", Severity::kError,
     "Apparent endless loop while loading doors\n"},
    {ProblemId::kLoopTraps, "loop-traps", Severity::kError,
     "Apparent endless loop while loading traps\n"},
    {ProblemId::kLoopHearts, "loop-hearts", Severity::kError,
     "Apparent endless loop while loading hearts\n"},
    {ProblemId::kThingsError, "things-error", Severity::kError, "error in THINGS section \n"},
    {ProblemId::kCreaturesError, "creatures-error", Severity::kError,
     "error in CREATURES section \n"},
    {ProblemId::kDoorsError, "doors-error", Severity::kError, "error near DOORS section \n"},
    {ProblemId::kTrapsError, "traps-error", Severity::kError, "error near TRAPS section \n"},
    {ProblemId::kHeartsError, "hearts-error", Severity::kError,
     "error near HEARTS_AND_GOLD section \n"},
    {ProblemId::kForgotEof, "forgot-eof", Severity::kWarning, "Did you forget the EOF line?\n"},
    {ProblemId::kHeartCount, "heart-count", Severity::kError, " Heart Center info not correct!\n"},
    {ProblemId::kOldMap, "old-map", Severity::kNote,
     "assuming no gate, trigger, and scenario info (old map) \n"},
    {ProblemId::kLoopBandData, "loop-band-data", Severity::kError,
     "Apparent endless loop while loading hero band data\n"},
    {ProblemId::kLoopBands, "loop-bands", Severity::kError,
     "Apparent endless loop while loading hero bands\n"},
    {ProblemId::kBandTooLarge, "band-too-large", Severity::kWarning,
     "Hero band {} (band {}) declares {} members; only the first {} are kept\n"},
    {ProblemId::kBandsError, "bands-error", Severity::kError, "error near HERO_BANDS section \n"},
    {ProblemId::kLoopAreas, "loop-areas", Severity::kError,
     "Apparent endless loop while trying to load hero entries/bands \n"},
    {ProblemId::kAreasError, "areas-error", Severity::kError,
     "error before HERO_ENTRANCES section \n"},
    {ProblemId::kAreaIdOrder, "area-id-order", Severity::kError,
     "ID out of order in Hero Entance # {} ==> {}\n"},
    {ProblemId::kLoopGates, "loop-gates", Severity::kError,
     "Apparent endless loop while trying to load hero gates \n"},
    {ProblemId::kGatesError, "gates-error", Severity::kError, "error before HERO_GATES section \n"},
    {ProblemId::kGateIdOrder, "gate-id-order", Severity::kError,
     "ID out of order in Hero Gate# {} ==> {}\n"},
    {ProblemId::kGateNotInMap, "gate-not-in-map", Severity::kNote,
     "Mapping error uncovered with at gate square (not in map)==>>{}\n"},
    {ProblemId::kGateNotGate, "gate-not-gate", Severity::kNote,
     "Mapping error uncovered with at gate square (not a gate square)==> {}\n"},
    {ProblemId::kNoGateTerrain, "no-gate-terrain", Severity::kError,
     "no corresponding Gate Terrain on Map Gate # {}\n"},
    {ProblemId::kGateConflictsWithArea, "gate-conflicts-with-area", Severity::kError,
     "Gate {} conflicts with Entrance Area {}\n"},
    {ProblemId::kGateConflictsWithGate, "gate-conflicts-with-gate", Severity::kError,
     "Gate {} conflicts with Gate {}\n"},
    {ProblemId::kLoopTriggers, "loop-triggers", Severity::kError,
     "Apparent endless loop while loading triggers\n"},
    {ProblemId::kBeforeTriggersError, "before-triggers-error", Severity::kError,
     "error before TRIGGERS section \n"},
    {ProblemId::kTriggersError, "triggers-error", Severity::kError, "error in TRIGGERS section \n"},
    {ProblemId::kInvalidTrigger, "invalid-trigger", Severity::kError, "Invalid trigger: {}\n"},
    {ProblemId::kControlAreaPlayer, "control-area-player", Severity::kError,
     "invalid player in control area trigger: {}\n"},
    {ProblemId::kControlAreaArea, "control-area-area", Severity::kError,
     "invalid area in control area trigger: {}\n"},
    {ProblemId::kInvalidSwitch, "invalid-switch", Severity::kError,
     "Invalid switch in RELEASE action ==> {}\n"},
    {ProblemId::kInvalidRoom, "invalid-room", Severity::kError, "Invalid room in action: {}\n"},
    {ProblemId::kInvalidDoor, "invalid-door", Severity::kError, "Invalid door in action: {}\n"},
    {ProblemId::kInvalidTrap, "invalid-trap", Severity::kError, "Invalid trap in action: {}\n"},
    {ProblemId::kInvalidSpell, "invalid-spell", Severity::kError, "Invalid spell in action: {}\n"},
    {ProblemId::kInvalidActionPlayer, "invalid-action-player", Severity::kError,
     "Invalid player in description\n"},
    {ProblemId::kInvalidGateId, "invalid-gate-id", Severity::kError,
     "Invalid gate id in action: {}\n"},
    {ProblemId::kInvalidAction, "invalid-action", Severity::kError, "invalid action: {}\n"},
    {ProblemId::kLoopDescription, "loop-description", Severity::kError,
     "Apparent endless loop while loading description\n"},
    {ProblemId::kBeforeDescriptionError, "before-description-error", Severity::kError,
     "error before SCENARIO_DESCRIPTION section \n"},
    {ProblemId::kLoopScenario, "loop-scenario", Severity::kError,
     "Apparent endless loop while loading scenario description\n"},
    {ProblemId::kScenarioError, "scenario-error", Severity::kError,
     "error near SCENARIO_DESCRIPTION section \n"},
    {ProblemId::kScenarioCreature, "scenario-creature", Severity::kWarning,
     "Scenario Description:Invalid Creature Name: {}\n"},
    {ProblemId::kScenarioPlayer, "scenario-player", Severity::kWarning,
     "Scenario Description:Invalid Player: {}\n"},
    {ProblemId::kScenarioObject, "scenario-object", Severity::kWarning,
     "invalid object in description: {}\n"},
    {ProblemId::kTerrainMapping, "terrain-mapping", Severity::kWarning,
     "Minor problem with terrain mapping : {}\n"},
    {ProblemId::kTooManyTriggers, "too-many-triggers", Severity::kError,
     "Too many triggers: the level needs {} trigger and action elements, at most {} fit the "
     "triggers file\n"},
    {ProblemId::kMapFileUnreadable, "map-file-unreadable", Severity::kError,
     "Opening of Map File Failed: {}\n"},
    {ProblemId::kMapFileTooLarge, "map-file-too-large", Severity::kError,
     "Map file too large: {} is larger than {} MiB, far beyond any level\n"},
    {ProblemId::kMapFileNotWritten, "map-file-not-written", Severity::kError,
     "FAILURE!!!Could not write {}: {}; no level file was written\n"},
    {ProblemId::kLevelFileNotWritten, "level-file-not-written", Severity::kError,
     "Could not write {}: {}; no level file was written\n"},
    {ProblemId::kLockTimeout, "lock-timeout", Severity::kError,
     "Gave up after waiting {} s for another run writing level {} into this folder; no level file "
     "was written\n"},
    {ProblemId::kCleanedUp, "cleaned-up", Severity::kNote,
     "Cleaned up after an interrupted run of level {}: {}\n"},
};

}  // namespace

const std::vector<ProblemInfo>& allProblems() {
  static const bool ordered = [] {
    for (std::size_t i = 0; i < kProblems.size(); ++i) {
      if (static_cast<std::size_t>(kProblems[i].id) != i) return false;
    }
    return kProblems.size() == static_cast<std::size_t>(ProblemId::kCount);
  }();
  assert(ordered && "the problem table follows ProblemId");
  static_cast<void>(ordered);
  return kProblems;
}

const ProblemInfo& infoOf(ProblemId id) { return allProblems()[static_cast<std::size_t>(id)]; }

std::string consoleText(const Problem& problem) {
  const std::string_view format = infoOf(problem.id).format;
  std::string text;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '{' && i + 1 < format.size() && format[i + 1] == '}') {
      if (next < problem.args.size()) text += problem.args[next];
      ++next;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

void ProblemSink::report(Problem problem) {
  if (console_ != nullptr) *console_ << consoleText(problem) << std::flush;
  if (keep_) kept_.push_back(std::move(problem));
}

}  // namespace ts
