// The open map. Its text is the one source of truth: everything else here is an analysis of one
// version of that text, made a moment after each change by two workers that each hold the
// library: the checker's diagnostics (quick, for the text pane and the problem list) and the
// outline, from which the map model is derived (for the canvas and the trigger panel). On a map
// with hundreds of thousands of entries the outline takes seconds; in its own worker it never
// holds up the diagnostics of the next change. The checker takes the latest text whenever it is
// free; the outliner the latest text whose diagnostics are out, so that the two do not share the
// processor while the designer waits for the diagnostics. A map model is made from the two
// halves of one version. Whoever shows the map
// listens; whoever changes it calls setText. View state (zoom, layers, selection) lives elsewhere.
import type { CheckResult } from "tunnelsmith";

import type { LibraryClient } from "../worker/client";
import { ByteIndex } from "../text/bytes";
import type { PackedOutline } from "./entries";
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

/**
 * Milliseconds to wait after a change in the middle of a gesture (a brush stroke): each check of
 * a large map keeps the checker busy while the stroke goes on, and the stroke's last change would
 * wait for it. The stroke's end checks at once; a pause this long in the stroke does too.
 */
export const GESTURE_CHECK_DELAY = 250;

export class MapDocument {
  readonly #checker: LibraryClient;
  readonly #outliner: LibraryClient;
  readonly #players: Players;
  readonly #checkedListeners: ((checked: Checked) => void)[] = [];
  readonly #analysedListeners: ((analysed: Analysed) => void)[] = [];
  /** The text, or what makes it when it is first needed (a large map's text is made once per check, not per change). */
  #text: string | (() => string) = "";
  #version = 0;
  #inGesture = false;
  #changedAt = 0;
  #timer: ReturnType<typeof setTimeout> | null = null;
  #checking = false;
  #outlining = false;
  /** The versions each worker last read. */
  #checkedVersion = 0;
  #outlinedVersion = 0;
  /** Results waiting for their other half, by version. */
  readonly #checks = new Map<number, Checked>();
  readonly #outlines = new Map<number, { outline: PackedOutline; time: number }>();
  #checked: Checked | null = null;
  #analysed: Analysed | null = null;
  /** Where the map came from, for the page's title and messages. */
  source = "";

  constructor(checker: LibraryClient, outliner: LibraryClient, players: Players) {
    this.#checker = checker;
    this.#outliner = outliner;
    this.#players = players;
  }

  get text(): string {
    if (typeof this.#text === "function") this.#text = this.#text();
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

  /**
   * A new text (or what makes it): `immediately` reads it now (a map just opened), else after
   * CHECK_DELAY, or GESTURE_CHECK_DELAY in a gesture.
   */
  setText(text: string | (() => string), immediately = false): void {
    performance.mark("studio:change");
    this.#text = text;
    ++this.#version;
    this.#changedAt = performance.now();
    this.#checkAfter(immediately ? 0 : this.#inGesture ? GESTURE_CHECK_DELAY : CHECK_DELAY);
  }

  /** A gesture begins (a brush stroke): its changes wait for its end, or a pause, to be checked. */
  beginGesture(): void {
    this.#inGesture = true;
  }

  /** The gesture ended: a change waiting to be checked is sent to the checker now. */
  endGesture(): void {
    this.#inGesture = false;
    if (this.#timer === null) return;
    clearTimeout(this.#timer);
    this.#timer = null;
    void this.#check();
  }

  #checkAfter(delay: number): void {
    if (this.#timer !== null) clearTimeout(this.#timer);
    this.#timer = setTimeout(() => {
      this.#timer = null;
      void this.#check();
    }, delay);
  }

  async #check(): Promise<void> {
    if (this.#checking) return;
    this.#checking = true;
    try {
      while (this.#checkedVersion !== this.#version) {
        const version = this.#version;
        const text = this.text;
        const changedAt = this.#changedAt;
        performance.mark("studio:check-sent");
        const { check, milliseconds } = await this.#checker.call("check", text);
        performance.mark("studio:check-received");
        this.#checkedVersion = version;
        const checked: Checked = {
          version,
          text,
          bytes: new ByteIndex(text),
          check,
          latency: performance.now() - changedAt,
          checkTime: milliseconds,
        };
        this.#checked = checked;
        this.#checks.set(version, checked);
        for (const listener of this.#checkedListeners) listener(checked);
        this.#pair(version);
        void this.#outline();
      }
    } finally {
      this.#checking = false;
    }
  }

  // Outlines the latest text whose diagnostics are out (never one the checker has not read).
  async #outline(): Promise<void> {
    if (this.#outlining) return;
    this.#outlining = true;
    try {
      while (this.#checked !== null && this.#outlinedVersion !== this.#checked.version) {
        const { version, text } = this.#checked;
        const { outline, milliseconds } = await this.#outliner.call("outline", text);
        this.#outlinedVersion = version;
        this.#outlines.set(version, { outline, time: milliseconds });
        this.#pair(version);
      }
    } finally {
      this.#outlining = false;
    }
  }

  // Both halves of one version: its map model. Halves of older versions are dropped.
  #pair(version: number): void {
    const checked = this.#checks.get(version);
    const outlined = this.#outlines.get(version);
    if (!checked || !outlined || (this.#analysed !== null && this.#analysed.version >= version)) return;
    for (const map of [this.#checks, this.#outlines]) for (const v of map.keys()) if (v <= version) map.delete(v);
    const model = new MapModel(outlined.outline, checked.check, checked.text, checked.bytes, this.#players);
    const analysed: Analysed = { ...checked, model, outlineTime: outlined.time };
    this.#analysed = analysed;
    for (const listener of this.#analysedListeners) listener(analysed);
  }
}
