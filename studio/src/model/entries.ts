// The outline's entries packed into typed arrays, so that the worker hands them to the page
// without a copy: a map with 200,000 placements has a million words, which as objects would
// take the page seconds to receive. Everything else of the outline travels as it is.
import type { Outline, OutlineSection, SectionName, Span, Square } from "tunnelsmith";

const sectionNames: SectionName[] = [
  "header",
  "grid",
  "MAP_CODES",
  "THINGS",
  "CREATURES",
  "DOORS",
  "TRAPS",
  "HEARTS_AND_GOLD",
  "HERO_BANDS",
  "AREAS",
  "HERO_GATES",
  "TRIGGERS",
  "SCENARIO_DESCRIPTION",
];

/** Per entry: section, number, span start and end, square x and y, covers left, top, right, bottom, first word. */
const FIELDS = 11;
const NONE = -0x80000000;

export interface PackedOutline {
  levelName: string;
  players: number;
  grid: Outline["grid"];
  sections: OutlineSection[];
  references: Outline["references"];
  /** FIELDS numbers an entry, and one more row for the end of the words. */
  entries: Int32Array;
  /** Three numbers a word: its kind (into wordKinds), start and end. */
  words: Int32Array;
  wordKinds: string[];
  problems?: Outline["problems"];
}

export interface Word extends Span {
  kind: string;
}

/** Packs an outline (in the worker). */
export function packOutline(outline: Outline): PackedOutline {
  const list = outline.entries ?? [];
  const entries = new Int32Array((list.length + 1) * FIELDS);
  let wordCount = 0;
  for (const entry of list) wordCount += entry.words.length;
  const words = new Int32Array(wordCount * 3);
  const kinds = new Map<string, number>();
  let w = 0;
  list.forEach((entry, i) => {
    const at = i * FIELDS;
    entries[at] = sectionNames.indexOf(entry.section);
    entries[at + 1] = entry.number;
    entries[at + 2] = entry.span.start;
    entries[at + 3] = entry.span.end;
    entries[at + 4] = entry.square ? entry.square.x : NONE;
    entries[at + 5] = entry.square ? entry.square.y : NONE;
    entries[at + 6] = entry.covers ? entry.covers.left : NONE;
    entries[at + 7] = entry.covers ? entry.covers.top : NONE;
    entries[at + 8] = entry.covers ? entry.covers.right : NONE;
    entries[at + 9] = entry.covers ? entry.covers.bottom : NONE;
    entries[at + 10] = w;
    for (const word of entry.words) {
      let kind = kinds.get(word.kind);
      if (kind === undefined) kinds.set(word.kind, (kind = kinds.size));
      words[w * 3] = kind;
      words[w * 3 + 1] = word.start;
      words[w * 3 + 2] = word.end;
      ++w;
    }
  });
  entries[list.length * FIELDS + 10] = w;
  const packed: PackedOutline = {
    levelName: outline.levelName ?? "",
    players: outline.players ?? 0,
    grid: outline.grid ?? { width: 0, height: 0, twoCharacters: false, rowStarts: [], terrain: null },
    sections: outline.sections ?? [],
    references: outline.references ?? [],
    entries,
    words,
    wordKinds: [...kinds.keys()],
  };
  if (outline.problems) packed.problems = outline.problems;
  return packed;
}

/** The buffers of a packed outline, to transfer. */
export function transferablesOf(packed: PackedOutline): ArrayBuffer[] {
  const buffers = [packed.entries.buffer as ArrayBuffer, packed.words.buffer as ArrayBuffer];
  if (packed.grid.terrain) buffers.push(packed.grid.terrain.buffer as ArrayBuffer);
  return buffers;
}

/** Reads the packed entries (on the page). */
export class Entries {
  readonly #packed: PackedOutline;
  readonly length: number;

  constructor(packed: PackedOutline) {
    this.#packed = packed;
    this.length = packed.entries.length / FIELDS - 1;
  }

  section(i: number): SectionName {
    return sectionNames[this.#packed.entries[i * FIELDS]!]!;
  }

  number(i: number): number {
    return this.#packed.entries[i * FIELDS + 1]!;
  }

  span(i: number): Span {
    const e = this.#packed.entries;
    return { start: e[i * FIELDS + 2]!, end: e[i * FIELDS + 3]! };
  }

  start(i: number): number {
    return this.#packed.entries[i * FIELDS + 2]!;
  }

  end(i: number): number {
    return this.#packed.entries[i * FIELDS + 3]!;
  }

  square(i: number): Square | null {
    const e = this.#packed.entries;
    return e[i * FIELDS + 4] === NONE ? null : { x: e[i * FIELDS + 4]!, y: e[i * FIELDS + 5]! };
  }

  covers(i: number): { left: number; top: number; right: number; bottom: number } | null {
    const e = this.#packed.entries;
    if (e[i * FIELDS + 6] === NONE) return null;
    return { left: e[i * FIELDS + 6]!, top: e[i * FIELDS + 7]!, right: e[i * FIELDS + 8]!, bottom: e[i * FIELDS + 9]! };
  }

  words(i: number): Word[] {
    const { entries, words, wordKinds } = this.#packed;
    const found: Word[] = [];
    for (let w = entries[i * FIELDS + 10]!; w < entries[(i + 1) * FIELDS + 10]!; ++w) {
      found.push({ kind: wordKinds[words[w * 3]!]!, start: words[w * 3 + 1]!, end: words[w * 3 + 2]! });
    }
    return found;
  }
}
