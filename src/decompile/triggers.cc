// The TRIGGERS section from the triggers file's tree. The compiler adds elements of its own that
// the text does not hold: a gate-release node under a trigger for every gate its releases name
// with G, and one control trigger a keeper for every gate that opens by itself (the gate's
// terrain says so). Those are folded back into the text that makes them: releases written
// G n, and the gate terrains of the grid.
#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "decompile/level_text.h"
#include "format/layouts.h"
#include "model/grammar.h"

namespace ts::decompile {

namespace {

using inspect::Record;

struct Element {
  std::size_t offset = 0;
  std::uint16_t id = 0;
  std::uint16_t next = 0;
  std::uint16_t child = 0;  // triggers only
};

class TriggerTree {
 public:
  explicit TriggerTree(const DecodedFiles& files) : r_(files.bytes[kTriggersFile]) {
    for (const Record& rec : files.inspections[kTriggersFile].records) {
      const bool action = rec.kind == "action";
      if (!action && rec.kind != "trigger") continue;
      const std::size_t at = rec.offset;
      Element e{at, r_.u16(at + (action ? layout::kActionId : layout::kTriggerId)),
                r_.u16(at + (action ? layout::kActionNext : layout::kTriggerNext)),
                action ? std::uint16_t{0} : r_.u16(at + layout::kTriggerChild)};
      auto& byId = action ? actionById_ : triggerById_;
      auto& list = action ? actions_ : triggers_;
      byId.try_emplace(e.id, list.size());
      list.push_back(e);
    }
  }

  [[nodiscard]] const Reader& reader() const { return r_; }
  [[nodiscard]] const std::vector<Element>& triggers() const { return triggers_; }

  // The trigger (action) an identifier names, once: a link that leads back yields nothing.
  const Element* trigger(std::uint16_t id) { return visit(id, triggerById_, triggers_, seen_); }
  const Element* action(std::uint16_t id) { return visit(id, actionById_, actions_, seenActions_); }

 private:
  static const Element* visit(std::uint16_t id,
                              const std::unordered_map<std::uint16_t, std::size_t>& byId,
                              const std::vector<Element>& list,
                              std::unordered_set<std::uint16_t>& seen) {
    if (id == 0) return nullptr;
    const auto it = byId.find(id);
    if (it == byId.end() || !seen.insert(id).second) return nullptr;
    return &list[it->second];
  }

  Reader r_;
  std::vector<Element> triggers_;
  std::vector<Element> actions_;
  std::unordered_map<std::uint16_t, std::size_t> triggerById_;
  std::unordered_map<std::uint16_t, std::size_t> actionById_;
  std::unordered_set<std::uint16_t> seen_;
  std::unordered_set<std::uint16_t> seenActions_;
};

std::uint32_t squares(const EntranceArea& a) {
  const auto width = static_cast<std::uint64_t>(std::int64_t{a.right} - a.left + 1);
  const auto height = static_cast<std::uint64_t>(std::int64_t{a.bottom} - a.top + 1);
  return static_cast<std::uint32_t>(width * height);
}

// The entrance area a control trigger watches. The file holds only the area's number of squares
// as the trigger's value; each area names the last trigger watching it, so an earlier one
// watches an area of its size that a later trigger watches too.
std::optional<std::size_t> watchedArea(const LevelText& level, std::uint16_t id,
                                       std::int32_t value) {
  const auto& watchers = level.areaWatchers;
  for (std::size_t a = 0; a < watchers.size(); ++a) {
    if (watchers[a] == id) return a;
  }
  const auto size = static_cast<std::uint32_t>(value);
  for (std::size_t a = 0; a < watchers.size(); ++a) {
    if (squares(level.areas[a]) == size && watchers[a] > id) return a;
  }
  return std::nullopt;
}

std::string token(std::int32_t player) { return std::string(nameOf(kPlayerTokens, player)); }

struct Grant {
  std::int32_t category;
  Statement statement;
  std::string_view (*name)(std::int32_t);
};
constexpr Grant kGrants[] = {
    {kActionCategoryRoom, Statement::kAddRoom,
     [](std::int32_t id) { return nameOf(kRoomTable, id); }},
    {kActionCategoryDoor, Statement::kAddDoor,
     [](std::int32_t id) { return nameOf(kDoorTable, id); }},
    {kActionCategoryTrap, Statement::kAddTrap,
     [](std::int32_t id) { return nameOf(kTrapTable, id); }},
    {kActionCategorySpell, Statement::kAddSpell,
     [](std::int32_t id) { return nameOf(kSpellTable, id); }},
};

struct Action {
  std::size_t offset;
  std::uint8_t type;
  std::array<std::uint8_t, 4> arg;
  std::int32_t arg5;
};

// A hero release, whose text waits until the trigger's gate releases are known: its place among
// the trigger's actions, its band (from 1) and its location as the action holds it.
struct Release {
  std::size_t slot;
  std::int32_t band;
  std::int32_t location;
};

class TriggerDecoder {
 public:
  TriggerDecoder(TriggerTree& tree, LevelText& level, Findings& findings)
      : tree_(tree), level_(level), findings_(findings) {}

  void decode(const Element& t);

 private:
  void finding(std::size_t offset, const std::string& message) {
    findings_.add(kTriggersFile, offset, message);
  }
  std::optional<std::string> condition(const Element& t);
  // The text of the actions; hero releases are written once the gate releases are known.
  void actions(const Element& trigger, const std::vector<Action>& chain,
               const std::vector<std::uint8_t>& releaseGates, TextTrigger& out);
  // The text of each action but the releases, whose places it keeps; the releases.
  std::vector<Release> chainTexts(const std::vector<Action>& chain, TextTrigger& out);
  // The locations of the releases that name a gate with G.
  std::set<std::int32_t> releasesAtGates(const Element& trigger,
                                         const std::vector<Release>& releases,
                                         const std::vector<std::uint8_t>& releaseGates);
  std::optional<std::string> destroyGate(const Action& location, const Action& destroy);

  TriggerTree& tree_;
  LevelText& level_;
  Findings& findings_;
};

std::optional<std::string> TriggerDecoder::condition(const Element& t) {
  const Reader& r = tree_.reader();
  const std::uint8_t kind = r.u8(t.offset + layout::kTriggerKind);
  const std::int32_t value = r.i32(t.offset + layout::kTriggerValue);
  switch (kind) {
    case kTriggerTime:
      return std::string(wordOf(Statement::kTriggerTime)) + " " + std::to_string(value);
    case kTriggerSlapCount:
      return std::string(wordOf(Statement::kTriggerSlapCount)) + " " + std::to_string(value);
    case kTriggerControlArea: {
      const std::uint8_t player = r.u8(t.offset + layout::kTriggerParam3);
      const std::optional<std::size_t> area = watchedArea(level_, t.id, value);
      if (token(player).empty() || !area) {
        finding(t.offset, "trigger " + std::to_string(t.id) + " watches " + std::to_string(value) +
                              " squares for player " + std::to_string(player) +
                              ", which no entrance area of the level gives; left out");
        return std::nullopt;
      }
      return std::string(wordOf(Statement::kTriggerControlArea)) + " " + token(player) + " " +
             std::to_string(*area + 1);
    }
    default:
      finding(t.offset + layout::kTriggerKind,
              "trigger " + std::to_string(t.id) + " of kind " + std::to_string(kind) +
                  ", which a map text cannot give; left out with its actions");
      return std::nullopt;
  }
}

std::optional<std::string> TriggerDecoder::destroyGate(const Action& location,
                                                       const Action& destroy) {
  // The gate's index is kept in a byte; the location of its corner tells gates apart.
  std::optional<std::size_t> gate;
  for (std::size_t j = 0; j < level_.gates.size(); ++j) {
    if ((j & 0xFF) != destroy.arg[0]) continue;
    if (packGateCorner(level_.gates[j].extent) == location.arg5) return std::to_string(j + 1);
    if (!gate) gate = j;
  }
  if (gate) {
    finding(location.offset, "the gate location " +
                                 hex(static_cast<std::uint32_t>(location.arg5), 8) +
                                 " is not the corner of hero gate " + std::to_string(*gate + 1) +
                                 ", which the text destroys");
    return std::to_string(*gate + 1);
  }
  finding(destroy.offset, "destroys hero gate " + std::to_string(destroy.arg[0] + 1) +
                              ", which the level does not have; left out");
  return std::nullopt;
}

// The statement of a grant action followed by its make-available action, when a map text has
// one for its category, item and player.
std::optional<std::string> grantText(const Action& a) {
  const auto* grant = std::find_if(std::begin(kGrants), std::end(kGrants),
                                   [&](const Grant& g) { return g.category == a.arg[1]; });
  if (grant == std::end(kGrants) || grant->name(a.arg[2]).empty() || token(a.arg[0]).empty()) {
    return std::nullopt;
  }
  return std::string(wordOf(grant->statement)) + " " + token(a.arg[0]) + " " +
         std::string(grant->name(a.arg[2]));
}

std::vector<Release> TriggerDecoder::chainTexts(const std::vector<Action>& chain,
                                                TextTrigger& out) {
  std::vector<Release> releases;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const Action& a = chain[i];
    const Action* second = i + 1 < chain.size() ? &chain[i + 1] : nullptr;
    if (a.type == kActionHeroRelease) {
      releases.push_back({out.actions.size(), a.arg[0] + 1, a.arg5});
      out.actions.emplace_back();
      continue;
    }
    if (a.type == kActionGrant && second != nullptr && second->type == kActionMakeAvailable) {
      if (std::optional<std::string> text = grantText(a)) {
        out.actions.push_back(std::move(*text));
        ++i;
        continue;
      }
    }
    if (a.type == kActionGateLocation && second != nullptr && second->type == kActionDestroyGate) {
      if (const std::optional<std::string> gate = destroyGate(a, *second)) {
        out.actions.push_back(std::string(wordOf(Statement::kDestroyGate)) + " " + *gate);
      }
      ++i;
      continue;
    }
    finding(a.offset, "an action of type " + std::to_string(a.type) +
                          " that no action of a map text makes; left out");
  }
  return releases;
}

// A release names a gate with G exactly when the trigger has a release node for the gate (its
// index in a byte). The nodes come in ascending order of the gate index.
std::set<std::int32_t> TriggerDecoder::releasesAtGates(
    const Element& trigger, const std::vector<Release>& releases,
    const std::vector<std::uint8_t>& releaseGates) {
  std::set<std::int32_t> candidates;
  for (const Release& rel : releases) candidates.insert(wrap32(std::int64_t{rel.location} - 1));
  std::set<std::int32_t> atGate;
  std::int64_t previous = INT64_MIN;
  for (const std::uint8_t gate : releaseGates) {
    const auto from = previous == INT64_MIN
                          ? candidates.begin()
                          : candidates.upper_bound(static_cast<std::int32_t>(previous));
    const auto it = std::find_if(from, candidates.end(), [&](std::int32_t v) {
      return static_cast<std::uint8_t>(v) == gate;
    });
    if (it == candidates.end()) {
      finding(trigger.offset, "trigger " + std::to_string(trigger.id) +
                                  " has a gate release of hero gate " + std::to_string(gate + 1) +
                                  " that none of its releases names; left out");
      continue;
    }
    atGate.insert(*it);
    previous = *it;
  }
  return atGate;
}

void TriggerDecoder::actions(const Element& trigger, const std::vector<Action>& chain,
                             const std::vector<std::uint8_t>& releaseGates, TextTrigger& out) {
  const std::vector<Release> releases = chainTexts(chain, out);
  const std::set<std::int32_t> atGate = releasesAtGates(trigger, releases, releaseGates);
  const auto gates = static_cast<std::int64_t>(level_.gates.size());
  for (const Release& rel : releases) {
    std::string& text = out.actions[rel.slot];
    text = std::string(wordOf(Statement::kHeroRelease)) + " " + std::to_string(rel.band);
    if (atGate.count(wrap32(std::int64_t{rel.location} - 1)) != 0) {
      text += " G " + std::to_string(rel.location);
    } else {
      text += " A " + std::to_string(wrap32(std::int64_t{rel.location} - gates));
    }
  }
}

void TriggerDecoder::decode(const Element& t) {
  const Reader& r = tree_.reader();
  std::vector<std::uint8_t> releaseGates;
  std::uint16_t link = t.child;
  while (const Element* node = tree_.trigger(link)) {
    if (r.u8(node->offset + layout::kTriggerKind) != kTriggerGateRelease) {
      finding(node->offset, "trigger " + std::to_string(node->id) + " hangs below trigger " +
                                std::to_string(t.id) +
                                ", where only gate releases stand; left out");
    } else {
      releaseGates.push_back(r.u8(node->offset + layout::kTriggerParam3));
    }
    link = node->child;
  }
  std::vector<Action> chain;
  for (const Element* a = tree_.action(link); a != nullptr; a = tree_.action(a->next)) {
    Action action{a->offset, r.u8(a->offset + layout::kActionType), {}, 0};
    for (std::size_t i = 0; i < 4; ++i) action.arg[i] = r.u8(a->offset + layout::kActionArg1 + i);
    action.arg5 = r.i32(a->offset + layout::kActionArg5);
    chain.push_back(action);
  }
  std::optional<std::string> text = condition(t);
  if (!text) return;
  TextTrigger out{std::move(*text), {}};
  actions(t, chain, releaseGates, out);
  level_.triggers.push_back(std::move(out));
}

}  // namespace

void decodeTriggers(const DecodedFiles& files, const std::vector<DrawnGate>& gates,
                    LevelText& level, Findings& findings) {
  TriggerTree tree(files);
  if (tree.triggers().empty()) return;
  // The main chain: the triggers of the text, then the first automatic gate's triggers, one a
  // keeper (each gate's chain ends at the last keeper's trigger).
  std::vector<const Element*> chain;
  for (const Element* t = tree.trigger(tree.triggers().front().id); t != nullptr;
       t = tree.trigger(t->next)) {
    chain.push_back(t);
  }
  const bool automatic = std::any_of(gates.begin(), gates.end(), [](const DrawnGate& g) {
    return g.terrain == kHeroGate3Code || g.terrain == kHeroGate4Code ||
           g.terrain == kHeroGate5Code || g.terrain == kHeroGate6Code;
  });
  const std::size_t added = automatic ? static_cast<std::size_t>(level.players) : 0;
  const std::size_t written = chain.size() > added ? chain.size() - added : 0;
  TriggerDecoder decoder(tree, level, findings);
  for (std::size_t i = 0; i < written; ++i) decoder.decode(*chain[i]);
}

}  // namespace ts::decompile
