// The triggers file: trigger elements and action elements of 16 bytes each, linked by 16-bit
// identifiers into a tree (next links run along a chain, child links go one level down, to
// gate-release nodes or to a trigger's first action). Besides decoding, this resolves every
// link, reports links to nowhere, loops and actions hanging from no trigger, and draws the
// tree in the order the compiler writes it.
#include <array>
#include <unordered_map>

#include "decoding/decoder.h"
#include "decoding/names.h"
#include "format/chunks.h"
#include "format/layouts.h"
#include "model/records.h"

namespace ts::inspect {

namespace {

// Two bytes after the next link and one after the type, all constants.
constexpr Slot kActionSlots[] = {{12, 1, {}}, {13, 1, {}}, {15, 1, {}}};

// Said once: the numbers a designer reads here are those of the map text.
constexpr std::string_view kTriggerNumbering =
    "a trigger's number is its identifier: the TRIGGERS section's triggers are 1, 2, 3 ... in "
    "the section's order, the compiler's own (gate releases, the triggers of gates that open by "
    "themselves) follow them; an action is numbered by its place among its trigger's actions";

Field link(Decoder& d, std::string_view name, std::size_t at) {
  Field f = d.u(name, at, 2);
  if (f.value == 0) f.text = "none";
  return f;
}

// A field naming a 0-based index by its place in its section, counted from 1 ("hero gate 2").
Field counted(Field f, std::string_view what) {
  f.text = std::string(what) + " " + std::to_string(f.value + 1);
  return f;
}

void decodeTrigger(Decoder& d, std::size_t at) {
  Record& r = d.addRecord("trigger", at, layout::kTriggerElementSize);
  r.note = kTriggerNumbering;
  const std::uint8_t kind = d.u8(at + layout::kTriggerKind);
  r.fields.push_back(d.u("id", at + layout::kTriggerId, 2));
  r.fields.push_back(
      d.named("kind", kind, triggerKindName(kind), at + layout::kTriggerKind, 1, "trigger kind"));
  Field value = d.s32("value", at + layout::kTriggerValue);
  value.minor = kind == kTriggerGateRelease;  // always 0
  r.fields.push_back(value);
  const std::size_t param3At = at + layout::kTriggerParam3;
  if (kind == kTriggerControlArea) {
    r.fields.push_back(d.player("player", param3At, 1));
  } else if (kind == kTriggerGateRelease) {
    r.fields.push_back(counted(d.u("gate", param3At, 1), "hero gate"));
  } else {
    r.fields.push_back(Decoder::minor(d.u("param3", param3At, 1)));
  }
  r.fields.push_back(link(d, "next", at + layout::kTriggerNext));
  r.fields.push_back(link(d, "child", at + layout::kTriggerChild));
  r.fields.push_back(Decoder::minor(d.u("param1", at + layout::kTriggerParam1, 1)));
  r.fields.push_back(Decoder::minor(d.u("param2", at + layout::kTriggerParam2, 1)));
  r.fields.push_back(Decoder::minor(d.u("param4", at + layout::kTriggerParam4, 1)));
  r.fields.push_back(Decoder::minor(d.u("param5", at + layout::kTriggerParam5, 1)));
}

// The five arguments of an action element as the fields its type makes of them. Arguments 1 to 4
// are single bytes, argument 5 a 32-bit value; one that no field takes is listed after the rest
// as a minor field of its own.
class ActionFields {
 public:
  ActionFields(Decoder& d, Record& r, std::size_t at) : d_(d), r_(r), args_(arguments(d, at)) {}

  [[nodiscard]] Decoder& decoder() const { return d_; }
  [[nodiscard]] const Field& arg(std::size_t i) const { return args_[i]; }
  // Argument i under the name of what it means.
  [[nodiscard]] Field arg(std::size_t i, std::string_view name) const {
    Field f = args_[i];
    f.name = name;
    return f;
  }
  // Adds `f`, the field made of argument i.
  void use(std::size_t i, Field f) {
    used_[i] = true;
    r_.fields.push_back(std::move(f));
  }
  // Arguments i and i + 1: an item's category, then the item.
  void item(std::size_t i) {
    const Field& category = args_[i];
    use(i, d_.named("category", category.value, actionCategoryName(category.value), category.offset,
                    1, "item category"));
    const Field& id = args_[i + 1];
    use(i + 1,
        d_.named("item", id.value, actionItemName(category.value, id.value), id.offset, 1, "item"));
  }
  // The link to the next action, then the arguments no field took.
  void finish(std::size_t nextAt) {
    r_.fields.push_back(link(d_, "next", nextAt));
    for (std::size_t i = 0; i < args_.size(); ++i) {
      if (!used_[i]) r_.fields.push_back(Decoder::minor(args_[i]));
    }
  }

 private:
  static std::array<Field, 5> arguments(const Decoder& d, std::size_t at) {
    const std::size_t first = at + layout::kActionArg1;
    return {d.u("arg1", first, 1), d.u("arg2", first + 1, 1), d.u("arg3", first + 2, 1),
            d.u("arg4", first + 3, 1), d.s32("arg5", at + layout::kActionArg5)};
  }

  Decoder& d_;
  Record& r_;
  std::array<Field, 5> args_;
  std::array<bool, 5> used_{};
};

void heroReleaseFields(ActionFields& a) {
  a.use(0, counted(a.arg(0, "band"), "hero band"));
  a.use(4, a.arg(4, "location"));
}

void grantFields(ActionFields& a) {
  a.use(0, a.decoder().player("player", a.arg(0).offset, 1));
  a.item(1);
}

void makeAvailableFields(ActionFields& a) { a.item(0); }

// The fifth argument holds the gate's corner, x in its low half.
void gateLocationFields(ActionFields& a) {
  a.use(4, a.decoder().u("x", a.arg(4).offset, 2));
  a.use(4, a.decoder().u("y", a.arg(4).offset + 2, 2));
}

void destroyGateFields(ActionFields& a) { a.use(0, counted(a.arg(0, "gate"), "hero gate")); }

void decodeAction(Decoder& d, std::size_t at) {
  Record& r = d.addRecord("action", at, layout::kTriggerElementSize);
  r.note = kTriggerNumbering;
  r.undecoded = kActionSlots;
  const std::uint8_t type = d.u8(at + layout::kActionType);
  r.fields.push_back(d.u("id", at + layout::kActionId, 2));
  r.fields.push_back(
      d.named("action", type, actionTypeName(type), at + layout::kActionType, 1, "action type"));
  ActionFields fields(d, r, at);
  switch (type) {
    case kActionHeroRelease:
      heroReleaseFields(fields);
      break;
    case kActionGrant:
      grantFields(fields);
      break;
    case kActionMakeAvailable:
      makeAvailableFields(fields);
      break;
    case kActionGateLocation:
      gateLocationFields(fields);
      break;
    case kActionDestroyGate:
      destroyGateFields(fields);
      break;
    default:
      break;
  }
  fields.finish(at + layout::kActionNext);
}

constexpr std::array<ElementKind, 2> kTriggerElements = {{
    {chunk::kTriggerElement, layout::kTriggerElementSize, decodeTrigger},
    {chunk::kActionElement, layout::kTriggerElementSize, decodeAction},
}};

struct Node {
  std::size_t record = 0;
  bool action = false;
  const Field* next = nullptr;
  const Field* child = nullptr;  // triggers only
};

struct Target {
  bool action = false;
  std::size_t node = 0;
};

class TreeBuilder {
 public:
  explicit TreeBuilder(Decoder& d) : d_(d), in_(d.out()) {}
  void build();

 private:
  void index();
  // The element a link names, checked against the kinds it may name.
  bool resolve(const Field* link, bool triggers, bool actions, Target& target);
  void walkFrom(std::size_t root);
  // Numbers the elements as a designer does, once the tree is drawn.
  void number();

  Decoder& d_;
  Inspection& in_;
  std::vector<Node> triggers_;
  std::vector<Node> actions_;
  std::unordered_map<std::int64_t, std::size_t> triggerById_;
  std::unordered_map<std::int64_t, std::size_t> actionById_;
  std::vector<bool> triggerSeen_;
  std::vector<bool> actionSeen_;
};

void TreeBuilder::index() {
  for (std::size_t i = 0; i < in_.records.size(); ++i) {
    const Record& r = in_.records[i];
    if (r.kind != "trigger" && r.kind != "action") continue;
    const bool action = r.kind == "action";
    const Field* id = r.find("id");
    Node node{i, action, r.find("next"), action ? nullptr : r.find("child")};
    auto& byId = action ? actionById_ : triggerById_;
    auto& nodes = action ? actions_ : triggers_;
    if (id->value == 0) {
      d_.problem(id->offset, "element identifier 0, which marks a missing link");
    } else if (triggerById_.count(id->value) != 0 || actionById_.count(id->value) != 0) {
      d_.problem(id->offset, "identifier " + std::to_string(id->value) +
                                 " is already used by an earlier element");
    } else {
      byId.emplace(id->value, nodes.size());
    }
    nodes.push_back(node);
  }
}

bool TreeBuilder::resolve(const Field* link, bool triggers, bool actions, Target& target) {
  if (link == nullptr || link->value == 0) return false;
  if (triggers) {
    if (auto it = triggerById_.find(link->value); it != triggerById_.end()) {
      target = {false, it->second};
      return true;
    }
  }
  if (actions) {
    if (auto it = actionById_.find(link->value); it != actionById_.end()) {
      target = {true, it->second};
      return true;
    }
  }
  const char* what = triggers && actions ? "no element"
                     : triggers          ? "no trigger element"
                                         : "no action element";
  d_.problem(link->offset, "the " + std::string(link->name) + " link " +
                               std::to_string(link->value) + " names " + what);
  return false;
}

void TreeBuilder::walkFrom(std::size_t root) {
  struct Visit {
    Target target;
    std::size_t depth;
    const Field* via;  // the link that led here, null for a root
  };
  // Depth first: a node, everything below it, then everything after it.
  std::vector<Visit> stack{{{false, root}, 0, nullptr}};
  while (!stack.empty()) {
    const Visit v = stack.back();
    stack.pop_back();
    std::vector<bool>& seen = v.target.action ? actionSeen_ : triggerSeen_;
    const Node& node = (v.target.action ? actions_ : triggers_)[v.target.node];
    if (seen[v.target.node]) {
      d_.problem(v.via->offset, "the " + std::string(v.via->name) + " link " +
                                    std::to_string(v.via->value) +
                                    " leads back into the tree (a loop or a second parent)");
      continue;
    }
    seen[v.target.node] = true;
    in_.triggerTree.push_back(
        {node.record, v.depth, v.target.action, in_.records[node.record].find("id")->value});
    Target next;
    // Links were checked once in build(); resolving again reports nothing new.
    if (node.next != nullptr && node.next->value != 0) {
      auto& byId = v.target.action ? actionById_ : triggerById_;
      if (auto it = byId.find(node.next->value); it != byId.end()) {
        stack.push_back({{v.target.action, it->second}, v.depth, node.next});
      }
    }
    if (node.child != nullptr && node.child->value != 0) {
      if (auto it = triggerById_.find(node.child->value); it != triggerById_.end()) {
        next = {false, it->second};
      } else if (auto at = actionById_.find(node.child->value); at != actionById_.end()) {
        next = {true, at->second};
      } else {
        continue;
      }
      stack.push_back({next, v.depth + 1, node.child});
    }
  }
}

void TreeBuilder::build() {
  index();
  triggerSeen_.assign(triggers_.size(), false);
  actionSeen_.assign(actions_.size(), false);
  // Roots: triggers no link names. The first is the head of the tree; each hero gate's chain
  // of automatic triggers after the first gate's starts another.
  std::vector<bool> named(triggers_.size(), false);
  for (const Node& n : triggers_) {
    Target t;
    if (resolve(n.next, true, false, t)) named[t.node] = true;
    if (resolve(n.child, true, true, t) && !t.action) named[t.node] = true;
  }
  for (const Node& n : actions_) {
    Target t;
    (void)resolve(n.next, false, true, t);
  }
  for (std::size_t i = 0; i < triggers_.size(); ++i) {
    if (!named[i] && !triggerSeen_[i]) walkFrom(i);
  }
  // Triggers that only loops reach.
  for (std::size_t i = 0; i < triggers_.size(); ++i) {
    if (!triggerSeen_[i]) walkFrom(i);
  }
  for (std::size_t i = 0; i < actions_.size(); ++i) {
    if (actionSeen_[i]) continue;
    const Record& r = in_.records[actions_[i].record];
    d_.problem(r.offset,
               "action " + std::to_string(r.find("id")->value) + " hangs from no trigger");
    in_.triggerTree.push_back({actions_[i].record, 0, true, r.find("id")->value});
  }
  number();
}

void TreeBuilder::number() {
  // The trigger each depth of the tree belongs to: a gate release belongs to the trigger it
  // hangs from, whose actions hang from it.
  std::vector<std::size_t> ownerAt;
  std::unordered_map<std::size_t, std::size_t> actionsOf;
  for (const TreeLine& line : in_.triggerTree) {
    Record& r = in_.records[line.record];
    if (!line.action) {
      const Field* kind = r.find("kind");
      if (line.id > 0) r.number = static_cast<std::size_t>(line.id);
      const bool release = kind != nullptr && kind->value == kTriggerGateRelease;
      ownerAt.resize(line.depth + 1);
      ownerAt[line.depth] = release && line.depth > 0 ? ownerAt[line.depth - 1] : line.record;
      continue;
    }
    if (line.depth == 0 || ownerAt.size() < line.depth) continue;  // hangs from no trigger
    const Record& owner = in_.records[ownerAt[line.depth - 1]];
    r.number = ++actionsOf[ownerAt[line.depth - 1]];
    r.label = "trigger " + std::to_string(owner.number) + ", action " + std::to_string(r.number);
  }
}

}  // namespace

void decodeTriggers(Decoder& d) {
  d.holdRecords();
  Inspection& in = d.out();
  static constexpr std::string_view kCounts[] = {"triggers", "actions"};
  const Chunk* info = topChunk(in, 1);
  const std::vector<std::int64_t> counts = decodeInformation(d, info, kCounts);
  const std::int64_t triggers = counts[0];
  const std::int64_t actions = counts[1];
  const std::size_t countsAt = info != nullptr ? dataBegin(*info) : 0;
  walkElements(d, 2, kTriggerElements);
  if (const Chunk* body = topChunk(in, 2)) {
    std::size_t triggerChunks = 0;
    std::size_t actionChunks = 0;
    for (const Chunk& c : body->children) {
      triggerChunks += c.id == chunk::kTriggerElement ? c.repeat : 0;
      actionChunks += c.id == chunk::kActionElement ? c.repeat : 0;
    }
    checkCount(d, triggers, triggerChunks, countsAt, "trigger elements");
    checkCount(d, actions, actionChunks, countsAt + 4, "action elements");
  }
  TreeBuilder(d).build();
}

}  // namespace ts::inspect
