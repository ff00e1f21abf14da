// The layers and colours: the palette is the preview's (read from its C++ source), a square's
// colour follows the terrain and ownership layers, and a click picks what its layers show.
import assert from "node:assert/strict";
import { test } from "node:test";

import type { Entity } from "../../src/model/map-model";
import { Layers, layerList, pick, squareColour } from "../../src/view/layers";
import { Palette, gateFills, ownerHues, plainColours, roomColours, type Rgb } from "../../src/view/palette";
import { library, source } from "./library";

// Every `{id, {r, g, b}}` of a table, and every `{r, g, b}` of an array, in the preview's palette.
function tableOf(cc: string, name: string): Map<number, Rgb> {
  const body = cc.slice(cc.indexOf(name)).split("};")[0]!;
  return new Map(
    [...body.matchAll(/\{(\d+), \{(\d+), (\d+), (\d+)\}\}/g)].map((m) => [
      Number(m[1]),
      [Number(m[2]), Number(m[3]), Number(m[4])] as Rgb,
    ]),
  );
}
function arrayOf(cc: string, name: string): Rgb[] {
  const body = cc.slice(cc.indexOf(name)).split("}};")[0]!;
  return [...body.matchAll(/\{(\d+), (\d+), (\d+)\}/g)].map((m) => [Number(m[1]), Number(m[2]), Number(m[3])] as Rgb);
}

test("the colours are the PNG preview's", () => {
  const cc = source("tools/preview/palette.cc");
  assert.deepEqual(plainColours, tableOf(cc, "kPlainColours[]"));
  assert.deepEqual(roomColours, tableOf(cc, "kRoomColours[]"));
  assert.deepEqual(ownerHues, arrayOf(cc, "kOwnerHues"));
  assert.deepEqual(gateFills, arrayOf(cc, "kGateFills"));
});

test("a square's colour follows the terrain and ownership layers", async () => {
  const { terrains } = (await library()).vocabulary();
  const palette = new Palette(terrains);
  const code = (name: string): number => terrains.find((t) => t.name === name)!.value;
  const background: Rgb = [1, 2, 3];
  const layers = (terrain: boolean, ownership: boolean): Layers => {
    const l = new Layers();
    l.set("terrain", terrain);
    l.set("ownership", ownership);
    return l;
  };
  const keeper2 = ownerHues[3]!;
  const cases: [string, boolean, boolean, Rgb][] = [
    // Both: the preview's look, owner tint included.
    ["KPR2_CLAIMED_SQ", true, true, palette.look(code("KPR2_CLAIMED_SQ")).fill],
    ["GOLD", true, true, plainColours.get(6)!],
    // Terrain alone: owned ground without its owner.
    ["KPR2_CLAIMED_SQ", true, false, [90, 90, 90]],
    ["KPR2_OWNED_ROCK", true, false, [60, 56, 54]],
    ["KPR2_HEART", true, false, roomColours.get(14)!],
    ["KPR2_LAIR", true, false, roomColours.get(11)!],
    ["HERO_GATE_3", true, false, gateFills[2]!],
    // Ownership alone: the owner's hue, nothing for unowned terrain and gates.
    ["KPR2_LAIR", false, true, keeper2],
    ["HERO_TEMPLE", false, true, ownerHues[0]!],
    ["WATER", false, true, background],
    ["HERO_GATE_1", false, true, background],
    ["KPR2_LAIR", false, false, background],
  ];
  for (const [name, terrain, ownership, expected] of cases) {
    assert.deepEqual(
      squareColour(palette, code(name), layers(terrain, ownership), background),
      expected,
      `${name} ${terrain} ${ownership}`,
    );
  }
  assert.notDeepEqual(palette.look(code("KPR1_CLAIMED_SQ")).fill, palette.look(code("KPR2_CLAIMED_SQ")).fill);
  assert.deepEqual(palette.look(code("KPR3_TREASURY")).frame, ownerHues[4]);
});

test("a click picks placements before hearts before gates and areas, among the layers shown", () => {
  const entity = (kind: Entity["kind"]): Entity => ({
    kind,
    entry: 0,
    name: kind,
    owner: 3,
    number: 1,
    rect: { left: 0, top: 0, right: 0, bottom: 0 },
    detail: "",
  });
  const all = [
    entity("area"),
    entity("gate"),
    entity("heart"),
    entity("object"),
    entity("trap"),
    entity("door"),
    entity("creature"),
  ];
  const layers = new Layers();
  const picked: string[] = [];
  for (const layer of ["creatures", "doors", "traps", "objects", "hearts", "gates", "areas"] as const) {
    picked.push(pick(all, layers)?.kind ?? "none");
    layers.set(layer, false);
  }
  picked.push(pick(all, layers)?.kind ?? "none");
  assert.deepEqual(picked, ["creature", "door", "trap", "object", "heart", "gate", "area", "none"]);
  assert.equal(layerList.length, new Set(layerList.map((l) => l.id)).size);
});
