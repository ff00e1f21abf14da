// TRIGGERS: time, slap-count and control-area triggers, each with its counted actions. One
// action of the text may become two records (a grant and its availability, or a gate's
// location and its destruction).
#include <string>

#include "reader/map_reader.h"

namespace ts {

namespace {

struct GrantKind {
  Statement statement;
  WordKind name;  // what the granted name is
  std::int32_t category;
  std::int32_t (*find)(std::string_view);
  ProblemId invalid;
};

constexpr GrantKind kGrants[] = {
    {Statement::kAddRoom, WordKind::kRoom, kActionCategoryRoom, roomIdOrZero,
     ProblemId::kInvalidRoom},
    {Statement::kAddDoor, WordKind::kDoor, kActionCategoryDoor, doorIdOrZero,
     ProblemId::kInvalidDoor},
    {Statement::kAddTrap, WordKind::kTrap, kActionCategoryTrap, trapIdOrZero,
     ProblemId::kInvalidTrap},
    {Statement::kAddSpell, WordKind::kSpell, kActionCategorySpell, spellIdOrZero,
     ProblemId::kInvalidSpell},
};

// The operands of actions. They live for the whole section: a read that finds the end of the
// text leaves an operand as the previous action left it.
struct ActionOperands {
  std::string player;
  std::string name;
  std::int32_t band = 0;
  std::int32_t n = 0;
  char which = ' ';
};

bool isActionKeyword(std::string_view word) {
  for (const StatementInfo& action : actionWords()) {
    if (word == action.word) return true;
  }
  return false;
}

// ACTION_HERO_RELEASE band G|A n: the band's release at a hero gate or an entrance area.
bool readHeroRelease(ReadState& s, Trigger& trigger, ActionOperands& op) {
  const std::size_t at = s.in.tokenStart();
  s.readInteger(WordKind::kBand, op.band);
  s.readChar(WordKind::kSwitch, op.which);
  s.readInteger(WordKind::kLocation, op.n);
  std::int32_t location = op.n;
  if (op.which == 'A') {
    location = wrap32(std::int64_t{op.n} + static_cast<std::int64_t>(s.level.heroGates.size()));
  } else if (op.which == 'G') {
    trigger.releasesAtGate = true;
    trigger.releaseGates.insert(wrap32(std::int64_t{op.n} - 1));
  } else {
    s.report(ProblemId::kInvalidSwitch, op.which);
    return false;
  }
  trigger.actions.push_back(
      {kActionHeroRelease, wrap32(std::int64_t{op.band} - 1), 0, 0, 0, location});
  if (s.observer) s.observer->heroRelease(op.band, op.which, op.n, at);
  return true;
}

// ACTION_ADD_ROOM, _DOOR, _TRAP or _SPELL player name: a grant and its availability.
bool readGrant(ReadState& s, const GrantKind& grant, Trigger& trigger, ActionOperands& op) {
  s.readWord(WordKind::kPlayer, op.player);
  s.readWord(grant.name, op.name);
  const std::int32_t id = grant.find(op.name);
  if (id == 0) {
    s.report(grant.invalid, op.name);
    return false;
  }
  const std::int32_t playerId = parsePlayerToken(op.player);
  if (playerId == kNoPlayer) {
    s.report(ProblemId::kInvalidActionPlayer);
    return false;
  }
  trigger.actions.push_back({kActionGrant, playerId, grant.category, id, 1, 0});
  trigger.actions.push_back({kActionMakeAvailable, grant.category, id, 1, 0, 0});
  return true;
}

// ACTION_DESTROY_HERO_GATE n: the gate's location, then its destruction.
bool readDestroyGate(ReadState& s, Trigger& trigger, ActionOperands& op) {
  s.readInteger(WordKind::kGate, op.n);
  const std::int64_t index = static_cast<std::int64_t>(op.n) - 1;
  if (index < 0 || index >= static_cast<std::int64_t>(s.level.heroGates.size())) {
    s.report(ProblemId::kInvalidGateId, index);
    return false;
  }
  const GateExtent& e = s.level.heroGates[static_cast<std::size_t>(index)].extent;
  trigger.actions.push_back({kActionGateLocation, 0, 0, 0, 0, packGateCorner(e)});
  trigger.actions.push_back({kActionDestroyGate, static_cast<std::int32_t>(index), 10, 0, 0, 1});
  return true;
}

// Reads one action, whose keyword is in the buffer, into `trigger`; false after
// reporting why the action is rejected.
bool readAction(ReadState& s, Trigger& trigger, ActionOperands& op) {
  const std::string& word = s.buffer;
  if (word == wordOf(Statement::kHeroRelease)) return readHeroRelease(s, trigger, op);
  for (const GrantKind& grant : kGrants) {
    if (word == wordOf(grant.statement)) return readGrant(s, grant, trigger, op);
  }
  if (word == wordOf(Statement::kDestroyGate)) return readDestroyGate(s, trigger, op);
  s.report(ProblemId::kInvalidAction, word);
  return false;
}

// Reads the condition of a trigger whose keyword is in the buffer.
bool readCondition(ReadState& s, Trigger& trigger) {
  const std::string& word = s.buffer;
  if (word == wordOf(Statement::kTriggerTime)) {
    trigger.kind = kTriggerTime;
    s.readInteger(WordKind::kNumber, trigger.value);
    return true;
  }
  if (word == wordOf(Statement::kTriggerSlapCount)) {
    trigger.kind = kTriggerSlapCount;
    trigger.param4 = 1;
    s.readInteger(WordKind::kNumber, trigger.value);
    return true;
  }
  if (word == wordOf(Statement::kTriggerControlArea)) {
    std::string player;
    std::int32_t area = 0;
    s.readWord(WordKind::kPlayer, player);
    s.readInteger(WordKind::kArea, area);
    const std::int32_t playerId = parsePlayerToken(player);
    if (playerId < 1) {
      s.report(ProblemId::kControlAreaPlayer, player);
      return false;
    }
    if (area < 1 || static_cast<std::size_t>(area) > s.level.areas.size()) {
      s.report(ProblemId::kControlAreaArea, area);
      return false;
    }
    trigger.kind = kTriggerControlArea;
    trigger.param3 = playerId;
    trigger.value = area - 1;
    return true;
  }
  s.report(ProblemId::kInvalidTrigger, word);
  return false;
}

}  // namespace

bool readTriggers(ReadState& s) {
  if (!s.searchKeyword(Section::kTriggers, ProblemId::kLoopTriggers,
                       ProblemId::kBeforeTriggersError)) {
    return false;
  }
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  s.level.triggers.reserve(s.reserveFor(count, 16));
  ActionOperands operands;
  for (std::int32_t t = 0; t < count; ++t) {
    s.entry(Section::kTriggers);
    s.readWord(WordKind::kKeyword, s.buffer);
    if (s.in.failed()) {
      s.report(ProblemId::kTriggersError);
      return false;
    }
    Trigger trigger;
    if (!readCondition(s, trigger)) return false;
    std::int32_t actionCount = 0;
    s.readInteger(WordKind::kCount, actionCount);
    trigger.actions.reserve(s.reserveFor(actionCount, 12));  // a dozen characters an action
    for (std::int32_t a = 0; a < actionCount; ++a) {
      s.readWord(WordKind::kKeyword, s.buffer);
      // Once the text has ended, reading the same action again would only repeat its records:
      // stop, and let the next trigger keyword (or the scenario search) report the broken text.
      // A word left over that is no action keyword is reported as such.
      if (s.in.failed() && isActionKeyword(s.buffer)) break;
      if (!readAction(s, trigger, operands)) return false;
    }
    s.level.triggers.push_back(std::move(trigger));
  }
  s.guard = 0;
  return true;
}

}  // namespace ts
