// The open map. Its text is the one source of truth: everything else here is an analysis of one
// version of that text, made by the worker a moment after each change: first the checker's
// diagnostics (quick, for the text pane and the problem list), then the outline and the map
// model derived from it (for the canvas and the trigger panel), which on a map with hundreds of
// thousands of entries takes longer. Whoever shows the map listens; whoever changes it calls
// setText. View state (zoom, layers, selection) lives elsewhere.
import type { CheckResult } from "tunnelsmith";

import type { LibraryClient } from "../worker/client";
import { ByteIndex } from "../text/bytes";
import { MapModel, type Players } from "./map-model";

export interface Checked {
  version: number;
  text: string;
  bytes: ByteIndex;
  check: CheckResult;
  /** Milliseconds from the change to the diagnostics, and the checker's share. */
  latency: number;
  checkTime: number;
}

export interface Analysed extends Checked {
  model: MapModel;
  outlineTime: number;
}

/** Milliseconds to wait after a change before checking, so that typing is not held up. */
export const CHECK_DELAY = 10;

export class MapDocument {
  readonly #library: LibraryClient;
  readonly #players: Players;
  readonly #checkedListeners: ((checked: Checked) => void)[] = [];
  readonly #analysedListeners: ((analysed: Analysed) => void)[] = [];
  #text = "";
  #version = 0;
  #changedAt = 0;
  #timer: ReturnType<typeof setTimeout> | null = null;
  #running = false;
  #checked: Checked | null = null;
  #analysed: Analysed | null = null;
  /** Where the map came from, for the page's title and messages. */
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

  /** The latest diagnostics, possibly of an earlier version of the text. */
  get checked(): Checked | null {
    return this.#checked;
  }

  /** The latest full analysis, possibly of an earlier version of the text. */
  get analysed(): Analysed | null {
    return this.#analysed;
  }

  onChecked(listener: (checked: Checked) => void): void {
    this.#checkedListeners.push(listener);
  }

  onAnalysed(listener: (analysed: Analysed) => void): void {
    this.#analysedListeners.push(listener);
  }

  /** A new text: `immediately` checks it now (a map just opened), else after CHECK_DELAY. */
  setText(text: string, immediately = false): void {
    performance.mark("studio:change");
    this.#text = text;
    ++this.#version;
    this.#changedAt = performance.now();
    if (this.#timer !== null) clearTimeout(this.#timer);
    this.#timer = setTimeout(() => void this.#analyse(), immediately ? 0 : CHECK_DELAY);
  }

  // One analysis at a time: a change while one runs waits for it, then the latest text is read.
  // The outline of a text that changed while it was being checked is not made.
  async #analyse(): Promise<void> {
    this.#timer = null;
    if (this.#running) return;
    this.#running = true;
    const version = this.#version;
    const text = this.#text;
    const changedAt = this.#changedAt;
    try {
      performance.mark("studio:check-sent");
      const { check, milliseconds: checkTime } = await this.#library.call("check", text);
      performance.mark("studio:check-received");
      const checked: Checked = { version, text, bytes: new ByteIndex(text), check, latency: performance.now() - changedAt, checkTime };
      this.#checked = checked;
      for (const listener of this.#checkedListeners) listener(checked);
      if (this.#version !== version) return;
      const { outline, milliseconds: outlineTime } = await this.#library.call("outline", text);
      const model = new MapModel(outline, check, text, checked.bytes, this.#players);
      const analysed: Analysed = { ...checked, model, outlineTime };
      this.#analysed = analysed;
      for (const listener of this.#analysedListeners) listener(analysed);
    } finally {
      this.#running = false;
      if (this.#version !== version && this.#timer === null) void this.#analyse();
    }
  }
}
