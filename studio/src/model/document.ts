// The open map. Its text is the one source of truth: everything else here (the checker's
// diagnostics, the outline and what is derived from it) is an analysis of one version of that
// text, computed by the worker a moment after each change. Whoever shows the map listens for new
// analyses; whoever changes it calls setText. View state (zoom, layers, selection) lives
// elsewhere.
import type { Analysis } from "../worker/protocol";
import type { LibraryClient } from "../worker/client";
import { ByteIndex } from "../text/bytes";
import { MapModel, type Players } from "./map-model";

export interface Analysed {
  version: number;
  text: string;
  bytes: ByteIndex;
  analysis: Analysis;
  model: MapModel;
  /** Milliseconds from the change to the analysis, and the worker's share of it. */
  latency: number;
}

export type Listener = (analysed: Analysed) => void;

/** Milliseconds to wait after a change before checking, so that typing is not held up. */
export const CHECK_DELAY = 30;

export class MapDocument {
  readonly #library: LibraryClient;
  readonly #players: Players;
  readonly #listeners: Listener[] = [];
  #text = "";
  #version = 0;
  #changedAt = 0;
  #timer: ReturnType<typeof setTimeout> | null = null;
  /** The version being analysed by the worker, if any. */
  #running: number | null = null;
  #latest: Analysed | null = null;
  /** Where the map came from, for the page's title and the download's name. */
  source = "";

  constructor(library: LibraryClient, players: Players) {
    this.#library = library;
    this.#players = players;
  }

  get text(): string {
    return this.#text;
  }

  get version(): number {
    return this.#version;
  }

  /** The latest analysis, possibly of an earlier version of the text. */
  get latest(): Analysed | null {
    return this.#latest;
  }

  onAnalysed(listener: Listener): void {
    this.#listeners.push(listener);
  }

  /** A new text: `immediately` checks it now (a map just opened), else after CHECK_DELAY. */
  setText(text: string, immediately = false): void {
    this.#text = text;
    ++this.#version;
    this.#changedAt = performance.now();
    if (this.#timer !== null) clearTimeout(this.#timer);
    this.#timer = setTimeout(() => this.#analyse(), immediately ? 0 : CHECK_DELAY);
  }

  /** The analysis of the current text, once there is one. */
  whenCurrent(): Promise<Analysed> {
    return new Promise((resolve) => {
      if (this.#latest?.version === this.#version) return resolve(this.#latest);
      const listener: Listener = (analysed) => {
        if (analysed.version !== this.#version) return;
        this.#listeners.splice(this.#listeners.indexOf(listener), 1);
        resolve(analysed);
      };
      this.#listeners.push(listener);
    });
  }

  // One analysis at a time: a change while one runs waits for it, then the latest text is read.
  async #analyse(): Promise<void> {
    this.#timer = null;
    if (this.#running !== null) return;
    const version = this.#version;
    const text = this.#text;
    const changedAt = this.#changedAt;
    this.#running = version;
    try {
      const analysis = await this.#library.call("analyse", text);
      const bytes = new ByteIndex(text);
      const analysed: Analysed = {
        version,
        text,
        bytes,
        analysis,
        model: new MapModel(analysis.outline, analysis.check, text, bytes, this.#players),
        latency: performance.now() - changedAt,
      };
      this.#latest = analysed;
      for (const listener of [...this.#listeners]) listener(analysed);
    } finally {
      this.#running = null;
      if (this.#version !== version && this.#timer === null) this.#analyse();
    }
  }
}
