#include "model/trigger_plan.h"

#include <algorithm>

namespace ts {

TriggerFileCounts countTriggerElements(const LevelDescription& level) {
  TriggerFileCounts counts;
  for (const Trigger& t : level.triggers) {
    counts.triggers += 1 + (t.releasesAtGate ? t.releaseGates.size() : 0);
    counts.actions += t.actions.size();
  }
  const auto keepers = static_cast<std::size_t>(std::max(level.playerCount, 0));
  for (const HeroGate& g : level.heroGates) {
    if (!g.autoTrigger) continue;
    counts.triggers += keepers;
    counts.actions += 2 * keepers;
  }
  return counts;
}

int TriggerPlan::addTrigger(const TriggerNode& node) {
  triggers_.push_back(node);
  return static_cast<int>(triggers_.size()) - 1;
}

void TriggerPlan::addActions(int owner, const TriggerAction* first, std::size_t count) {
  if (count == 0) return;
  TriggerNode& node = triggers_[static_cast<std::size_t>(owner)];
  node.firstAction = actions_.size();
  node.actionCount = count;
  for (std::size_t i = 0; i < count; ++i) actions_.push_back(first + i);
}

TriggerPlan::TriggerPlan(const LevelDescription& level)
    : counts_(countTriggerElements(level)),
      areaTriggers_(level.areas.size(), 0),
      gateTriggers_(level.heroGates.size(), 0) {
  if (!fits()) return;
  triggers_.reserve(counts_.triggers);
  actions_.reserve(counts_.actions);
  planSectionTriggers(level);
  planGateReleases(level);
  planAutomaticGates(level);
}

// The main list: one node per trigger of the map text, in order. A control-area trigger is
// attached to its entrance area (the last one watching an area names it) and counts the
// area's squares.
void TriggerPlan::planSectionTriggers(const LevelDescription& level) {
  for (const Trigger& t : level.triggers) {
    TriggerNode node{static_cast<const TriggerCondition&>(t), true};
    if (t.kind == kTriggerControlArea && t.value >= 0 &&
        static_cast<std::size_t>(t.value) < level.areas.size()) {
      const EntranceArea& area = level.areas[static_cast<std::size_t>(t.value)];
      areaTriggers_[static_cast<std::size_t>(t.value)] =
          triggerId(static_cast<int>(triggers_.size()));
      // Coordinates are as written, so the count wraps to 32 bits like the field it goes to.
      const auto width = static_cast<std::uint64_t>(std::int64_t{area.right} - area.left + 1);
      const auto height = static_cast<std::uint64_t>(std::int64_t{area.bottom} - area.top + 1);
      node.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(width * height));
    }
    const int index = addTrigger(node);
    if (lastMain_ == TriggerNode::kNone) {
      head_ = index;
    } else {
      triggers_[static_cast<std::size_t>(lastMain_)].next = index;
    }
    lastMain_ = index;
  }
}

// Gate releases below each trigger, chained through `child`; the trigger's actions hang from
// the last of them.
void TriggerPlan::planGateReleases(const LevelDescription& level) {
  for (std::size_t i = 0; i < level.triggers.size(); ++i) {
    const Trigger& t = level.triggers[i];
    int attach = static_cast<int>(i);
    if (t.releasesAtGate) {
      for (const std::int32_t gate : t.releaseGates) {
        const TriggerNode release{TriggerCondition{kTriggerGateRelease, 1, 3, gate, 1, 0, 0},
                                  false};
        const int index = addTrigger(release);
        triggers_[static_cast<std::size_t>(attach)].child = index;
        attach = index;
      }
    }
    addActions(attach, t.actions.data(), t.actions.size());
  }
}

// Gates that open by themselves get one control-area trigger per keeper, each destroying the
// gate; the gate names the first keeper's trigger. Their list follows the main list.
void TriggerPlan::planAutomaticGates(const LevelDescription& level) {
  std::size_t autoGates = 0;
  for (const HeroGate& g : level.heroGates) autoGates += g.autoTrigger ? 1 : 0;
  // Reserved in full, so that the action nodes' pointers into it stay good.
  gateActions_.reserve(2 * autoGates * static_cast<std::size_t>(std::max(level.playerCount, 0)));
  int lastGate = TriggerNode::kNone;
  int gateHead = TriggerNode::kNone;
  for (std::size_t j = 0; j < level.heroGates.size(); ++j) {
    const HeroGate& gate = level.heroGates[j];
    if (!gate.autoTrigger) continue;
    for (std::int32_t p = kFirstKeeperPlayer; p < level.playerCount + kFirstKeeperPlayer; ++p) {
      const TriggerNode node{
          TriggerCondition{kTriggerControlArea, 1, 5, p, 0, 0, gate.autoTriggerValue}, false};
      const int index = addTrigger(node);
      if (p == kFirstKeeperPlayer) gateTriggers_[j] = triggerId(index);
      const std::size_t first = gateActions_.size();
      gateActions_.push_back({kActionGateLocation, 0, 0, 0, 0, packGateCorner(gate.extent)});
      gateActions_.push_back({kActionDestroyGate, static_cast<std::int32_t>(j), 10, 0, 0, 1});
      addActions(index, gateActions_.data() + first, 2);
      if (lastGate == TriggerNode::kNone) {
        gateHead = index;
      } else {
        triggers_[static_cast<std::size_t>(lastGate)].next = index;
      }
      lastGate = index;
    }
  }
  if (head_ == TriggerNode::kNone) {
    head_ = gateHead;
  } else {
    triggers_[static_cast<std::size_t>(lastMain_)].next = gateHead;
  }
}

}  // namespace ts
