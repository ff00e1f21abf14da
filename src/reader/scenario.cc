// SCENARIO_DESCRIPTION: statements that change each keeper's creature pool and availability
// tables, up to the EOF word that completes the level. Bad operands skip their statement.
#include <string>

#include "reader/map_reader.h"

namespace ts {

namespace {

// The operands of statements. They live for the whole section: a read that finds the end of the
// text leaves an operand as the previous statement left it.
struct StatementOperands {
  std::string player;
  std::string name;
  std::int32_t count = 0;
};

// Keeper index of a player token, or -1 when the token names no keeper of this level.
std::int32_t keeperIndex(const LevelDescription& level, const std::string& token) {
  const std::int32_t k = parsePlayerToken(token) - kFirstKeeperPlayer;
  // A keeper above the level's player count has no tables to change.
  if (k < 0 || k >= static_cast<std::int32_t>(level.creatureCounts.size())) return -1;
  return k;
}

// Sets `table[id]` and tells the observer whether that changed anything.
void apply(ReadState& s, KeeperTable& table, std::int32_t id, std::int32_t value, std::size_t at) {
  auto [entry, added] = table.try_emplace(id, value);
  const bool changed = added || entry->second != value;
  entry->second = value;
  if (s.observer != nullptr) s.observer->statementApplied(s.buffer, changed, at);
}

void readCreatureCount(ReadState& s, StatementOperands& op) {
  const std::size_t at = s.in.tokenStart();
  std::string& player = op.player;
  std::string& creature = op.name;
  std::int32_t& count = op.count;
  s.readWord(WordKind::kPlayer, player);
  const std::size_t playerAt = s.in.tokenStart();
  s.readWord(WordKind::kCreature, creature);
  const std::size_t creatureAt = s.in.tokenStart();
  s.readInteger(WordKind::kNumber, count);
  const std::int32_t id = s.names.findCreatureId(creature);
  if (id < 0) {
    s.reportAt(creatureAt, ProblemId::kScenarioCreature, creature);
    return;
  }
  const std::int32_t k = keeperIndex(s.level, player);
  if (k < 0) {
    s.reportAt(playerAt, ProblemId::kScenarioPlayer, player);
    return;
  }
  apply(s, s.level.creatureCounts[static_cast<std::size_t>(k)], id, count, at);
}

void readAvailability(ReadState& s, StatementOperands& op, Availability state) {
  const std::size_t at = s.in.tokenStart();
  std::string& player = op.player;
  std::string& name = op.name;
  s.readWord(WordKind::kPlayer, player);
  const std::size_t playerAt = s.in.tokenStart();
  s.readWord(WordKind::kAvailable, name);
  const std::int32_t k = keeperIndex(s.level, player);
  if (k < 0) {
    s.reportAt(playerAt, ProblemId::kScenarioPlayer, player);
    return;
  }
  const auto keeper = static_cast<std::size_t>(k);
  LevelDescription& level = s.level;
  // The tables are searched in this order; the first that knows the name wins.
  if (const std::int32_t id = roomIdOrZero(name); id != 0) {
    apply(s, level.roomStates[keeper], id, state, at);
  } else if (const std::int32_t trap = trapIdOrZero(name); trap != 0) {
    apply(s, level.trapStates[keeper], trap, state, at);
  } else if (const std::int32_t door = doorIdOrZero(name); door != 0) {
    apply(s, level.doorStates[keeper], door, state, at);
  } else if (const std::int32_t spell = spellIdOrZero(name); spell != 0) {
    apply(s, level.spellStates[keeper], spell, state, at);
  } else {
    s.report(ProblemId::kScenarioObject, name);
  }
}

}  // namespace

bool readScenario(ReadState& s) {
  if (!s.searchKeyword(Section::kScenario, ProblemId::kLoopDescription,
                       ProblemId::kBeforeDescriptionError)) {
    return false;
  }
  s.guard = 0;
  StatementOperands operands;
  while (true) {
    if (s.buffer == kEofWord) {
      s.level.isValid = true;  // nothing after EOF is read
      if (s.observer != nullptr) s.observer->endOfFile(s.in.position());
      return true;
    }
    s.in.readWord(s.buffer);
    if (!s.stepTaken(ProblemId::kLoopScenario, ProblemId::kScenarioError)) return false;
    const bool statement = findStatement(Section::kScenario, s.buffer) != nullptr;
    if (statement) {
      s.entry(Section::kScenario);
      s.told(WordKind::kKeyword);
    }
    if (s.buffer == wordOf(Statement::kCreatureCount)) {
      readCreatureCount(s, operands);
    } else if (s.buffer == wordOf(Statement::kStartWith)) {
      readAvailability(s, operands, kStartWith);
    } else if (s.buffer == wordOf(Statement::kNo)) {
      readAvailability(s, operands, kNotAvailable);
    } else if (s.buffer == wordOf(Statement::kMustResearch)) {
      readAvailability(s, operands, kMustResearch);
    } else if (s.buffer != kEofWord && s.observer != nullptr) {
      s.observer->wordIgnored(keywordOf(Section::kScenario), s.in.tokenStart());
    }
  }
}

}  // namespace ts
