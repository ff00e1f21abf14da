// The triggers file: file size (210), information (211: trigger count, action count, version,
// stamps), and the body (212): one trigger element (213) per trigger node, then one action
// element (214) per action node, each 16 bytes. Trigger nodes are numbered up from 1 and action
// nodes down from 65535, in the order they are created.
#include <algorithm>
#include <cassert>
#include <utility>
#include <vector>

#include "writers/chunk.h"
#include "writers/layouts.h"
#include "writers/writers.h"

namespace ts {

namespace {

constexpr StampTable kTriggersStamps = {{
    {0xCF, 0x07, 0x04, 0x06, 0x5C, 0x4C, 0x0D, 0x16, 0x2E, 0x6C,
     0xCF, 0x07, 0x04, 0x06, 0x69, 0x67, 0x0D, 0x16, 0x2E, 0x73},
    {0xCF, 0x07, 0x06, 0x06, 0x5C, 0x42, 0x0C, 0x35, 0x2E, 0x6C,
     0xCF, 0x07, 0x06, 0x06, 0x6B, 0x54, 0x0C, 0x35, 0x2E, 0x67},
    {0xCF, 0x07, 0x08, 0x06, 0x5C, 0x4F, 0x0F, 0x05, 0x08, 0x61,
     0xCF, 0x07, 0x08, 0x06, 0x54, 0x72, 0x0F, 0x05, 0x08, 0x65},
    {0xCF, 0x07, 0x0E, 0x07, 0x5C, 0x4F, 0x0D, 0x0F, 0x05, 0x70,
     0xCF, 0x07, 0x0E, 0x07, 0x69, 0x67, 0x0D, 0x0F, 0x05, 0x73},
}};

constexpr std::size_t kElementSize = layout::kTriggerElementSize;
using layout::kTriggersInfoSize;
constexpr std::uint16_t kFirstTriggerId = 1;
constexpr std::uint16_t kFirstActionId = 65535;
constexpr int kNone = -1;

// Starts an element chunk: its header, then room for the element that the returned writer
// fills.
RecordWriter beginElement(Bytes& out, std::uint32_t id) {
  RecordWriter element(out, kChunkHeaderSize + kElementSize);
  element.u32(id);
  element.u32(static_cast<std::uint32_t>(kElementSize));
  return element;
}

struct TriggerNode {
  std::int32_t kind = 0;
  std::int32_t param1 = 1;
  std::int32_t param2 = 5;
  std::int32_t param3 = 0;
  std::int32_t param4 = 0;
  std::int32_t param5 = 0;
  std::int32_t value = 0;
  bool fromSection = false;
  int next = kNone;
  int child = kNone;
  // The node's actions are one chain: `actionCount` action nodes from `firstAction`.
  std::size_t firstAction = 0;
  std::size_t actionCount = 0;
};

// The tree of one level's triggers; nodes refer to each other by index.
class TriggerTree {
 public:
  explicit TriggerTree(LevelDescription& level);
  // Action nodes may point into the tree's own gate actions, which a copy would not own.
  TriggerTree(const TriggerTree&) = delete;
  TriggerTree& operator=(const TriggerTree&) = delete;

  [[nodiscard]] std::size_t triggerCount() const { return triggers_.size(); }
  [[nodiscard]] std::size_t actionCount() const { return actions_.size(); }
  void putTriggerElements(FileOutput& file, std::int32_t lastKeeper) const;
  void putActionElements(FileOutput& file) const;

 private:
  int addTrigger(const TriggerNode& node);
  // Hangs `count` actions from `first` below `owner` as one chain; they must outlive the tree.
  void addActions(int owner, const TriggerAction* first, std::size_t count);
  // Trigger nodes are numbered up from kFirstTriggerId and action nodes down from
  // kFirstActionId, in the order they are created.
  [[nodiscard]] static std::uint16_t triggerId(int index) {
    return static_cast<std::uint16_t>(kFirstTriggerId + index);
  }
  [[nodiscard]] static std::uint16_t actionId(std::size_t index) {
    return static_cast<std::uint16_t>(kFirstActionId - index);
  }

  std::vector<TriggerNode> triggers_;
  std::vector<const TriggerAction*> actions_;  // the action nodes, in creation order
  std::vector<TriggerAction> gateActions_;     // the actions of automatic gate triggers
  int head_ = kNone;
};

int TriggerTree::addTrigger(const TriggerNode& node) {
  triggers_.push_back(node);
  return static_cast<int>(triggers_.size()) - 1;
}

void TriggerTree::addActions(int owner, const TriggerAction* first, std::size_t count) {
  if (count == 0) return;
  TriggerNode& node = triggers_[static_cast<std::size_t>(owner)];
  node.firstAction = actions_.size();
  node.actionCount = count;
  for (std::size_t i = 0; i < count; ++i) actions_.push_back(first + i);
}

TriggerTree::TriggerTree(LevelDescription& level) {
  const TriggerFileCounts counts = countTriggerElements(level);
  triggers_.reserve(counts.triggers);
  actions_.reserve(counts.actions);
  // Reserved in full, so that the action nodes' pointers into it stay good.
  std::size_t autoGates = 0;
  for (const HeroGate& g : level.heroGates) autoGates += g.autoTrigger ? 1 : 0;
  gateActions_.reserve(2 * autoGates * static_cast<std::size_t>(std::max(level.playerCount, 0)));

  // The main list: one node per trigger of the map text, in order. A control-area trigger
  // is attached to its entrance area and counts the area's squares.
  int lastMain = kNone;
  for (const Trigger& t : level.triggers) {
    TriggerNode node{t.kind, t.param1, t.param2, t.param3, t.param4, t.param5, t.value, true};
    const int index = addTrigger(node);
    TriggerNode& added = triggers_[static_cast<std::size_t>(index)];
    if (t.kind == kTriggerControlArea && t.value >= 0 &&
        static_cast<std::size_t>(t.value) < level.areas.size()) {
      EntranceArea& area = level.areas[static_cast<std::size_t>(t.value)];
      area.triggerId = triggerId(index) % 256;
      area.triggerAux = triggerId(index) / 256;
      // Coordinates are as written, so the count wraps to 32 bits like the field it goes to.
      const auto width = static_cast<std::uint64_t>(std::int64_t{area.right} - area.left + 1);
      const auto height = static_cast<std::uint64_t>(std::int64_t{area.bottom} - area.top + 1);
      added.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(width * height));
    }
    if (lastMain == kNone) {
      head_ = index;
    } else {
      triggers_[static_cast<std::size_t>(lastMain)].next = index;
    }
    lastMain = index;
  }

  // Gate releases below each trigger, chained through `child`; the trigger's actions hang
  // from the last of them.
  for (std::size_t i = 0; i < level.triggers.size(); ++i) {
    const Trigger& t = level.triggers[i];
    int attach = static_cast<int>(i);
    if (t.releasesAtGate) {
      for (const auto& entry : t.releaseGates) {
        TriggerNode release{kTriggerGateRelease, 1, 3, entry.first, 1, 0, 0, false};
        const int index = addTrigger(release);
        triggers_[static_cast<std::size_t>(attach)].child = index;
        attach = index;
      }
    }
    addActions(attach, t.actions.data(), t.actions.size());
  }

  // Gates that open by themselves get one control-area trigger per keeper, each destroying the
  // gate; the gate remembers the first keeper's trigger.
  int lastGate = kNone;
  int gateHead = kNone;
  for (std::size_t j = 0; j < level.heroGates.size(); ++j) {
    HeroGate& gate = level.heroGates[j];
    if (!gate.autoTrigger) continue;
    for (std::int32_t p = kFirstKeeperPlayer; p < level.playerCount + kFirstKeeperPlayer; ++p) {
      TriggerNode node{kTriggerControlArea, 1, 5, p, 0, 0, gate.autoTriggerValue, false};
      const int index = addTrigger(node);
      const std::uint16_t id = triggerId(index);
      if (p == kFirstKeeperPlayer) {
        gate.triggerId = id % 256;
        gate.triggerAux = id / 256;
      }
      const std::size_t first = gateActions_.size();
      gateActions_.push_back({kActionGateLocation, 0, 0, 0, 0, packGateCorner(gate.extent)});
      gateActions_.push_back({kActionDestroyGate, static_cast<std::int32_t>(j), 10, 0, 0, 1});
      addActions(index, gateActions_.data() + first, 2);
      if (lastGate == kNone) {
        gateHead = index;
      } else {
        triggers_[static_cast<std::size_t>(lastGate)].next = index;
      }
      lastGate = index;
    }
  }
  // The gate list follows the last trigger of the main list.
  if (head_ == kNone) {
    head_ = gateHead;
  } else {
    triggers_[static_cast<std::size_t>(lastMain)].next = gateHead;
  }
}

void TriggerTree::putTriggerElements(FileOutput& file, std::int32_t lastKeeper) const {
  Bytes& out = file.bytes();
  // Depth first: a node, everything below it, then everything after it.
  std::vector<int> stack;
  if (head_ != kNone) stack.push_back(head_);
  while (!stack.empty()) {
    const int index = stack.back();
    const TriggerNode& n = triggers_[static_cast<std::size_t>(index)];
    stack.pop_back();
    // Each gate's automatic triggers form one chain in the file, ending at the last keeper's.
    const bool cut = n.kind == kTriggerControlArea && !n.fromSection && n.param3 == lastKeeper;
    std::uint16_t nextId = 0;
    if (n.next != kNone && !cut) nextId = triggerId(n.next);
    std::uint16_t childId = 0;
    if (n.child != kNone) {
      childId = triggerId(n.child);
    } else if (n.actionCount > 0) {
      childId = actionId(n.firstAction);
    }
    RecordWriter r = beginElement(out, chunk::kTriggerElement);
    r.low8(n.param2);
    r.low8(n.param3);
    r.low8(n.param4);
    r.low8(n.param5);
    r.i32(n.value);
    r.u16(triggerId(index));
    r.u16(nextId);
    r.u16(childId);
    r.low8(n.kind);
    r.low8(n.param1);
    assert(r.complete());
    file.checkpoint();
    if (n.next != kNone) stack.push_back(n.next);
    if (n.child != kNone) stack.push_back(n.child);
  }
}

void TriggerTree::putActionElements(FileOutput& file) const {
  Bytes& out = file.bytes();
  // Depth first again, but the actions of the nodes below a node come before its own.
  struct Visit {
    int node;
    bool childrenDone;
  };
  std::vector<Visit> stack;
  if (head_ != kNone) stack.push_back({head_, false});
  while (!stack.empty()) {
    const Visit visit = stack.back();
    stack.pop_back();
    const TriggerNode& n = triggers_[static_cast<std::size_t>(visit.node)];
    if (!visit.childrenDone) {
      stack.push_back({visit.node, true});
      if (n.child != kNone) stack.push_back({n.child, false});
      continue;
    }
    const std::size_t end = n.firstAction + n.actionCount;
    for (std::size_t a = n.firstAction; a < end; ++a) {
      const TriggerAction& action = *actions_[a];
      RecordWriter r = beginElement(out, chunk::kActionElement);
      r.low8(action.arg1);
      r.low8(action.arg2);
      r.low8(action.arg3);
      r.low8(action.arg4);
      r.i32(action.arg5);
      r.u16(actionId(a));
      r.u16(a + 1 < end ? actionId(a + 1) : 0);
      r.u8(0);
      r.u8(0);
      r.low8(action.actionType);
      r.u8(1);
      assert(r.complete());
      file.checkpoint();
    }
    if (n.next != kNone) stack.push_back({n.next, false});
  }
}

}  // namespace

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

void writeTriggersFile(LevelDescription& level, FileOutput& file) {
  const TriggerTree tree(level);
  const std::size_t elements = tree.triggerCount() + tree.actionCount();
  const std::size_t bodySize = (kChunkHeaderSize + kElementSize) * elements;
  const std::size_t length =
      kFileSizeChunkSize + kChunkHeaderSize + kTriggersInfoSize + kChunkHeaderSize + bodySize;
  file.expect(length);
  Bytes& out = file.bytes();
  putFileSizeChunk(out, chunk::kTriggersFile, length);
  putChunkHeader(out, chunk::kTriggersFile + chunk::kInfoOffset, kTriggersInfoSize);
  putU32(out, static_cast<std::uint32_t>(tree.triggerCount()));
  putU32(out, static_cast<std::uint32_t>(tree.actionCount()));
  putU32(out, 1);
  putBytes(out, stampRowFor(kTriggersStamps, level.playerCount));
  putChunkHeader(out, chunk::kTriggersFile + chunk::kBodyOffset, bodySize);
  tree.putTriggerElements(file, level.playerCount + kFirstKeeperPlayer - 1);
  tree.putActionElements(file);
  assert(file.size() == length);
}

Bytes writeTriggersFile(LevelDescription& level) {
  FileOutput file;
  writeTriggersFile(level, file);
  return std::move(file.bytes());
}

}  // namespace ts
