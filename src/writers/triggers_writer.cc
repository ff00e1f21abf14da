// The triggers file: file size (210), information (211: trigger count, action count, version,
// stamps), and the body (212): one trigger element (213) per trigger node, then one action
// element (214) per action node, each 16 bytes. Trigger nodes are numbered up from 1 and action
// nodes down from 65535, in the order they are created.
#include <algorithm>
#include <cassert>
#include <utility>
#include <vector>

#include "format/layouts.h"
#include "writers/chunk.h"
#include "writers/stamps.h"
#include "writers/writers.h"

namespace ts {

namespace {

constexpr std::size_t kElementSize = layout::kTriggerElementSize;
constexpr int kNone = TriggerNode::kNone;

void putTriggerElements(const TriggerPlan& plan, FileOutput& file, std::int32_t lastKeeper) {
  const std::vector<TriggerNode>& triggers = plan.triggers();
  Bytes& out = file.bytes();
  // Depth first: a node, everything below it, then everything after it.
  std::vector<int> stack;
  if (plan.head() != kNone) stack.push_back(plan.head());
  while (!stack.empty()) {
    const int index = stack.back();
    const TriggerNode& n = triggers[static_cast<std::size_t>(index)];
    stack.pop_back();
    // Each gate's automatic triggers form one chain in the file, ending at the last keeper's.
    const bool cut = n.kind == kTriggerControlArea && !n.fromSection && n.param3 == lastKeeper;
    std::uint16_t nextId = 0;
    if (n.next != kNone && !cut) nextId = TriggerPlan::triggerId(n.next);
    std::uint16_t childId = 0;
    if (n.child != kNone) {
      childId = TriggerPlan::triggerId(n.child);
    } else if (n.actionCount > 0) {
      childId = TriggerPlan::actionId(n.firstAction);
    }
    FieldWriter r = beginElement(out, chunk::kTriggerElement, kElementSize);
    r.at(layout::kTriggerParam2).low8(n.param2);
    r.at(layout::kTriggerParam3).low8(n.param3);
    r.at(layout::kTriggerParam4).low8(n.param4);
    r.at(layout::kTriggerParam5).low8(n.param5);
    r.at(layout::kTriggerValue).i32(n.value);
    r.at(layout::kTriggerId).u16(TriggerPlan::triggerId(index));
    r.at(layout::kTriggerNext).u16(nextId);
    r.at(layout::kTriggerChild).u16(childId);
    r.at(layout::kTriggerKind).low8(n.kind);
    r.at(layout::kTriggerParam1).low8(n.param1);
    assert(r.complete());
    file.checkpoint();
    if (n.next != kNone) stack.push_back(n.next);
    if (n.child != kNone) stack.push_back(n.child);
  }
}

void putActionElements(const TriggerPlan& plan, FileOutput& file) {
  const std::vector<TriggerNode>& triggers = plan.triggers();
  Bytes& out = file.bytes();
  // Depth first again, but the actions of the nodes below a node come before its own.
  struct Visit {
    int node;
    bool childrenDone;
  };
  std::vector<Visit> stack;
  if (plan.head() != kNone) stack.push_back({plan.head(), false});
  while (!stack.empty()) {
    const Visit visit = stack.back();
    stack.pop_back();
    const TriggerNode& n = triggers[static_cast<std::size_t>(visit.node)];
    if (!visit.childrenDone) {
      stack.push_back({visit.node, true});
      if (n.child != kNone) stack.push_back({n.child, false});
      continue;
    }
    const std::size_t end = n.firstAction + n.actionCount;
    for (std::size_t a = n.firstAction; a < end; ++a) {
      const TriggerAction& action = *plan.actions()[a];
      FieldWriter r = beginElement(out, chunk::kActionElement, kElementSize);
      r.at(layout::kActionArg1).low8(action.arg1);
      r.low8(action.arg2);
      r.low8(action.arg3);
      r.low8(action.arg4);
      r.at(layout::kActionArg5).i32(action.arg5);
      r.at(layout::kActionId).u16(TriggerPlan::actionId(a));
      r.at(layout::kActionNext).u16(a + 1 < end ? TriggerPlan::actionId(a + 1) : 0);
      r.u8(0);
      r.u8(0);
      r.at(layout::kActionType).low8(action.actionType);
      r.u8(1);
      assert(r.complete());
      file.checkpoint();
    }
    if (n.next != kNone) stack.push_back({n.next, false});
  }
}

}  // namespace

void buildTriggersFile(const LevelDescription& level, const TriggerPlan& plan, FileOutput& file) {
  assert(plan.fits());
  const std::size_t elements = plan.counts().total();
  const std::size_t bodySize = (kChunkHeaderSize + kElementSize) * elements;
  const std::size_t length = layout::kFirstTriggerElement + bodySize;
  file.expect(length);
  putFrame(file.bytes(), chunk::kTriggersFile, {plan.counts().triggers, plan.counts().actions},
           stampRowFor(kTriggersStamps, level.playerCount), bodySize);
  assert(file.size() == layout::kFirstTriggerElement);
  putTriggerElements(plan, file, level.playerCount + kFirstKeeperPlayer - 1);
  putActionElements(plan, file);
  assert(file.size() == length);
}

Bytes buildTriggersFile(const LevelDescription& level) {
  return wholeFile([&](FileOutput& file) { buildTriggersFile(level, TriggerPlan(level), file); });
}

}  // namespace ts
