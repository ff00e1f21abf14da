// The trigger plan of a level: every trigger and action element the triggers file will hold,
// linked into one tree, with the 16-bit identifiers the game knows them by, and the identifiers
// that entrance areas and hero gates carry into the things file. It is computed once after
// reading; the writers only read it, so the level itself never changes after reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/level_description.h"

namespace ts {

// Identifiers are 16 bits, counted up from 1 for triggers and down from 65535 for actions, so
// at most this many elements fit one triggers file.
inline constexpr std::size_t kMaxTriggerElements = 65535;

// Trigger and action elements a level needs.
struct TriggerFileCounts {
  std::size_t triggers = 0;
  std::size_t actions = 0;

  [[nodiscard]] std::size_t total() const { return triggers + actions; }
};
[[nodiscard]] TriggerFileCounts countTriggerElements(const LevelDescription& level);

// One trigger element of the tree; nodes refer to each other by index.
struct TriggerNode : TriggerCondition {
  static constexpr int kNone = -1;

  bool fromSection = false;  // a trigger of the TRIGGERS section, not one the compiler added
  int next = kNone;
  int child = kNone;
  // The node's actions are one chain: `actionCount` action nodes from `firstAction`.
  std::size_t firstAction = 0;
  std::size_t actionCount = 0;
};

class TriggerPlan {
 public:
  // REQUIRES: `level` outlives the plan (action nodes point into its triggers).
  explicit TriggerPlan(const LevelDescription& level);
  // Action nodes may point into the plan's own gate actions, which a copy would not own.
  TriggerPlan(const TriggerPlan&) = delete;
  TriggerPlan& operator=(const TriggerPlan&) = delete;

  [[nodiscard]] const TriggerFileCounts& counts() const { return counts_; }
  // Whether every element has an identifier of its own. Without that the tree is not built.
  [[nodiscard]] bool fits() const { return counts_.total() <= kMaxTriggerElements; }

  [[nodiscard]] const std::vector<TriggerNode>& triggers() const { return triggers_; }
  [[nodiscard]] const std::vector<const TriggerAction*>& actions() const { return actions_; }
  [[nodiscard]] int head() const { return head_; }  // TriggerNode::kNone: no trigger at all

  // The identifier of the trigger that watches entrance area `area` (0-based), or of the first
  // automatic trigger of hero gate `gate`; 0 for none.
  [[nodiscard]] std::uint16_t areaTrigger(std::size_t area) const { return areaTriggers_[area]; }
  [[nodiscard]] std::uint16_t gateTrigger(std::size_t gate) const { return gateTriggers_[gate]; }

  [[nodiscard]] static std::uint16_t triggerId(int index) {
    return static_cast<std::uint16_t>(kFirstTriggerId + index);
  }
  [[nodiscard]] static std::uint16_t actionId(std::size_t index) {
    return static_cast<std::uint16_t>(kFirstActionId - index);
  }

 private:
  static constexpr std::uint16_t kFirstTriggerId = 1;
  static constexpr std::uint16_t kFirstActionId = 65535;

  int addTrigger(const TriggerNode& node);
  // Hangs `count` actions from `first` below `owner` as one chain.
  void addActions(int owner, const TriggerAction* first, std::size_t count);
  void planSectionTriggers(const LevelDescription& level);
  void planGateReleases(const LevelDescription& level);
  void planAutomaticGates(const LevelDescription& level);

  TriggerFileCounts counts_;
  std::vector<TriggerNode> triggers_;
  std::vector<const TriggerAction*> actions_;  // the action nodes, in creation order
  std::vector<TriggerAction> gateActions_;     // the actions of automatic gate triggers
  std::vector<std::uint16_t> areaTriggers_;
  std::vector<std::uint16_t> gateTriggers_;
  int head_ = TriggerNode::kNone;
  int lastMain_ = TriggerNode::kNone;  // the last trigger of the TRIGGERS section
};

}  // namespace ts
