// The reader's and writers' console messages, spelled exactly as level designers' tools
// expect them (odd spacing and spelling included), and the sink that prints them.
#pragma once

#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace ts {

namespace msg {
// Header.
inline constexpr std::string_view kBadPlayerCount = "Bad number of players : ";
inline constexpr std::string_view kHeaderError = "error with beginning file data section ";
inline constexpr std::string_view kBadSize = " bad width/heigth : ";
inline constexpr std::string_view kLoopBeforeMap =
    "Apparent endless loop while preparing to load map";
// Grid and legend.
inline constexpr std::string_view kLoopMapRows = "Apparent endless loop while loading  map rows";
inline constexpr std::string_view kMapSectionError = "error in MAP section ";
inline constexpr std::string_view kLoopMap = "Apparent endless loop while loading map";
inline constexpr std::string_view kMapCodesError = "error in MAP_CODES section ";
inline constexpr std::string_view kMapCodeNotFound = "map code not found error --> ";
inline constexpr std::string_view kGuiUnknownSquare = "Cellwright Internal Error 1\n";
// Placements, hearts and gold.
inline constexpr std::string_view kLoopThings = "Apparent endless loop while loading things";
inline constexpr std::string_view kLoopCreatures = "Apparent endless loop while loading creatures";
inline constexpr std::string_view kLoopDoors = "Apparent endless loop while loading doors";
inline constexpr std::string_view kLoopTraps = "Apparent endless loop while loading traps";
inline constexpr std::string_view kLoopHearts = "Apparent endless loop while loading hearts";
inline constexpr std::string_view kThingsError = "error in THINGS section ";
inline constexpr std::string_view kCreaturesError = "error in CREATURES section ";
inline constexpr std::string_view kDoorsError = "error near DOORS section ";
inline constexpr std::string_view kTrapsError = "error near TRAPS section ";
inline constexpr std::string_view kHeartsError = "error near HEARTS_AND_GOLD section ";
inline constexpr std::string_view kForgotEof = "Did you forget the EOF line?";
inline constexpr std::string_view kHeartCount = " Heart Center info not correct!\n";
// Hero sections.
inline constexpr std::string_view kOldMap =
    "assuming no gate, trigger, and scenario info (old map) ";
inline constexpr std::string_view kLoopBandData =
    "Apparent endless loop while loading hero band data";
inline constexpr std::string_view kLoopBands = "Apparent endless loop while loading hero bands";
inline constexpr std::string_view kBandsError = "error near HERO_BANDS section ";
inline constexpr std::string_view kLoopAreas =
    "Apparent endless loop while trying to load hero entries/bands ";
inline constexpr std::string_view kAreasError = "error before HERO_ENTRANCES section ";
inline constexpr std::string_view kAreaIdOrder = "ID out of order in Hero Entance # ";
inline constexpr std::string_view kLoopGates =
    "Apparent endless loop while trying to load hero gates ";
inline constexpr std::string_view kGatesError = "error before HERO_GATES section ";
inline constexpr std::string_view kGateIdOrder = "ID out of order in Hero Gate# ";
inline constexpr std::string_view kIdArrow = " ==> ";
inline constexpr std::string_view kGateNotInMap =
    "Mapping error uncovered with at gate square (not in map)==>>";
inline constexpr std::string_view kGateNotGate =
    "Mapping error uncovered with at gate square (not a gate square)==> ";
inline constexpr std::string_view kNoGateTerrain = "no corresponding Gate Terrain on Map Gate # ";
inline constexpr std::string_view kGate = "Gate ";
inline constexpr std::string_view kConflictsWithArea = " conflicts with Entrance Area ";
inline constexpr std::string_view kConflictsWithGate = " conflicts with Gate ";
// Triggers.
inline constexpr std::string_view kLoopTriggers = "Apparent endless loop while loading triggers";
inline constexpr std::string_view kBeforeTriggersError = "error before TRIGGERS section ";
inline constexpr std::string_view kTriggersError = "error in TRIGGERS section ";
inline constexpr std::string_view kInvalidTrigger = "Invalid trigger: ";
inline constexpr std::string_view kControlAreaPlayer = "invalid player in control area trigger: ";
inline constexpr std::string_view kControlAreaArea = "invalid area in control area trigger: ";
inline constexpr std::string_view kInvalidSwitch = "Invalid switch in RELEASE action ==> ";
inline constexpr std::string_view kInvalidRoom = "Invalid room in action: ";
inline constexpr std::string_view kInvalidDoor = "Invalid door in action: ";
inline constexpr std::string_view kInvalidTrap = "Invalid trap in action: ";
inline constexpr std::string_view kInvalidSpell = "Invalid spell in action: ";
inline constexpr std::string_view kInvalidActionPlayer = "Invalid player in description\n";
inline constexpr std::string_view kInvalidGateId = "Invalid gate id in action: ";
inline constexpr std::string_view kInvalidAction = "invalid action: ";
// Scenario description.
inline constexpr std::string_view kLoopDescription =
    "Apparent endless loop while loading description";
inline constexpr std::string_view kBeforeDescriptionError =
    "error before SCENARIO_DESCRIPTION section ";
inline constexpr std::string_view kLoopScenario =
    "Apparent endless loop while loading scenario description";
inline constexpr std::string_view kScenarioError = "error near SCENARIO_DESCRIPTION section ";
inline constexpr std::string_view kScenarioCreature =
    "Scenario Description:Invalid Creature Name: ";
inline constexpr std::string_view kScenarioPlayer = "Scenario Description:Invalid Player: ";
inline constexpr std::string_view kScenarioObject = "invalid object in description: ";
// Map file writer.
inline constexpr std::string_view kTerrainMapping = "Minor problem with terrain mapping : ";
inline constexpr std::string_view kWriteFailure = "FAILURE!!!";
}  // namespace msg

// Prints console messages: each line() is its parts, a line end and a flush.
class MessageSink {
 public:
  // Called with the whole text of each message (line end included) before it is printed.
  using Hook = std::function<void(const std::string&)>;

  explicit MessageSink(std::ostream& out) : out_(out) {}

  void setHook(Hook hook) { hook_ = std::move(hook); }

  template <typename... Parts>
  void line(const Parts&... parts) {
    raw(parts..., '\n');
  }
  // Text that carries its own line end (or none at all).
  template <typename... Parts>
  void raw(const Parts&... parts) {
    if (hook_) {
      std::ostringstream text;
      (text << ... << parts);
      hook_(text.str());
      out_ << text.str();
    } else {
      (out_ << ... << parts);
    }
    out_.flush();
  }

 private:
  std::ostream& out_;
  Hook hook_;
};

}  // namespace ts
