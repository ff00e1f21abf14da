// The map model on real outlines: every square's characters found from the square and back, in
// both grid formats; entities found by square and by offset; the triggers' releases and the
// diagnostics' squares.
import assert from "node:assert/strict";
import { test } from "node:test";

import { modelOf, source } from "./library";

test("squares and their characters in the text map to each other, in both grid formats", async () => {
  for (const example of ["examples/lair1.txt", "examples/quartet_gui.txt"]) {
    const text = source(example);
    const model = await modelOf(text);
    const rows = text.split("\n");
    const firstRow = rows.findIndex((line, i) => i >= 3 && line.trim() !== "");
    const size = model.outline.grid.twoCharacters ? 2 : 1;
    for (let y = 0; y < model.height; ++y) {
      for (let x = 0; x < model.width; ++x) {
        const span = model.squareSpan(x, y)!;
        assert.equal(model.slice(span), rows[firstRow + y]!.slice(x * size, (x + 1) * size), `${example} (${x}, ${y})`);
        assert.deepEqual(model.squareAtOffset(span.start), { x, y });
        assert.deepEqual(model.squareAtOffset(span.end - 1), { x, y });
      }
    }
    assert.equal(model.squareAtOffset(0), null, "the header is no square");
    assert.equal(model.squareSpan(model.width, 0), null);
  }
});

test("entities are found by square and by text offset, gates and areas by every square they cover", async () => {
  const text = source("examples/lair1.txt");
  const model = await modelOf(text);
  for (const entity of model.entities) {
    const span = model.entries.span(entity.entry);
    for (const offset of [span.start, span.end - 1]) assert.equal(model.entryAt(offset), entity.entry);
    assert.equal(model.entityOfEntry(entity.entry), entity);
    const { left, top, right, bottom } = entity.rect;
    for (let y = top; y <= bottom; ++y)
      for (let x = left; x <= right; ++x)
        assert.ok(model.entitiesAt(x, y).includes(entity), `${entity.name} at (${x}, ${y})`);
    assert.ok(!model.entitiesAt(right + 1, top).includes(entity));
  }
  const points = model.entities.filter((e) => e.kind !== "gate" && e.kind !== "area");
  for (let y = 0; y <= model.height; ++y) {
    assert.equal(model.countInRows(0, y), points.filter((e) => e.rect.top < y).length, `rows above ${y}`);
    assert.deepEqual([...model.pointsInRows(y, y + 1)].sort(), points.filter((e) => e.rect.top === y).sort());
  }
  const kinds = model.entities.map((e) => `${e.kind} ${e.name} ${e.owner}`).sort();
  assert.deepEqual(kinds, [
    "area A 1 1",
    "creature KNIGHT 1",
    "creature TROLL 3",
    "door WOODEN_DOOR 4",
    "gate G 1 1",
    "gate G 2 1",
    "heart KPR1_HEART_CENTER 3",
    "heart KPR2_HEART_CENTER 4",
    "object MI_REVEAL_MAP 2",
    "object TH_BARREL 2",
    "trap TR_BOULDER 3",
  ]);
});

test("triggers tell which band each releases where, and diagnostics name their squares", async () => {
  const text = source("examples/lair1.txt");
  const model = await modelOf(text);
  const releases = model.triggers.flatMap((t) =>
    t.actions
      .filter((a) => a.release)
      .map((a) => `${t.word}: band ${a.release!.band} at ${a.release!.switch} ${a.release!.location}`),
  );
  assert.deepEqual(releases, ["TRIGGER_TIME: band 1 at G 2", "TRIGGER_SLAP_COUNT_EQUALS: band 2 at A 1"]);
  assert.deepEqual(
    model.releasesAt("G", 2).map((r) => r.trigger.number),
    [1],
  );
  assert.deepEqual(
    model.releasesOf(2).map((r) => r.action.word),
    ["ACTION_HERO_RELEASE"],
  );
  assert.deepEqual(
    [model.bandsReleasedAt("A", 1), model.bandsReleasedAt("G", 2), model.bandsReleasedAt("G", 1)],
    [[2], [1], []],
  );
  assert.deepEqual(
    model.bands.map((b) => `${b.name}: ${b.members.join(", ")}`),
    ["FirstBand: KNIGHT L5, DWARF L3", "SecondBand: WIZARD L2"],
  );
  assert.equal(model.triggers[1]!.actions[0]!.destroys, 2);

  // A creature moved into the rock, and a grid character without terrain: each diagnostic names its square.
  const broken = await modelOf(text.replace("TROLL 3 3", "TROLL 0 9").replace("#.1111.....#", "#.1111..Z..#"));
  const named = broken.check.diagnostics.map((d) => ({ id: d.id, rects: broken.diagnosticRects(d) }));
  assert.deepEqual(named.find((n) => n.id === "creature-in-rock")?.rects, [{ left: 0, top: 9, right: 0, bottom: 9 }]);
  const unknown = named.find((n) => /no terrain/.test(broken.check.diagnostics.find((d) => d.id === n.id)!.message));
  assert.deepEqual(unknown?.rects, [{ left: 8, top: 2, right: 8, bottom: 2 }]);
});
