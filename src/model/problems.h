// Problems as values. The reader, the writers and the driver report every problem they find as
// a Problem: a stable identifier, where in the map text it lies, and its arguments. The
// compiler's console text is one rendering of these values and is spelled exactly as level
// designers' tools expect it (odd spacing and spelling included); the checker and the editor
// tools render the same values with positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace ts {

enum class Severity : std::uint8_t { kError, kWarning, kNote };

// "error", "warning" or "note", as messages and tools name a severity.
[[nodiscard]] constexpr std::string_view severityName(Severity severity) {
  return severity == Severity::kError     ? "error"
         : severity == Severity::kWarning ? "warning"
                                          : "note";
}

// Every problem the compiler reports. The order is free; tools key on the names in the table.
enum class ProblemId : std::uint16_t {
  // Header.
  kBadPlayerCount,
  kHeaderError,
  kBadSize,
  kLevelNameTooLong,
  kLevelNameHasSeparator,
  kLevelNameHasControl,
  kMapTooWide,
  kLoopBeforeMap,
  // Grid and legend.
  kLoopMapRows,
  kMapSectionError,
  kMapRowTooShort,
  kLoopMap,
  kMapCodesError,
  kMapCodeNotFound,
  kGuiUnknownSquare,
  // Placements, hearts and gold.
  kLoopThings,
  kLoopCreatures,
  kLoopDoors,
  kLoopTraps,
  kLoopHearts,
  kThingsError,
  kCreaturesError,
  kDoorsError,
  kTrapsError,
  kHeartsError,
  kForgotEof,
  kHeartCount,
  // Hero sections.
  kOldMap,
  kLoopBandData,
  kLoopBands,
  kBandTooLarge,
  kBandsError,
  kLoopAreas,
  kAreasError,
  kAreaIdOrder,
  kLoopGates,
  kGatesError,
  kGateIdOrder,
  kGateNotInMap,
  kGateNotGate,
  kNoGateTerrain,
  kGateConflictsWithArea,
  kGateConflictsWithGate,
  // Triggers.
  kLoopTriggers,
  kBeforeTriggersError,
  kTriggersError,
  kInvalidTrigger,
  kControlAreaPlayer,
  kControlAreaArea,
  kInvalidSwitch,
  kInvalidRoom,
  kInvalidDoor,
  kInvalidTrap,
  kInvalidSpell,
  kInvalidActionPlayer,
  kInvalidGateId,
  kInvalidAction,
  // Scenario description.
  kLoopDescription,
  kBeforeDescriptionError,
  kLoopScenario,
  kScenarioError,
  kScenarioCreature,
  kScenarioPlayer,
  kScenarioObject,
  // Writers and driver.
  kTerrainMapping,
  kTooManyTriggers,
  kMapFileUnreadable,
  kMapFileTooLarge,
  kMapFileNotWritten,
  kLevelFileNotWritten,
  kLockTimeout,
  kCleanedUp,
  kCount
};

struct ProblemInfo {
  ProblemId id;
  std::string_view name;  // stable, for tools: "bad-player-count"
  Severity severity;      // kError: reading or writing stops
  // The console text: each "{}" takes the next argument; ends with its line end.
  std::string_view format;
};

[[nodiscard]] const ProblemInfo& infoOf(ProblemId id);
// Every problem's information, in the order of ProblemId.
[[nodiscard]] const std::vector<ProblemInfo>& allProblems();

struct Problem {
  static constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

  ProblemId id = ProblemId::kCount;
  std::size_t offset = kNowhere;  // byte offset in the map text, or kNowhere
  std::vector<std::string> args;

  [[nodiscard]] Severity severity() const { return infoOf(id).severity; }
  [[nodiscard]] std::string_view name() const { return infoOf(id).name; }
};

// The problem exactly as the compiler prints it, line end included.
[[nodiscard]] std::string consoleText(const Problem& problem);

// One argument as the console prints it.
template <typename T>
[[nodiscard]] std::string argumentText(const T& value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// Where problems go: printed to a console as they come (when there is one), and kept in order
// when asked.
class ProblemSink {
 public:
  explicit ProblemSink(std::ostream* console, bool keep = false) : console_(console), keep_(keep) {}

  void report(Problem problem);
  template <typename... Args>
  void report(ProblemId id, std::size_t offset, const Args&... args) {
    report(Problem{id, offset, {argumentText(args)...}});
  }

  [[nodiscard]] std::vector<Problem> takeProblems() { return std::move(kept_); }

 private:
  std::ostream* console_;
  bool keep_;
  std::vector<Problem> kept_;
};

// Prints the driver's own lines (banner, usage, files produced): each line() is its parts, a
// line end and a flush.
class MessageSink {
 public:
  explicit MessageSink(std::ostream& out) : out_(out) {}

  template <typename... Parts>
  void line(const Parts&... parts) {
    (out_ << ... << parts) << '\n';
    out_.flush();
  }

 private:
  std::ostream& out_;
};

}  // namespace ts
