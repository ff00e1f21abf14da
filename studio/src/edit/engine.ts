// The text-edit engine: each change a designer makes on the canvas or in a form becomes the
// smallest edit of the map text that expresses it. Only the rows, entries and counts concerned
// change; every other byte (notes, blank lines, spacing, the order of entries) stays as it was,
// and a map in the map-drawing tool's format is edited in that format.
//
// An edit is computed against one analysed version of the text (a MapModel, whose outline says
// where every section, entry and word is) and given as changes of that text, in string indices,
// sorted and not overlapping, as CodeMirror takes them.
import type { SectionName, Span } from "tunnelsmith";

import type { MapModel, Rect } from "../model/map-model";
import type { Word } from "../model/entries";
import { guiCode } from "./gui-codes";

export interface TextChange {
  from: number;
  to: number;
  insert: string;
}

export interface Square {
  x: number;
  y: number;
}

export type PlacementKind = "creature" | "object" | "door" | "trap";

export const placementSection: Record<PlacementKind, SectionName> = {
  creature: "CREATURES",
  object: "THINGS",
  door: "DOORS",
  trap: "TRAPS",
};

export interface Placement {
  what: PlacementKind;
  name: string;
  x: number;
  y: number;
  /** Creatures: L1 to L10. */
  level?: string;
  /** Creatures, doors and traps: P1 to P4, PH or PN. */
  owner?: string;
  /** Doors: L locked, U unlocked. */
  lock?: string;
}

/** One designer's change, as the engine turns it into text. Entries are outline entry indices. */
export type MapEdit =
  | { kind: "paint"; terrain: string; squares: Square[] }
  | ({ kind: "place" } & Placement)
  | { kind: "remove"; entry: number }
  /** Replaces words of an entry, by their index among its words. */
  | { kind: "words"; entry: number; values: Record<number, string> }
  | { kind: "heart"; keeper: number; x: number; y: number }
  | { kind: "gold"; keeper: number; amount: number }
  | { kind: "gate"; terrain: string; rect: Rect }
  | { kind: "area"; rect: Rect }
  | { kind: "band"; name: string; owner: string; members: [string, string][] }
  | { kind: "member-add"; band: number; creature: string; level: string }
  | { kind: "member-remove"; band: number; member: number }
  | { kind: "trigger"; condition: string[]; actions: string[][] }
  | { kind: "action-add"; trigger: number; words: string[] }
  | { kind: "action-remove"; trigger: number; action: number }
  | { kind: "statement"; words: string[] };

/** The terrain names of the vocabulary and their codes. */
export class Terrains {
  readonly #codes = new Map<string, number>();
  readonly #names = new Map<number, string>();

  constructor(terrains: readonly { name: string; value: number }[]) {
    for (const { name, value } of terrains) {
      this.#codes.set(name, value);
      if (!this.#names.has(value)) this.#names.set(value, name);
    }
  }

  code(name: string): number | undefined {
    return this.#codes.get(name);
  }

  name(code: number): string | undefined {
    return this.#names.get(code);
  }

  get names(): string[] {
    return [...this.#codes.keys()];
  }
}

/** Why an edit cannot be made on this version of the text. */
export class EditRefused extends Error {}

/** The sections after the hearts, which a map in the old layout lacks, in their order. */
const tailSections: SectionName[] = ["HERO_BANDS", "AREAS", "HERO_GATES", "TRIGGERS", "SCENARIO_DESCRIPTION"];

/** Characters a new MAP_CODES entry may take, the more readable first. */
const legendPool = [
  ..."abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,:;!?$%&*+-=<>~^@|/_'\"`()[]{}\\",
];

/** What the engine knows of one analysed version of the map text. */
class Target {
  readonly model: MapModel;
  readonly terrains: Terrains;
  readonly eol: string;
  readonly changes: TextChange[] = [];

  constructor(model: MapModel, terrains: Terrains) {
    this.model = model;
    this.terrains = terrains;
    this.eol = model.text.includes("\r\n") ? "\r\n" : "\n";
  }

  index(byte: number): number {
    return this.model.bytes.toIndex(byte);
  }

  section(name: SectionName) {
    return this.model.outline.sections.find((s) => s.section === name) ?? null;
  }

  entriesOf(name: SectionName): number[] {
    const section = this.section(name);
    if (!section) return [];
    return Array.from({ length: section.entryCount }, (_, i) => section.firstEntry + i);
  }

  words(entry: number): Word[] {
    return this.model.entries.words(entry);
  }

  text(span: Span): string {
    return this.model.slice(span);
  }

  replace(span: Span, insert: string): void {
    this.changes.push({ from: this.index(span.start), to: this.index(span.end), insert });
  }

  /** The changes, sorted; changes at one position keep the order they were made in. */
  result(): TextChange[] {
    return this.changes
      .map((c, order) => ({ c, order }))
      .sort((a, b) => a.c.from - b.c.from || a.order - b.order)
      .map(({ c }) => c);
  }

  /** Sets a counted section's count. */
  setCount(name: SectionName, value: number): void {
    const section = this.section(name);
    if (!section?.count) throw new EditRefused(`${name} has no count to change`);
    this.replace(section.count, String(value));
  }

  /**
   * Adds lines at the end of a section's entries, and counts them. A map in the old layout gets
   * the sections after its hearts, empty but for these lines.
   */
  appendEntries(name: SectionName, lines: string[], entries: number = lines.length): void {
    const section = this.section(name);
    const eol = this.eol;
    if (!section) {
      if (!tailSections.includes(name) || this.section("HERO_BANDS"))
        throw new EditRefused(`the map has no ${name} section`);
      const text = this.model.text;
      const tail = tailSections
        .map((s) => {
          const own = s === name ? lines : [];
          if (s === "SCENARIO_DESCRIPTION") return [s, ...own, "EOF"].join(eol);
          return [s, String(s === name ? entries : 0), ...own].join(eol);
        })
        .join(eol);
      const separator = text.length === 0 || text.endsWith("\n") ? "" : eol;
      this.changes.push({ from: text.length, to: text.length, insert: `${separator}${tail}${eol}` });
      return;
    }
    const present = this.entriesOf(name);
    if (name === "SCENARIO_DESCRIPTION") {
      // Before the EOF that ends the description.
      const end = present.map((e) => this.words(e)).find((w) => w.length > 0 && this.text(w[0]!) === "EOF");
      const at = end ? end[0]!.start : section.span.end;
      const from = this.index(at);
      this.changes.push({ from, to: from, insert: lines.map((l) => l + eol).join("") });
      return;
    }
    const last = present.length > 0 ? this.model.entries.end(present[present.length - 1]!) : null;
    const after = last ?? section.count?.end ?? section.keyword.end;
    this.insertLinesAfter(after, lines);
    if (entries > 0 && section.count) this.setCount(name, section.entryCount + entries);
  }

  /**
   * Adds lines after the word that ends at byte `end`: as lines of their own after its line when
   * nothing else follows it there (so that the line itself, and its line end, stay as they are),
   * else right after the word.
   */
  insertLinesAfter(end: number, lines: string[]): void {
    const text = this.model.text;
    const at = this.index(end);
    const lineEnd = text.indexOf("\n", at);
    if (lineEnd >= 0 && text.slice(at, lineEnd).trim() === "")
      this.changes.push({ from: lineEnd + 1, to: lineEnd + 1, insert: lines.map((l) => l + this.eol).join("") });
    else this.changes.push({ from: at, to: at, insert: lines.map((l) => this.eol + l).join("") });
  }

  /**
   * Removes the words [start, end) of an entry: the whole lines when nothing else stands on
   * them, else the words and the blanks after them.
   */
  removeSpan(span: Span): void {
    const text = this.model.text;
    const from = this.index(span.start);
    const to = this.index(span.end);
    const lineStart = text.lastIndexOf("\n", from - 1) + 1;
    let lineEnd = text.indexOf("\n", to);
    if (lineEnd < 0) lineEnd = text.length;
    const before = text.slice(lineStart, from);
    const after = text.slice(to, lineEnd);
    if (before.trim() === "" && after.trim() === "") {
      if (lineEnd < text.length) this.changes.push({ from: lineStart, to: lineEnd + 1, insert: "" });
      else {
        // The last line, without a line end: take the line end before it instead.
        const previous = lineStart > 0 ? lineStart - (text[lineStart - 2] === "\r" ? 2 : 1) : 0;
        this.changes.push({ from: previous, to: lineEnd, insert: "" });
      }
      return;
    }
    let end = to;
    while (end < lineEnd && (text[end] === " " || text[end] === "\t")) ++end;
    this.changes.push({ from, to: end, insert: "" });
  }
}

/** The legend of a text map: which character stands for which terrain, as the compiler reads it. */
function legendOf(target: Target): { char: string; terrain: string; entry: number }[] {
  return target.entriesOf("MAP_CODES").flatMap((entry) => {
    const words = target.words(entry);
    const char = words.find((w) => w.kind === "character");
    const terrain = words.find((w) => w.kind === "terrain");
    return char && terrain ? [{ char: target.text(char), terrain: target.text(terrain), entry }] : [];
  });
}

/**
 * Paints squares of the grid with one terrain. Made once for a brush stroke: the first changes
 * it gives add the terrain to MAP_CODES when no character stands for it yet; every square's
 * change replaces its characters, so no row moves and later squares of the stroke are found
 * where the analysed version has them.
 */
export class Painter {
  readonly #target: Target;
  /** The characters of a square of this terrain. */
  readonly code: string;
  readonly terrainCode: number;
  #legend: TextChange[];
  readonly #done = new Set<number>();

  constructor(model: MapModel, terrains: Terrains, terrain: string) {
    const target = new Target(model, terrains);
    this.#target = target;
    const code = terrains.code(terrain);
    if (code === undefined) throw new EditRefused(`${terrain} is no terrain`);
    this.terrainCode = code;
    const grid = model.outline.grid;
    if (!grid.terrain) throw new EditRefused("the grid cannot be read");
    if (grid.twoCharacters) {
      const pair = guiCode(terrain, (name) => terrains.code(name) !== undefined);
      if (!pair) throw new EditRefused(`${terrain} cannot be written in the map-drawing tool's format`);
      this.code = pair;
      this.#legend = [];
      return;
    }
    const legend = legendOf(target);
    const mine = legend.filter((l) => l.terrain === terrain).pop();
    // The later character of a terrain listed twice counts, and a character listed with two
    // terrains stands for the one with the smaller code.
    const usable =
      mine &&
      legend.every(
        (l) => l.char !== mine.char || l.terrain === terrain || (terrains.code(l.terrain) ?? Infinity) > code,
      );
    if (usable) {
      this.code = mine.char;
      this.#legend = [];
      return;
    }
    if (!target.section("MAP_CODES")) throw new EditRefused("the map has no MAP_CODES section");
    const used = new Set(legend.map((l) => l.char));
    const text = model.text;
    for (let y = 0; y < grid.height; ++y) {
      const start = target.index(grid.rowStarts[y]!);
      for (let x = 0; x < grid.width; ++x) used.add(text[start + x]!);
    }
    const letters = [...terrain.replace(/^(KPR\d|HERO|NEUTRAL)_/, "").replace(/[^A-Z]/g, "")];
    const pool = [...letters.map((c) => c.toLowerCase()), ...letters, ...legendPool];
    const char = pool.find((c) => !used.has(c));
    if (char === undefined) throw new EditRefused("no character is left for a new MAP_CODES entry");
    this.code = char;
    target.appendEntries("MAP_CODES", [`${char} ${terrain}`]);
    this.#legend = target.result();
  }

  /** The changes that paint these squares (each square once a stroke; those off the grid are skipped). */
  paint(squares: readonly Square[]): TextChange[] {
    const model = this.#target.model;
    const { width, height } = model;
    const size = this.code.length;
    const fresh: Square[] = [];
    for (const s of squares) {
      if (s.x < 0 || s.y < 0 || s.x >= width || s.y >= height || this.#done.has(s.y * width + s.x)) continue;
      this.#done.add(s.y * width + s.x);
      fresh.push(s);
    }
    fresh.sort((a, b) => a.y - b.y || a.x - b.x);
    const changes: TextChange[] = [];
    // Squares side by side in a row make one change.
    for (let i = 0; i < fresh.length;) {
      let j = i + 1;
      while (j < fresh.length && fresh[j]!.y === fresh[i]!.y && fresh[j]!.x === fresh[j - 1]!.x + 1) ++j;
      const span = model.squareSpan(fresh[i]!.x, fresh[i]!.y)!;
      const from = this.#target.index(span.start);
      changes.push({ from, to: from + (j - i) * size, insert: this.code.repeat(j - i) });
      i = j;
    }
    const legend = this.#legend;
    this.#legend = [];
    return [...changes, ...legend];
  }
}

/** The squares of a rectangle that lie on a grid of that size. */
export function squaresOf(rect: Rect, width: number, height: number): Square[] {
  const squares: Square[] = [];
  for (let y = Math.max(0, rect.top); y <= Math.min(height - 1, rect.bottom); ++y)
    for (let x = Math.max(0, rect.left); x <= Math.min(width - 1, rect.right); ++x) squares.push({ x, y });
  return squares;
}

/** The squares a flood fill from a square reaches: its terrain, joined side to side. */
export function floodSquares(model: MapModel, start: Square): Square[] {
  const terrain = model.outline.grid.terrain;
  const { width, height } = model;
  if (!terrain || start.x < 0 || start.y < 0 || start.x >= width || start.y >= height) return [];
  const code = terrain[start.y * width + start.x]!;
  const seen = new Uint8Array(width * height);
  const stack = [start.y * width + start.x];
  seen[stack[0]!] = 1;
  const found: Square[] = [];
  while (stack.length > 0) {
    const i = stack.pop()!;
    const x = i % width;
    const y = (i - x) / width;
    found.push({ x, y });
    const next = [
      x > 0 ? i - 1 : -1,
      x < width - 1 ? i + 1 : -1,
      y > 0 ? i - width : -1,
      y < height - 1 ? i + width : -1,
    ];
    for (const n of next) {
      if (n >= 0 && seen[n] === 0 && terrain[n] === code) {
        seen[n] = 1;
        stack.push(n);
      }
    }
  }
  return found;
}

function placementLine(p: Placement): string {
  switch (p.what) {
    case "object":
      return `${p.name} ${p.x} ${p.y}`;
    case "creature":
      return `${p.name} ${p.x} ${p.y} ${p.level ?? "L1"} ${p.owner ?? "P1"}`;
    case "door":
      return `${p.name} ${p.x} ${p.y} ${p.owner ?? "P1"} ${p.lock ?? "U"}`;
    case "trap":
      return `${p.name} ${p.x} ${p.y} ${p.owner ?? "P1"}`;
  }
}

/** The keyword of an entry (the first word), for hearts, gold and statements. */
function keywordOf(target: Target, entry: number): string {
  const first = target.words(entry)[0];
  return first ? target.text(first) : "";
}

/** Renumbers what follows a removed band, area or gate: later ids, and the triggers' references. */
function renumberAfter(target: Target, section: SectionName, removed: number): void {
  const entries = target.entriesOf(section);
  const idKind = section === "AREAS" ? "area" : section === "HERO_GATES" ? "gate" : null;
  if (idKind) {
    for (const entry of entries) {
      const number = target.model.entries.number(entry);
      if (number <= removed) continue;
      const id = target.words(entry).find((w) => w.kind === idKind);
      if (id) target.replace(id, String(number - 1));
    }
  }
  for (const reference of target.model.outline.references) {
    if (reference.target !== section || reference.number <= removed) continue;
    const written = target.text(reference.span);
    target.replace(reference.span, written.replace(/[0-9]+$|[0-9]+/, String(reference.number - 1)));
  }
}

/** The words of a trigger grouped: the condition's, then each action's. */
function triggerGroups(target: Target, entry: number): { words: Word[]; count: Word | null }[] {
  const groups: { words: Word[]; count: Word | null }[] = [];
  let count: Word | null = null;
  for (const w of target.words(entry)) {
    if (w.kind === "keyword") groups.push({ words: [w], count: null });
    else if (w.kind === "count" && groups.length === 1 && count === null) count = w;
    else groups[groups.length - 1]?.words.push(w);
  }
  if (groups[0]) groups[0].count = count;
  return groups;
}

/** Removes a gate's squares from the grid, painted with the terrain most common around it. */
function unpaintGate(target: Target, entry: number, rect: Rect): void {
  const model = target.model;
  const terrain = model.outline.grid.terrain;
  const square = model.entries.square(entry);
  if (!terrain || !square) return;
  const { width, height } = model;
  const inside = (x: number, y: number): boolean => x >= 0 && y >= 0 && x < width && y < height;
  if (!inside(square.x, square.y)) return;
  const gate = terrain[square.y * width + square.x]!;
  const squares = squaresOf(rect, width, height).filter((s) => terrain[s.y * width + s.x] === gate);
  const around = new Map<number, number>();
  for (let y = rect.top - 1; y <= rect.bottom + 1; ++y)
    for (let x = rect.left - 1; x <= rect.right + 1; ++x) {
      if (!inside(x, y) || (x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom)) continue;
      const code = terrain[y * width + x]!;
      const name = target.terrains.name(code);
      if (code !== gate && name && !/^HERO_GATE/.test(name)) around.set(code, (around.get(code) ?? 0) + 1);
    }
  const best = [...around].sort((a, b) => b[1] - a[1])[0]?.[0];
  const name = target.terrains.name(best ?? target.terrains.code("SOLID_ROCK")!)!;
  target.changes.push(...new Painter(model, target.terrains, name).paint(squares));
}

/** The changes of the text that make one edit. Throws EditRefused when it cannot be made. */
export function editText(model: MapModel, terrains: Terrains, edit: MapEdit): TextChange[] {
  const target = new Target(model, terrains);
  switch (edit.kind) {
    case "paint":
      return new Painter(model, terrains, edit.terrain).paint(edit.squares);
    case "place":
      target.appendEntries(placementSection[edit.what], [placementLine(edit)]);
      break;
    case "remove": {
      const section = model.entries.section(edit.entry);
      const number = model.entries.number(edit.entry);
      if (section === "HERO_GATES") {
        const covers = model.entries.covers(edit.entry);
        if (covers) unpaintGate(target, edit.entry, covers);
      }
      target.removeSpan(model.entries.span(edit.entry));
      const counted = target.section(section)?.count;
      if (counted) target.setCount(section, target.section(section)!.entryCount - 1);
      if (section === "HERO_BANDS" || section === "AREAS" || section === "HERO_GATES")
        renumberAfter(target, section, number);
      break;
    }
    case "words": {
      const words = target.words(edit.entry);
      for (const [i, value] of Object.entries(edit.values)) {
        const word = words[Number(i)];
        if (!word) throw new EditRefused(`the entry has no word ${i}`);
        target.replace(word, value);
      }
      break;
    }
    case "heart":
    case "gold": {
      const keyword = edit.kind === "heart" ? `KPR${edit.keeper}_HEART_CENTER` : `GOLD${edit.keeper}`;
      const values = edit.kind === "heart" ? [String(edit.x), String(edit.y)] : [String(edit.amount)];
      // A repeated heart keeps its first position; a repeated gold amount its last.
      const entries = target.entriesOf("HEARTS_AND_GOLD").filter((e) => keywordOf(target, e) === keyword);
      const entry = edit.kind === "heart" ? entries[0] : entries[entries.length - 1];
      if (entry !== undefined) {
        const words = target.words(entry).slice(1);
        values.forEach((v, i) => {
          if (words[i]) target.replace(words[i]!, v);
        });
      } else {
        target.appendEntries("HEARTS_AND_GOLD", [[keyword, ...values].join(" ")], 0);
      }
      break;
    }
    case "gate": {
      const painter = new Painter(model, terrains, edit.terrain);
      target.changes.push(...painter.paint(squaresOf(edit.rect, model.width, model.height)));
      const number = (target.section("HERO_GATES")?.entryCount ?? 0) + 1;
      target.appendEntries("HERO_GATES", [`${number} ${edit.rect.left} ${edit.rect.top}`]);
      break;
    }
    case "area": {
      const number = (target.section("AREAS")?.entryCount ?? 0) + 1;
      const { left, top, right, bottom } = edit.rect;
      target.appendEntries("AREAS", [`${number} ${left} ${top} ${right} ${bottom}`]);
      break;
    }
    case "band":
      target.appendEntries(
        "HERO_BANDS",
        [`${edit.name} ${edit.members.length} ${edit.owner}`, ...edit.members.map((m) => m.join(" "))],
        1,
      );
      break;
    case "member-add":
    case "member-remove": {
      const words = target.words(edit.band);
      const count = words.find((w) => w.kind === "count");
      if (!count) throw new EditRefused("the band has no member count");
      const members = words.filter((w) => w.kind === "creature");
      if (edit.kind === "member-add") {
        target.insertLinesAfter(model.entries.end(edit.band), [`${edit.creature} ${edit.level}`]);
        target.replace(count, String(members.length + 1));
      } else {
        const creature = members[edit.member];
        if (!creature) throw new EditRefused(`the band has no member ${edit.member + 1}`);
        const next = words[words.indexOf(creature) + 1];
        target.replace(count, String(members.length - 1));
        target.removeSpan({ start: creature.start, end: next?.kind === "level" ? next.end : creature.end });
      }
      break;
    }
    case "trigger":
      target.appendEntries(
        "TRIGGERS",
        [edit.condition.join(" "), String(edit.actions.length), ...edit.actions.map((a) => a.join(" "))],
        1,
      );
      break;
    case "action-add":
    case "action-remove": {
      const [condition, ...actions] = triggerGroups(target, edit.trigger);
      if (!condition?.count) throw new EditRefused("the trigger has no action count");
      if (edit.kind === "action-add") {
        target.insertLinesAfter(model.entries.end(edit.trigger), [edit.words.join(" ")]);
        target.replace(condition.count, String(actions.length + 1));
      } else {
        const action = actions[edit.action];
        if (!action) throw new EditRefused(`the trigger has no action ${edit.action + 1}`);
        target.replace(condition.count, String(actions.length - 1));
        target.removeSpan({ start: action.words[0]!.start, end: action.words[action.words.length - 1]!.end });
      }
      break;
    }
    case "statement":
      target.appendEntries("SCENARIO_DESCRIPTION", [edit.words.join(" ")]);
      break;
  }
  return target.result();
}
