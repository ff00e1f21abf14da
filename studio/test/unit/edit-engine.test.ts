// The text-edit engine, by random sequences of edits on the examples, on new levels of both
// formats and on maps of the bench preset's generator. After each edit: only the lines it concerns
// changed (every other line is where it was, byte for byte), and a CR LF map keeps its line ends.
// After each sequence: the edited text compiles, and its decoded level files hold what the edits
// describe (the grid, the placements, gold, areas and gates, bands, releases and scenario
// settings), next to a model of the level kept by the test from the edits alone; and undoing every
// edit gives back the original bytes.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { test } from "node:test";

import { ChangeSet, Text } from "@codemirror/state";
import type { Tunnelsmith } from "tunnelsmith";

import { EditRefused, Terrains, editText, type MapEdit, type PlacementKind } from "../../src/edit/engine";
import { newLevelText } from "../../src/edit/new-level";
import type { MapModel, Rect } from "../../src/model/map-model";
import { library, modelOf, source } from "./library";

/** A map of the bench preset's generator: random terrain, every kind of entry and trigger. */
function generated(...options: string[]): string {
  const mapgen = process.env.TUNNELSMITH_NATIVE_MAPGEN;
  if (!mapgen) throw new Error("TUNNELSMITH_NATIVE_MAPGEN is not set: run the tests with ctest --preset wasm");
  const run = spawnSync(mapgen, [...options, "-"], { encoding: "utf8" });
  assert.equal(run.status, 0, `${mapgen}: ${run.stderr || run.error}`);
  return run.stdout;
}

/** A small, seeded random source, so that a failure can be replayed. */
function randomSource(seed: number): { int(n: number): number; pick<T>(list: readonly T[]): T } {
  let state = seed >>> 0;
  const next = (): number => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  return {
    int: (n) => Math.floor(next() * n),
    pick: (list) => list[Math.floor(next() * list.length)]!,
  };
}

type Placed = { name: string; x: number; y: number; level?: string; owner?: string; lock?: string };

/** What the level should hold, kept from the edits alone. */
interface Level {
  width: number;
  height: number;
  /** Each square's terrain code; -1 where a removed gate was (any terrain but a gate's). */
  grid: number[];
  placements: Record<PlacementKind, Placed[]>;
  gold: Map<number, number>;
  hearts: Map<number, { x: number; y: number }>;
  areas: Rect[];
  gates: Rect[];
  bands: { members: string[] }[];
  releases: { band: number; switch: string; location: number }[];
  statements: string[][];
}

const paintable = ["SOLID_ROCK", "ROCK", "GOLD", "WATER", "LAVA", "UNCLAIMED", "GEMS", "KPR1_CLAIMED_SQ", "KPR1_LAIR"];
const kinds: PlacementKind[] = ["creature", "object", "door", "trap"];

/** The level a text describes now, read from its outline (the starting point of the model). */
function levelOf(model: MapModel): Level {
  const words = (entry: number): string[] => model.entries.words(entry).map((w) => model.slice(w));
  const level: Level = {
    width: model.width,
    height: model.height,
    grid: [...model.outline.grid.terrain!],
    placements: { creature: [], object: [], door: [], trap: [] },
    gold: new Map(),
    hearts: new Map(),
    areas: [],
    gates: [],
    bands: model.bands.map((b) => ({ members: [...b.members] })),
    releases: model.triggers.flatMap((t) => t.actions.flatMap((a) => (a.release ? [{ ...a.release }] : []))),
    statements: [],
  };
  for (let i = 0; i < model.entries.length; ++i) {
    const w = words(i);
    switch (model.entries.section(i)) {
      case "THINGS":
        level.placements.object.push({ name: w[0]!, x: Number(w[1]), y: Number(w[2]) });
        break;
      case "CREATURES":
        level.placements.creature.push({ name: w[0]!, x: Number(w[1]), y: Number(w[2]), level: w[3]!, owner: w[4]! });
        break;
      case "DOORS":
        level.placements.door.push({ name: w[0]!, x: Number(w[1]), y: Number(w[2]), owner: w[3]!, lock: w[4]! });
        break;
      case "TRAPS":
        level.placements.trap.push({ name: w[0]!, x: Number(w[1]), y: Number(w[2]), owner: w[3]! });
        break;
      case "HEARTS_AND_GOLD": {
        const keeper = /^(?:KPR(\d)_HEART_CENTER|GOLD(\d))$/.exec(w[0]!);
        if (keeper?.[1] && !level.hearts.has(Number(keeper[1])))
          level.hearts.set(Number(keeper[1]), { x: Number(w[1]), y: Number(w[2]) });
        if (keeper?.[2]) level.gold.set(Number(keeper[2]), Number(w[1]));
        break;
      }
      case "AREAS":
      case "HERO_GATES":
        (model.entries.section(i) === "AREAS" ? level.areas : level.gates).push(model.entries.covers(i)!);
        break;
    }
  }
  return level;
}

const overlaps = (a: Rect, b: Rect): boolean =>
  a.left <= b.right + 1 && b.left <= a.right + 1 && a.top <= b.bottom + 1 && b.top <= a.bottom + 1;

/** A random edit that keeps the level valid, and what it does to the model of the level; null when none fits. */
function randomEdit(
  model: MapModel,
  level: Level,
  terrains: Terrains,
  ts: Tunnelsmith,
  random: ReturnType<typeof randomSource>,
): { edit: MapEdit; apply: () => void } | null {
  const vocabulary = ts.vocabulary();
  const { width, height } = level;
  const players = model.outline.players;
  const isGate = (code: number): boolean => /^HERO_GATE/.test(terrains.name(code) ?? "") || code < 0;
  const isHeart = (code: number): boolean => /_HEART$/.test(terrains.name(code) ?? "");
  const square = (): { x: number; y: number } => ({ x: random.int(width), y: random.int(height) });
  const owner = (): string => random.pick([...Array.from({ length: players }, (_, i) => `P${i + 1}`), "PH", "PN"]);
  const entriesOf = (section: string): number[] =>
    [...Array(model.entries.length).keys()].filter((i) => model.entries.section(i) === section);
  const nothingAt = (rect: Rect): boolean =>
    [...level.gates, ...level.areas].every((r) => !overlaps(r, rect)) &&
    Array.from({ length: rect.bottom - rect.top + 3 }, (_, dy) => rect.top - 1 + dy).every((y) =>
      Array.from({ length: rect.right - rect.left + 3 }, (_, dx) => rect.left - 1 + dx).every((x) => {
        if (x < 0 || y < 0 || x >= width || y >= height) return true;
        const code = level.grid[y * width + x]!;
        return !isGate(code) && !isHeart(code);
      }),
    );
  const controlled = new Set(
    model.triggers.filter((t) => t.word === "TRIGGER_CONTROL_AREA").map((t) => Number(t.operands[1])),
  );
  const destroyed = new Set(
    model.triggers.flatMap((t) => t.actions.flatMap((a) => (a.destroys === null ? [] : [a.destroys]))),
  );
  const choice = random.int(14);
  switch (choice) {
    case 0:
    case 1: {
      // A brush stroke: a random walk over squares that hold no gate or heart.
      const terrain = random.pick(paintable);
      const code = terrains.code(terrain)!;
      let at = square();
      const squares: { x: number; y: number }[] = [];
      for (let i = 0, n = 1 + random.int(12); i < n; ++i) {
        if (!isGate(level.grid[at.y * width + at.x]!) && !isHeart(level.grid[at.y * width + at.x]!)) squares.push(at);
        at = {
          x: Math.min(width - 1, Math.max(0, at.x + random.int(3) - 1)),
          y: Math.min(height - 1, Math.max(0, at.y + random.int(3) - 1)),
        };
      }
      return {
        edit: { kind: "paint", terrain, squares },
        apply: () => squares.forEach((s) => (level.grid[s.y * width + s.x] = code)),
      };
    }
    case 2: {
      const what = random.pick(kinds);
      const list = {
        creature: vocabulary.creatures,
        object: vocabulary.objects,
        door: vocabulary.doors,
        trap: vocabulary.traps,
      }[what];
      const placed: Placed = { name: random.pick(list).name, ...square() };
      if (what === "creature") Object.assign(placed, { level: random.pick(vocabulary.levels).name, owner: owner() });
      if (what === "door") Object.assign(placed, { owner: owner(), lock: random.pick(["L", "U"]) });
      if (what === "trap") Object.assign(placed, { owner: owner() });
      return { edit: { kind: "place", what, ...placed }, apply: () => level.placements[what].push(placed) };
    }
    case 3:
    case 4: {
      // Move, re-own or remove a placement.
      const what = random.pick(kinds);
      const section = { creature: "CREATURES", object: "THINGS", door: "DOORS", trap: "TRAPS" }[what];
      const entries = entriesOf(section);
      if (entries.length === 0) return null;
      const n = random.int(entries.length);
      const entry = entries[n]!;
      if (choice === 4) return { edit: { kind: "remove", entry }, apply: () => level.placements[what].splice(n, 1) };
      const to = square();
      const values: Record<number, string> = { 1: String(to.x), 2: String(to.y) };
      const placed = level.placements[what][n]!;
      const newOwner = owner();
      if (what !== "object") values[what === "creature" ? 4 : 3] = newOwner;
      return {
        edit: { kind: "words", entry, values },
        apply: () => Object.assign(placed, to, what === "object" ? {} : { owner: newOwner }),
      };
    }
    case 5: {
      const keeper = 1 + random.int(players);
      const amount = random.int(100000);
      return { edit: { kind: "gold", keeper, amount }, apply: () => level.gold.set(keeper, amount) };
    }
    case 6: {
      const keeper = 1 + random.int(players);
      const at = square();
      return { edit: { kind: "heart", keeper, ...at }, apply: () => level.hearts.set(keeper, at) };
    }
    case 7: {
      const at = square();
      const rect = {
        left: at.x,
        top: at.y,
        right: Math.min(width - 1, at.x + random.int(3)),
        bottom: Math.min(height - 1, at.y + random.int(3)),
      };
      if (random.int(2) === 0) {
        if (!level.gates.every((g) => !overlaps(g, rect))) return null;
        return { edit: { kind: "area", rect }, apply: () => level.areas.push(rect) };
      }
      if (!nothingAt(rect)) return null;
      const terrain = random.pick(["HERO_GATE_1", "HERO_GATE_2"]);
      const code = terrains.code(terrain)!;
      return {
        edit: { kind: "gate", terrain, rect },
        apply: () => {
          level.gates.push(rect);
          for (let y = rect.top; y <= rect.bottom; ++y)
            for (let x = rect.left; x <= rect.right; ++x) level.grid[y * width + x] = code;
        },
      };
    }
    case 8: {
      // Remove an area or a gate that no trigger condition or gate destruction names.
      const gate = random.int(2) === 0;
      const list = gate ? level.gates : level.areas;
      if (list.length === 0) return null;
      const n = random.int(list.length);
      const number = n + 1;
      if (gate ? [...destroyed].some((d) => d >= number) : [...controlled].some((c) => c >= number)) return null;
      const entry = entriesOf(gate ? "HERO_GATES" : "AREAS")[n]!;
      return {
        edit: { kind: "remove", entry },
        apply: () => {
          const [rect] = list.splice(n, 1);
          if (gate)
            for (let y = rect!.top; y <= rect!.bottom; ++y)
              for (let x = rect!.left; x <= rect!.right; ++x)
                if (x >= 0 && y >= 0 && x < width && y < height && isGate(level.grid[y * width + x]!))
                  level.grid[y * width + x] = -1;
          for (const r of level.releases) if (r.switch === (gate ? "G" : "A") && r.location > number) --r.location;
        },
      };
    }
    case 9: {
      const members = Array.from(
        { length: random.int(4) },
        () => [random.pick(vocabulary.creatures).name, random.pick(vocabulary.levels).name] as [string, string],
      );
      return {
        edit: { kind: "band", name: `B${random.int(100)}`, owner: owner(), members },
        apply: () => level.bands.push({ members: members.map((m) => m.join(" ")) }),
      };
    }
    case 10: {
      if (model.bands.length === 0) return null;
      const n = random.int(model.bands.length);
      const band = model.bands[n]!;
      if (band.members.length > 0 && random.int(2) === 0) {
        const member = random.int(band.members.length);
        return {
          edit: { kind: "member-remove", band: band.entry, member },
          apply: () => level.bands[n]!.members.splice(member, 1),
        };
      }
      if (band.members.length >= 16) return null;
      const creature = random.pick(vocabulary.creatures).name;
      const lvl = random.pick(vocabulary.levels).name;
      return {
        edit: { kind: "member-add", band: band.entry, creature, level: lvl },
        apply: () => level.bands[n]!.members.push(`${creature} ${lvl}`),
      };
    }
    case 11: {
      // A trigger releasing a band at a gate or an area, or giving a room; or an action more.
      const places = [
        ...level.gates.map((_, i) => ["G", String(i + 1)]),
        ...level.areas.map((_, i) => ["A", String(i + 1)]),
      ];
      const release = model.bands.length > 0 && places.length > 0 && random.int(3) > 0;
      const band = 1 + random.int(Math.max(1, model.bands.length));
      const place = places.length > 0 ? random.pick(places) : ["G", "1"];
      const action = release
        ? ["ACTION_HERO_RELEASE", String(band), ...place]
        : ["ACTION_ADD_ROOM", owner(), random.pick(vocabulary.rooms).name];
      const apply = (): void => {
        if (release) level.releases.push({ band, switch: place[0]!, location: Number(place[1]) });
      };
      if (model.triggers.length > 0 && random.int(2) === 0) {
        const trigger = random.pick(model.triggers);
        const after = model.triggers
          .filter((t) => t.number > trigger.number)
          .flatMap((t) => t.actions.filter((a) => a.release));
        // Releases are kept in the order of the text: this one goes before those of later triggers.
        return {
          edit: { kind: "action-add", trigger: trigger.entry, words: action },
          apply: () => {
            if (release)
              level.releases.splice(level.releases.length - after.length, 0, {
                band,
                switch: place[0]!,
                location: Number(place[1]),
              });
          },
        };
      }
      return {
        edit: { kind: "trigger", condition: ["TRIGGER_TIME", String(random.int(5000))], actions: [action] },
        apply,
      };
    }
    case 12: {
      const keeper = `P${1 + random.int(players)}`;
      const keyword = random.pick(["START_WITH", "MUST_RESEARCH", "NO"]);
      const name = random.pick([
        ...vocabulary.rooms,
        ...vocabulary.traps,
        ...vocabulary.doors,
        ...vocabulary.spells,
      ]).name;
      const words = [keyword, keeper, name];
      return { edit: { kind: "statement", words }, apply: () => level.statements.push(words) };
    }
    case 13: {
      // Remove a band no trigger releases (its later bands' releases follow it).
      if (model.bands.length === 0) return null;
      const n = random.int(model.bands.length);
      if (level.releases.some((r) => r.band === n + 1)) return null;
      return {
        edit: { kind: "remove", entry: model.bands[n]!.entry },
        apply: () => {
          level.bands.splice(n, 1);
          for (const r of level.releases) if (r.band > n + 1) --r.band;
        },
      };
    }
  }
  return null;
}

/** The lines of `before` that an edit may change: those its changes touch. Every other must stay. */
function checkUntouched(before: string, after: string, changes: ChangeSet, concerned: Set<number>, what: string): void {
  let start = 0;
  before.split("\n").forEach((line, number) => {
    const end = start + line.length;
    if (!concerned.has(number)) {
      const at = changes.mapPos(start, 1);
      assert.equal(
        after.slice(at, at + line.length + 1),
        before.slice(start, end + 1),
        `${what}: line ${number + 1} kept`,
      );
    }
    start = end + 1;
  });
}

/** The lines an edit concerns, found from the text and the outline, apart from the engine. */
function concernedLines(model: MapModel, edit: MapEdit, text: string): Set<number> {
  const lines = new Set<number>();
  const lineOf = (byte: number): number => text.slice(0, model.bytes.toIndex(byte)).split("\n").length - 1;
  const span = (s: { start: number; end: number }): void => {
    for (let l = lineOf(s.start); l <= lineOf(s.end); ++l) lines.add(l);
  };
  const section = (name: string): void => {
    const found = model.outline.sections.find((s) => s.section === name);
    if (found?.count) span(found.count);
  };
  const rows = (ys: number[]): void =>
    ys.forEach((y) => span({ start: model.outline.grid.rowStarts[y]!, end: model.outline.grid.rowStarts[y]! }));
  switch (edit.kind) {
    case "paint":
      rows(edit.squares.map((s) => s.y));
      section("MAP_CODES");
      break;
    case "gate":
      rows(Array.from({ length: edit.rect.bottom - edit.rect.top + 1 }, (_, i) => edit.rect.top + i));
      section("MAP_CODES");
      section("HERO_GATES");
      break;
    case "place":
      section({ creature: "CREATURES", object: "THINGS", door: "DOORS", trap: "TRAPS" }[edit.what]);
      break;
    case "area":
    case "band":
    case "trigger":
      section({ area: "AREAS", band: "HERO_BANDS", trigger: "TRIGGERS" }[edit.kind]);
      break;
    case "words":
      span(model.entries.span(edit.entry));
      break;
    case "remove": {
      const name = model.entries.section(edit.entry);
      span(model.entries.span(edit.entry));
      section(name);
      // Later ids and the triggers' references are renumbered; a gate's squares are painted over.
      for (let i = edit.entry + 1; i < model.entries.length; ++i)
        if (model.entries.section(i) === name || model.entries.section(i) === "TRIGGERS") span(model.entries.span(i));
      const covers = model.entries.covers(edit.entry);
      if (name === "HERO_GATES" && covers)
        rows(
          Array.from({ length: covers.bottom - covers.top + 1 }, (_, i) => covers.top + i).filter(
            (y) => y >= 0 && y < model.height,
          ),
        );
      break;
    }
    case "member-add":
    case "member-remove":
    case "action-add":
    case "action-remove":
      span(model.entries.span("band" in edit ? edit.band : edit.trigger));
      break;
    case "heart":
    case "gold": {
      const keyword = edit.kind === "heart" ? `KPR${edit.keeper}_HEART_CENTER` : `GOLD${edit.keeper}`;
      for (let i = 0; i < model.entries.length; ++i)
        if (model.entries.section(i) === "HEARTS_AND_GOLD" && model.slice(model.entries.words(i)[0]!) === keyword)
          span(model.entries.span(i));
      break;
    }
    case "statement":
      break;
  }
  return lines;
}

/** The decoded level files of a text next to the model of the level. */
function checkLevel(ts: Tunnelsmith, text: string, level: Level, model: MapModel, what: string): void {
  const compiled = ts.compile(text);
  assert.ok(compiled.valid, `${what}: compiles\n${compiled.console}`);
  const records = (suffix: string) =>
    ts.inspect(compiled.files.find((f) => f.name.endsWith(suffix))!.bytes).records as {
      kind: string;
      fields: Record<string, any>;
    }[];
  const things = records("Things.kld");
  const named = (v: any): string => v?.name ?? String(v);
  const decoded = {
    creature: things
      .filter((r) => r.kind === "creature")
      .map((r) => ({
        name: named(r.fields.creature),
        x: r.fields.x,
        y: r.fields.y,
        level: named(r.fields.level),
        owner: named(r.fields.owner),
      })),
    object: things
      .filter((r) => r.kind === "object")
      .map((r) => ({ name: named(r.fields.object), x: r.fields.x, y: r.fields.y })),
    door: things
      .filter((r) => r.kind === "door")
      .map((r) => ({
        name: named(r.fields.door),
        x: r.fields.x,
        y: r.fields.y,
        owner: named(r.fields.owner),
        lock: named(r.fields.locked) === "yes" ? "L" : "U",
      })),
    trap: things
      .filter((r) => r.kind === "trap")
      .map((r) => ({ name: named(r.fields.trap), x: r.fields.x, y: r.fields.y, owner: named(r.fields.owner) })),
  };
  for (const kind of kinds) {
    const expected = level.placements[kind].map((p) =>
      kind === "door" ? { ...p, lock: p.lock === "L" ? "L" : "U" } : p,
    );
    assert.deepEqual(decoded[kind], expected, `${what}: the ${kind}s`);
  }
  // Entrance areas and gates, as the things file has them; bands.
  const areas = things.filter((r) => r.kind === "area");
  const rect = (r: { fields: Record<string, any> }): Rect => ({
    left: r.fields.left,
    top: r.fields.top,
    right: r.fields.right,
    bottom: r.fields.bottom,
  });
  assert.deepEqual(
    areas.filter((r) => /entrance/.test(named(r.fields.number))).map(rect),
    level.areas,
    `${what}: the entrance areas`,
  );
  assert.equal(
    areas.filter((r) => /gate/.test(named(r.fields.number))).length,
    level.gates.length,
    `${what}: the gates`,
  );
  assert.equal(things.filter((r) => r.kind === "hero band").length, level.bands.length, `${what}: the bands`);
  assert.deepEqual(
    model.bands.map((b) => b.members),
    level.bands.map((b) => b.members),
    `${what}: the bands' members`,
  );
  // The releases, by band and location (gates first, then the areas).
  const releases = records("Triggers.kld").filter(
    (r) => r.kind === "action" && named(r.fields.action) === "HERO_RELEASE",
  );
  assert.deepEqual(
    releases.map((r) => [r.fields.band.value + 1, r.fields.location]),
    level.releases.map((r) => [r.band, r.switch === "G" ? r.location : level.gates.length + r.location]),
    `${what}: the releases`,
  );
  // Gold, and each keeper's setting of the statements added (the last for a name wins).
  const players = records("Players.kld").filter((r) => r.kind === "player" && r.fields.keeper > 0);
  for (const [keeper, gold] of level.gold)
    assert.equal(players.find((p) => p.fields.keeper === keeper)?.fields.gold, gold, `${what}: gold ${keeper}`);
  const availability = records("Variables.kld").filter((r) => r.kind === "availability");
  const state = { START_WITH: 3, MUST_RESEARCH: 2, NO: 1 } as Record<string, number>;
  const last = new Map(level.statements.map((s) => [`${s[1]} ${s[2]}`, state[s[0]!]]));
  for (const [key, value] of last) {
    const [player, item] = key.split(" ");
    // The keeper's table comes first; the fixed entries the variables file ends with do not count.
    const found = availability.find((r) => named(r.fields.player) === player && named(r.fields.item) === item);
    assert.equal(found?.fields.state.value, value, `${what}: ${key}`);
  }
  // The grid square by square (the outline's), and the map file's count of each terrain.
  const grid = model.outline.grid.terrain!;
  level.grid.forEach((code, i) => {
    if (code >= 0) assert.equal(grid[i], code, `${what}: square ${i % level.width}, ${Math.floor(i / level.width)}`);
    else
      assert.ok(
        !/^HERO_GATE/.test(ts.vocabulary().terrains.find((t) => t.value === grid[i])?.name ?? ""),
        `${what}: a removed gate's square`,
      );
  });
  for (const [keeper, at] of level.hearts)
    assert.deepEqual(model.hearts.find((h) => h.number === keeper)?.rect, {
      left: at.x,
      top: at.y,
      right: at.x,
      bottom: at.y,
    });
}

test("random edits give the level they describe, change only the lines they concern, and undo to the original bytes", async () => {
  const ts = await library();
  const terrains = new Terrains(ts.vocabulary().terrains);
  const maps: [string, string][] = [
    ["lair1", source("examples/lair1.txt")],
    ["showcase", source("examples/showcase.txt")],
    ["quartet_gui", source("examples/quartet_gui.txt")],
    ["cavern_old", source("examples/cavern_old.txt")],
    ["new text map", newLevelText({ name: "Made", width: 23, height: 17, keepers: 2, gui: false })],
    ["new map-drawing-tool map", newLevelText({ name: "Drawn", width: 19, height: 14, keepers: 3, gui: true })],
    ["CR LF", source("examples/lair1.txt").replace(/\n/g, "\r\n")],
    ["generated text map", generated("--width", "41", "--height", "29", "--entries", "40", "--triggers", "14")],
    [
      "generated map-drawing-tool map",
      generated("--gui", "--width", "33", "--height", "25", "--entries", "30", "--seed", "7"),
    ],
  ];
  let made = 0;
  for (const [name, original] of maps) {
    for (let run = 0; run < 6; ++run) {
      const seed = name.length * 1000 + run;
      const random = randomSource(seed);
      let text = original;
      let model = await modelOf(text);
      const level = levelOf(model);
      const history: { changes: ChangeSet; before: Text }[] = [];
      for (let step = 0; step < 14; ++step) {
        const picked = randomEdit(model, level, terrains, ts, random);
        if (!picked) continue;
        const what = `${name}, seed ${seed}, step ${step}: ${JSON.stringify(picked.edit).slice(0, 120)}`;
        let changes;
        try {
          changes = editText(model, terrains, picked.edit);
        } catch (error) {
          // Only a map in the old layout, which has no MAP_CODES for a new terrain, may refuse a
          // terrain; nothing else is refused.
          const legend = model.outline.sections.some((s) => s.section === "MAP_CODES");
          const terrain = picked.edit.kind === "paint" || picked.edit.kind === "gate";
          assert.ok(error instanceof EditRefused && terrain && !legend, `${what}: ${error}`);
          continue;
        }
        const before = Text.of(text.split("\n"));
        // Inserted text as it is: a plain string would have its CR LF read as a line break.
        const set = ChangeSet.of(
          changes.map((c) => ({ ...c, insert: Text.of(c.insert.split("\n")) })),
          text.length,
        );
        const after = set.apply(before).toString();
        checkUntouched(text, after, set, concernedLines(model, picked.edit, text), what);
        if (original.includes("\r\n")) assert.doesNotMatch(after, /[^\r]\n/, `${what}: CR LF line ends kept`);
        history.push({ changes: set, before });
        picked.apply();
        text = after;
        model = await modelOf(text);
        ++made;
        if (!ts.compile(text).valid) assert.fail(`${what}: the text no longer compiles:\n${text}`);
      }
      checkLevel(ts, text, level, model, `${name}, seed ${seed}`);
      let doc = Text.of(text.split("\n"));
      for (const { changes, before } of history.reverse()) doc = changes.invert(before).apply(doc);
      assert.equal(doc.toString(), original, `${name}, seed ${seed}: undoing every edit`);
    }
  }
  assert.ok(made > 300, `edits made: ${made}`);
});
