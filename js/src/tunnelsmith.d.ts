// Tunnelsmith's JavaScript interface: the level compiler and its tools as WebAssembly.

export type Severity = "error" | "warning" | "note";

export interface Problem {
  name: string;
  severity: Severity;
  /** Byte offset in the map text, or null for the map as a whole. */
  offset: number | null;
  message: string;
}

export interface LevelFile {
  name: string;
  bytes: Uint8Array;
}

export interface CompileResult {
  /** What the command-line compiler prints for the map, its banner and file list aside. */
  console: string;
  valid: boolean;
  problems: Problem[];
  /** Map, triggers, things, players, variables and level information; empty when not valid. */
  files: LevelFile[];
}

export interface Edit {
  start: number;
  end: number;
  replacement: string;
}

export interface Square {
  x: number;
  y: number;
}

export interface Note {
  message: string;
  start: number;
  end: number;
  /** From 1. */
  line: number;
  /** From 1, in bytes. */
  column: number;
  square?: Square;
}

export interface Diagnostic {
  id: string;
  severity: Severity;
  message: string;
  start: number;
  end: number;
  line: number;
  column: number;
  notes: Note[];
  fixes: Edit[];
  /** What the fixes do, as an editor offers them: "Set the count to 13"; empty without fixes. */
  fixTitle: string;
  suggestions: Edit[];
  square?: Square;
  afterFirstError: boolean;
}

export interface CheckResult {
  diagnostics: Diagnostic[];
  errors: number;
  warnings: number;
  /** Only when the module failed inside. */
  problems?: Problem[];
}

/** The inspector's JSON document of one level file (tunnelsmith-inspect --json). */
export interface Inspection {
  path: string;
  kind: string;
  length: number;
  wellFormed: boolean;
  chunks: unknown[];
  records: unknown[];
  map?: unknown;
  triggerTree?: unknown[];
  problems: { offset: number; message: string }[];
}

/** The inspector's --diff document. */
export interface Diff {
  a: { path: string; kind: string; problems: { offset: number; message: string }[] };
  b: { path: string; kind: string; problems: { offset: number; message: string }[] };
  identical: boolean;
  squaresChanged: number;
  byteRuns: number;
  differences: unknown[];
  /** "different-kinds" when the files could not be compared. */
  problems: Problem[];
}

export interface Finding {
  /** Index of the file in the compiler's order. */
  file: number;
  offset: number;
  message: string;
}

export interface Decompilation {
  /** The map text, UTF-8. */
  text: Uint8Array;
  /** The text compiles to the same six files, byte for byte. */
  exact: boolean;
  damaged: boolean;
  problems: Finding[];
}

export interface NamedValue {
  name: string;
  value: number;
}

export interface Vocabulary {
  terrains: NamedValue[];
  creatures: NamedValue[];
  objects: NamedValue[];
  doors: NamedValue[];
  traps: NamedValue[];
  rooms: NamedValue[];
  spells: NamedValue[];
  players: NamedValue[];
  levels: NamedValue[];
  /** The section keywords, in the order they are read. */
  sections: string[];
  /** The words that start a statement: hearts and gold, triggers, actions, scenario, EOF. */
  statements: { word: string; section: string; operands: string[]; summary: string }[];
}

/** Bytes [start, end) of the map text. */
export interface Span {
  start: number;
  end: number;
}

export type SectionName =
  | "header"
  | "grid"
  | "MAP_CODES"
  | "THINGS"
  | "CREATURES"
  | "DOORS"
  | "TRAPS"
  | "HEARTS_AND_GOLD"
  | "HERO_BANDS"
  | "AREAS"
  | "HERO_GATES"
  | "TRIGGERS"
  | "SCENARIO_DESCRIPTION";

export interface OutlineWord extends Span {
  /** What the reader read the word as: "keyword", "x", "y", "creature", "player", ... */
  kind: string;
}

export interface OutlineEntry {
  section: SectionName;
  /** From 1, within its section. */
  number: number;
  span: Span;
  words: OutlineWord[];
  /** The square a placement, heart centre or gate names. */
  square?: Square;
  /** The squares an entrance area covers, or a gate's extent on the grid. */
  covers?: { left: number; top: number; right: number; bottom: number };
}

export interface OutlineSection {
  section: SectionName;
  keyword: Span;
  span: Span;
  count: Span | null;
  firstEntry: number;
  entryCount: number;
}

export interface Outline {
  levelName: string;
  players: number;
  grid: {
    width: number;
    height: number;
    /** The map-drawing tool's format: two characters a square. */
    twoCharacters: boolean;
    rowStarts: number[];
    /** Each square's terrain code, row 0 first; null unless every row was read. */
    terrain: Uint32Array | null;
  };
  sections: OutlineSection[];
  entries: OutlineEntry[];
  /** Numbers in triggers naming a band, an area or a gate, and the entry they name. */
  references: { target: SectionName; number: number; span: Span; entry: number | null }[];
  /** Only when the module failed inside. */
  problems?: Problem[];
}

/** A string is encoded as UTF-8; a Uint8Array is taken as it is. */
export type Text = string | Uint8Array;

export interface Tunnelsmith {
  /** "major.minor" */
  readonly version: string;
  compile(text: Text): CompileResult;
  check(text: Text): CheckResult;
  /** `fixes`: check's diagnostics, or their fixes arrays. Gives the mended text. */
  applyFixes(text: Text, fixes: (Diagnostic | Edit[])[]): Uint8Array;
  inspect(bytes: Uint8Array): Inspection;
  diff(bytesA: Uint8Array, bytesB: Uint8Array): Diff;
  /** `files`: the six level files in the compiler's order, as compile gives them. */
  decompile(files: LevelFile[]): Decompilation;
  vocabulary(): Vocabulary;
  outline(text: Text): Outline;
}

export interface LoadOptions {
  /** The module's bytes, or the URL to fetch them from, instead of the file beside the glue. */
  wasm?: Uint8Array | ArrayBuffer | URL | string;
}

export function loadTunnelsmith(options?: LoadOptions): Promise<Tunnelsmith>;
