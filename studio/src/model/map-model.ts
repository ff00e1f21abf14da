// What the view needs to know about one analysed version of the map, derived from the library's
// outline: the entities that stand on squares (placements, heart centres, gates, areas), found by
// square or by text offset; the triggers with what they release where; and the squares each
// diagnostic names. Offsets are the library's, in bytes; `bytes` converts them.
import type { CheckResult, Diagnostic, Span } from "tunnelsmith";

import type { ByteIndex } from "../text/bytes";
import { Entries, type PackedOutline, type Word } from "./entries";

export type EntityKind = "creature" | "object" | "door" | "trap" | "heart" | "gate" | "area";

export interface Rect {
  left: number;
  top: number;
  right: number;
  bottom: number;
}

export interface Entity {
  kind: EntityKind;
  /** Index into outline.entries. */
  entry: number;
  /** The name as written (TROLL, WOODEN_DOOR, ...), or the keyword for a heart. */
  name: string;
  /** The player that owns it: 1 heroes, 2 neutral, 3 to 6 keepers 1 to 4; 0 when unknown. */
  owner: number;
  /** Its number in its section (gates and areas are named by it). */
  number: number;
  /** The squares it stands on or covers, bounds included. */
  rect: Rect;
  /** Further words worth showing: a creature's level, a door's lock. */
  detail: string;
}

export interface Release {
  band: number;
  /** "G" or "A". */
  switch: string;
  location: number;
}

export interface Action {
  word: string;
  operands: string[];
  span: Span;
  release: Release | null;
  /** The gate an ACTION_DESTROY_HERO_GATE names. */
  destroys: number | null;
}

export interface Trigger {
  entry: number;
  number: number;
  word: string;
  operands: string[];
  span: Span;
  actions: Action[];
}

export interface Band {
  entry: number;
  number: number;
  name: string;
  owner: string;
  members: string[];
}

export interface Players {
  [token: string]: number;
}

export class MapModel {
  readonly outline: PackedOutline;
  readonly entries: Entries;
  readonly check: CheckResult;
  readonly text: string;
  readonly bytes: ByteIndex;
  readonly entities: Entity[] = [];
  /** Placements and heart centres by row: indices into `entities`. */
  readonly #byRow = new Map<number, number[]>();
  /** Gates and areas: indices into `entities`. */
  readonly regions: number[] = [];
  readonly triggers: Trigger[] = [];
  readonly bands: Band[] = [];
  /** Entity of each outline entry that has one. */
  readonly #entityOfEntry = new Map<number, number>();
  /** The heart centres, and each trigger action by the place ("G 2", "A 1") and band it releases. */
  readonly hearts: Entity[] = [];
  readonly #releasesAt = new Map<string, { trigger: Trigger; action: Action }[]>();
  readonly #releasesOf = new Map<number, { trigger: Trigger; action: Action }[]>();

  constructor(
    outline: PackedOutline,
    check: CheckResult,
    text: string,
    bytes: ByteIndex,
    players: Players = defaultPlayers,
  ) {
    this.outline = outline;
    this.entries = new Entries(outline);
    this.check = check;
    this.text = text;
    this.bytes = bytes;
    for (let i = 0; i < this.entries.length; ++i) this.#read(i, players);
    for (const trigger of this.triggers) {
      for (const action of trigger.actions) {
        if (!action.release) continue;
        const place = `${action.release.switch} ${action.release.location}`;
        const at = this.#releasesAt.get(place) ?? [];
        at.push({ trigger, action });
        this.#releasesAt.set(place, at);
        const of = this.#releasesOf.get(action.release.band) ?? [];
        of.push({ trigger, action });
        this.#releasesOf.set(action.release.band, of);
      }
    }
  }

  get width(): number {
    return this.outline.grid?.width ?? 0;
  }

  get height(): number {
    return this.outline.grid?.height ?? 0;
  }

  /** The terrain code of a square, or null outside the map or without a grid. */
  terrainAt(x: number, y: number): number | null {
    const terrain = this.outline.grid?.terrain;
    if (!terrain || x < 0 || y < 0 || x >= this.width || y >= this.height) return null;
    return terrain[y * this.width + x]!;
  }

  /** The text of a span of the map. */
  slice(span: Span): string {
    return this.text.slice(this.bytes.toIndex(span.start), this.bytes.toIndex(span.end));
  }

  /** How many placements and heart centres stand on rows [y0, y1) of the map, at once. */
  countInRows(y0: number, y1: number): number {
    if (this.#rowCounts === null) {
      this.#rowCounts = new Int32Array(this.height + 1);
      for (const [y, list] of this.#byRow) if (y >= 0 && y < this.height) this.#rowCounts[y + 1] = list.length;
      for (let y = 0; y < this.height; ++y) this.#rowCounts[y + 1]! += this.#rowCounts[y]!;
    }
    const clamp = (y: number): number => Math.min(Math.max(y, 0), this.height);
    return this.#rowCounts[clamp(y1)]! - this.#rowCounts[clamp(y0)]!;
  }

  #rowCounts: Int32Array | null = null;

  /** Placements and heart centres on rows [y0, y1). */
  *pointsInRows(y0: number, y1: number): Generator<Entity> {
    if (y1 - y0 > this.#byRow.size) {
      for (const [y, list] of this.#byRow) if (y >= y0 && y < y1) for (const i of list) yield this.entities[i]!;
      return;
    }
    for (let y = y0; y < y1; ++y) for (const i of this.#byRow.get(y) ?? []) yield this.entities[i]!;
  }

  /** Everything on a square: its placements and heart centre first, then the gates and areas covering it. */
  entitiesAt(x: number, y: number): Entity[] {
    const found: Entity[] = [];
    for (const i of this.#byRow.get(y) ?? []) {
      const e = this.entities[i]!;
      if (e.rect.left === x) found.push(e);
    }
    for (const i of this.regions) {
      const e = this.entities[i]!;
      if (contains(e.rect, x, y)) found.push(e);
    }
    return found;
  }

  /** The outline entry whose words hold a byte offset (or end there), if any. */
  entryAt(offset: number): number | null {
    const entries = this.entries;
    let low = 0;
    let high = entries.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (entries.start(middle) <= offset) low = middle + 1;
      else high = middle;
    }
    const candidate = low - 1;
    if (candidate < 0) return null;
    return offset <= entries.end(candidate) ? candidate : null;
  }

  entityOfEntry(entry: number): Entity | null {
    const i = this.#entityOfEntry.get(entry);
    return i === undefined ? null : this.entities[i]!;
  }

  /** The grid square whose character is at a byte offset, if the offset is in a row. */
  squareAtOffset(offset: number): { x: number; y: number } | null {
    const grid = this.outline.grid;
    if (!grid || grid.rowStarts.length === 0 || offset < grid.rowStarts[0]!) return null;
    let low = 0;
    let high = grid.rowStarts.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (grid.rowStarts[middle]! <= offset) low = middle + 1;
      else high = middle;
    }
    const y = low - 1;
    const x = Math.floor((offset - grid.rowStarts[y]!) / (grid.twoCharacters ? 2 : 1));
    return x < grid.width ? { x, y } : null;
  }

  /** The span of a square's characters in its row. */
  squareSpan(x: number, y: number): Span | null {
    const grid = this.outline.grid;
    const start = grid?.rowStarts[y];
    if (start === undefined || x < 0 || x >= grid.width) return null;
    const size = grid.twoCharacters ? 2 : 1;
    return { start: start + x * size, end: start + (x + 1) * size };
  }

  /** The squares a diagnostic is about: its own square and its notes', else its entry's or row's. */
  diagnosticRects(diagnostic: Diagnostic): Rect[] {
    const rects: Rect[] = [];
    const point = (s: { x: number; y: number }): Rect => ({ left: s.x, top: s.y, right: s.x, bottom: s.y });
    if (diagnostic.square) rects.push(point(diagnostic.square));
    for (const note of diagnostic.notes) if (note.square) rects.push(point(note.square));
    if (rects.length > 0) return rects;
    const entry = this.entryAt(diagnostic.start);
    const entity = entry === null ? null : this.entityOfEntry(entry);
    if (entity) return [entity.rect];
    const square = this.squareAtOffset(diagnostic.start);
    return square ? [point(square)] : [];
  }

  /** Where a band is released, from the triggers: each action with its trigger. */
  releasesOf(band: number): { trigger: Trigger; action: Action }[] {
    return this.#releasesOf.get(band) ?? [];
  }

  /** The releases at a gate ("G") or area ("A"). */
  releasesAt(kind: "G" | "A", location: number): { trigger: Trigger; action: Action }[] {
    return this.#releasesAt.get(`${kind} ${location}`) ?? [];
  }

  /** The bands released at a gate or area, each once, in order; the first eight at most. */
  bandsReleasedAt(kind: "G" | "A", location: number): number[] {
    const key = `${kind} ${location}`;
    let bands = this.#bandsAt.get(key);
    if (bands === undefined) {
      bands = [...new Set(this.releasesAt(kind, location).map((r) => r.action.release!.band))]
        .sort((a, b) => a - b)
        .slice(0, 8);
      this.#bandsAt.set(key, bands);
    }
    return bands;
  }

  readonly #bandsAt = new Map<string, number[]>();

  gate(number: number): Entity | null {
    return this.#region("gate", number);
  }

  area(number: number): Entity | null {
    return this.#region("area", number);
  }

  #region(kind: EntityKind, number: number): Entity | null {
    const i = this.#regionByNumber.get(`${kind} ${number}`);
    return i === undefined ? null : this.entities[i]!;
  }

  readonly #regionByNumber = new Map<string, number>();

  #read(index: number, players: Players): void {
    const section = this.entries.section(index);
    if (section === "header" || section === "grid" || section === "MAP_CODES" || section === "SCENARIO_DESCRIPTION")
      return;
    const entry = {
      section,
      number: this.entries.number(index),
      span: this.entries.span(index),
      words: this.entries.words(index),
      covers: this.entries.covers(index),
    };
    const word = (kind: string): string => {
      const found = entry.words.find((w) => w.kind === kind);
      return found ? this.slice(found) : "";
    };
    const square = this.entries.square(index);
    const at = (s: { x: number; y: number }): Rect => ({ left: s.x, top: s.y, right: s.x, bottom: s.y });
    switch (entry.section) {
      case "THINGS":
        if (square)
          this.#addPoint({
            kind: "object",
            entry: index,
            name: word("object"),
            owner: 2,
            number: entry.number,
            rect: at(square),
            detail: "",
          });
        break;
      case "CREATURES":
        if (square)
          this.#addPoint({
            kind: "creature",
            entry: index,
            name: word("creature"),
            owner: players[word("player")] ?? 0,
            number: entry.number,
            rect: at(square),
            detail: word("level"),
          });
        break;
      case "DOORS":
        if (square)
          this.#addPoint({
            kind: "door",
            entry: index,
            name: word("door"),
            owner: players[word("player")] ?? 0,
            number: entry.number,
            rect: at(square),
            detail: word("lock") === "L" ? "locked" : "unlocked",
          });
        break;
      case "TRAPS":
        if (square)
          this.#addPoint({
            kind: "trap",
            entry: index,
            name: word("trap"),
            owner: players[word("player")] ?? 0,
            number: entry.number,
            rect: at(square),
            detail: "",
          });
        break;
      case "HEARTS_AND_GOLD": {
        const keeper = /^KPR(\d)_HEART_CENTER$/.exec(word("keyword"));
        if (square && keeper)
          this.#addPoint({
            kind: "heart",
            entry: index,
            name: word("keyword"),
            owner: 2 + Number(keeper[1]),
            number: Number(keeper[1]),
            rect: at(square),
            detail: "",
          });
        break;
      }
      case "AREAS":
      case "HERO_GATES":
        if (entry.covers) {
          const kind = entry.section === "AREAS" ? "area" : "gate";
          const name = kind === "area" ? `A ${entry.number}` : `G ${entry.number}`;
          this.#addRegion({
            kind,
            entry: index,
            name,
            owner: 1,
            number: entry.number,
            rect: { ...entry.covers },
            detail: "",
          });
        }
        break;
      case "HERO_BANDS": {
        const members: string[] = [];
        entry.words.forEach((w, i) => {
          if (w.kind !== "creature") return;
          const next = entry.words[i + 1];
          members.push(next?.kind === "level" ? `${this.slice(w)} ${this.slice(next)}` : this.slice(w));
        });
        this.bands.push({ entry: index, number: entry.number, name: word("name"), owner: word("player"), members });
        break;
      }
      case "TRIGGERS":
        this.triggers.push(this.#trigger(entry, index));
        break;
      default:
        break;
    }
  }

  // A trigger's words: its keyword and operands, the action count, then each action's keyword
  // and operands.
  #trigger(entry: { number: number; span: Span; words: Word[] }, index: number): Trigger {
    const groups: { word: string; span: Span; operands: { kind: string; text: string }[] }[] = [];
    for (const w of entry.words) {
      if (w.kind === "keyword")
        groups.push({ word: this.slice(w), span: { start: w.start, end: w.end }, operands: [] });
      else if (w.kind !== "count" && groups.length > 0) {
        const group = groups[groups.length - 1]!;
        group.operands.push({ kind: w.kind, text: this.slice(w) });
        group.span = { start: group.span.start, end: w.end };
      }
    }
    const [condition, ...actions] = groups;
    const operand = (group: (typeof groups)[number], kind: string): string =>
      group.operands.find((o) => o.kind === kind)?.text ?? "";
    return {
      entry: index,
      number: entry.number,
      word: condition?.word ?? "",
      operands: condition?.operands.map((o) => o.text) ?? [],
      span: condition?.span ?? entry.span,
      actions: actions.map((group) => {
        const isRelease = group.word === "ACTION_HERO_RELEASE";
        // The switch and the number may be written together ("G1"): the location word then holds both.
        const switchWord = operand(group, "switch");
        const location = operand(group, "location") || switchWord.slice(1);
        return {
          word: group.word,
          operands: group.operands.map((o) => o.text),
          span: group.span,
          release: isRelease
            ? {
                band: parseNumber(operand(group, "band")),
                switch: switchWord.slice(0, 1).toUpperCase(),
                location: parseNumber(location.replace(/^[GA]/i, "")),
              }
            : null,
          destroys: group.word === "ACTION_DESTROY_HERO_GATE" ? parseNumber(operand(group, "gate")) : null,
        };
      }),
    };
  }

  #addPoint(entity: Entity): void {
    if (entity.kind === "heart") this.hearts.push(entity);
    const i = this.entities.push(entity) - 1;
    this.#entityOfEntry.set(entity.entry, i);
    const row = this.#byRow.get(entity.rect.top);
    if (row) row.push(i);
    else this.#byRow.set(entity.rect.top, [i]);
  }

  #addRegion(entity: Entity): void {
    const i = this.entities.push(entity) - 1;
    this.#entityOfEntry.set(entity.entry, i);
    this.regions.push(i);
    if (!this.#regionByNumber.has(`${entity.kind} ${entity.number}`))
      this.#regionByNumber.set(`${entity.kind} ${entity.number}`, i);
  }
}

export const defaultPlayers: Players = { PH: 1, PN: 2, P1: 3, P2: 4, P3: 5, P4: 6 };

export function contains(rect: Rect, x: number, y: number): boolean {
  return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

/** A number as the compiler reads it: decimal, 0x hexadecimal, or octal with a leading 0. */
export function parseNumber(text: string): number {
  const match = /^([+-]?)(0[xX][0-9a-fA-F]+|0[0-7]*|[1-9]\d*)/.exec(text.trim());
  if (!match) return NaN;
  const digits = match[2]!;
  const value = /^0[xX]/.test(digits)
    ? parseInt(digits.slice(2), 16)
    : digits.length > 1 && digits[0] === "0"
      ? parseInt(digits, 8)
      : parseInt(digits, 10);
  return match[1] === "-" ? -value : value;
}
