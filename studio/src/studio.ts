// Tunnelsmith Studio's page, once the library is ready: it wires the text pane, the map canvas
// and the panels to one MapDocument (the text and its latest analysis) and keeps the view state
// (zoom, layers, selection) in the MapView. The library runs in workers.
import { zipSync } from "fflate";
import type { Diagnostic, Edit, LevelFile, Vocabulary } from "tunnelsmith";

import { EditRefused, Painter, Terrains, editText, floodSquares, squaresOf, type MapEdit } from "./edit/engine";
import { newLevelProblem, newLevelText } from "./edit/new-level";
import { MapEditor } from "./editor/editor";
import { MapDocument, type Analysed, type Checked } from "./model/document";
import type { Entity, MapModel, Rect } from "./model/map-model";
import { DrawPanel, toolList, type ToolId } from "./ui/draw-panel";
import { renderBands, renderProperties, renderScenario, renderTriggerForms } from "./ui/forms";
import { MapKeeper, saveText, type Kept, type WritableHandle } from "./ui/keep";
import { describeSquare } from "./ui/describe";
import { byId, el, fill } from "./ui/dom";
import { fetchMap, pickFiles, readPicked, type Opened } from "./ui/open";
import { actionText, conditionText, renderInspection, renderProblems, renderTriggers } from "./ui/panels";
import { say } from "./ui/status";
import { layerList, pick } from "./view/layers";
import { MapView, type Theme, type ToolHooks } from "./view/map-view";
import { Palette, type Rgb } from "./view/palette";
import { fileText, lineBreakOf, pageText, type LineBreak } from "./text/line-breaks";
import type { Square } from "./view/viewport";
import type { LibraryClient } from "./worker/client";

/** Milliseconds from a change to keeping the map in the browser's storage (later changes join it). */
const KEEP_DELAY = 300;

function theme(): Theme {
  const style = getComputedStyle(document.documentElement);
  const rgb = (name: string): Rgb => {
    const parts = style.getPropertyValue(name).trim().split(/[ ,]+/).map(Number);
    return [parts[0] ?? 0, parts[1] ?? 0, parts[2] ?? 0];
  };
  return {
    background: rgb("--canvas-background"),
    selection: style.getPropertyValue("--selection-mark").trim(),
    hover: style.getPropertyValue("--cursor-mark").trim(),
    error: style.getPropertyValue("--error").trim(),
    warning: style.getPropertyValue("--warning").trim(),
  };
}

function download(name: string, bytes: Uint8Array, type: string): void {
  const url = URL.createObjectURL(new Blob([bytes as BlobPart], { type }));
  const link = el("a", { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

/** The squares on a line from one square to another, both included (a brush stroke between two pointer events). */
function lineSquares(a: Square, b: Square): Square[] {
  const steps = Math.max(Math.abs(b.x - a.x), Math.abs(b.y - a.y));
  const squares: Square[] = [];
  for (let i = 0; i <= steps; ++i) {
    const t = steps === 0 ? 0 : i / steps;
    squares.push({ x: Math.round(a.x + (b.x - a.x) * t), y: Math.round(a.y + (b.y - a.y) * t) });
  }
  return squares;
}

function rectOf(a: Square, b: Square): Rect {
  return { left: Math.min(a.x, b.x), top: Math.min(a.y, b.y), right: Math.max(a.x, b.x), bottom: Math.max(a.y, b.y) };
}

/** A brush stroke: its painter (once the version it began on is analysed), and the squares waiting for it. */
interface Stroke {
  painter: Painter | null;
  waiting: Square[];
  last: Square;
  started: number;
  first: boolean;
}

export class Studio {
  readonly #library: LibraryClient;
  readonly #vocabulary: Vocabulary;
  readonly #terrains: Terrains;
  readonly #draw: DrawPanel;
  readonly keeper = new MapKeeper();
  /** The text as last opened or saved, and the file it may be written back to. */
  #savedText = "";
  #handle: WritableHandle | null = null;
  /** The line break of the file the map came from, which the page's text ("\n" alone) gets back when it leaves. */
  #lineBreak: LineBreak = "\n";
  /** Work that needs the analysis of the current text, waiting for it. */
  readonly #waiting: ((model: MapModel) => void)[] = [];
  #stroke: Stroke | null = null;
  #keepTimer: ReturnType<typeof setTimeout> | null = null;
  /** Where a rectangle or a move began. */
  #anchor: Square | null = null;
  #moving: Entity | null = null;
  /** The selected entity, found again in each analysis by its kind and number. */
  #selected: { kind: Entity["kind"]; number: number } | null = null;
  readonly #document: MapDocument;
  readonly #editor: MapEditor;
  readonly #view: MapView;
  readonly #terrainNames = new Map<number, string>();
  /** The next analysis fits the whole map in view (a map was opened). */
  #fitNext = true;
  /** The level last built, for Inspect. */
  #built: { version: number; files: LevelFile[] } | null = null;

  /** `library` checks, builds and inspects; `outliner` outlines the map for the canvas. */
  constructor(library: LibraryClient, outliner: LibraryClient, vocabulary: Vocabulary) {
    this.#library = library;
    this.#vocabulary = vocabulary;
    this.#terrains = new Terrains(vocabulary.terrains);
    for (const { name, value } of vocabulary.terrains)
      if (!this.#terrainNames.has(value)) this.#terrainNames.set(value, name);
    const players = Object.fromEntries(vocabulary.players.map((p) => [p.name, p.value]));
    this.#document = new MapDocument(library, outliner, players);
    this.#editor = new MapEditor(byId("text-pane"), "editor.css", vocabulary, {
      changed: (text) => {
        this.#document.setText(text);
        this.#keepSoon();
        say("Checking…", true);
      },
      cursor: (index) => this.#cursorMoved(index),
      fix: (diagnostic, edits) => this.#applyFix(diagnostic, edits),
    });
    const palette = new Palette(vocabulary.terrains);
    this.#draw = new DrawPanel(byId("tools"), byId("draw"), vocabulary, palette, () => this.#toolChanged());
    this.#view = new MapView(
      byId<HTMLCanvasElement>("map"),
      palette,
      theme(),
      {
        hover: (square) => this.#hover(square),
        choose: (square, entity) => this.#choose(square, entity),
      },
      [vocabulary.creatures, vocabulary.objects, vocabulary.doors, vocabulary.traps].map((list) =>
        list.map((v) => v.name),
      ),
    );
    this.#view.tool = this.#toolHooks();
    this.#document.onChecked((checked) => this.#checked(checked));
    this.#document.onAnalysed((analysed) => this.#analysed(analysed));
    this.#wire();
  }

  // ---- Opening --------------------------------------------------------------------------

  async #openExample(name: string): Promise<void> {
    say(`Opening ${name}…`, true);
    await this.open(await fetchMap(`examples/${encodeURIComponent(name)}`, location.href));
  }

  async open(opened: Opened, handle: WritableHandle | null = null, unsaved = false): Promise<void> {
    if (opened.kind === "error") {
      say(opened.message);
      return;
    }
    let text: string;
    if (opened.kind === "level") {
      say(`Decompiling ${opened.name}…`, true);
      const result = await this.#library.call("decompile", opened.files);
      text = result.text;
      const findings = result.problems.map(
        (p) => `${opened.files[p.file]?.name ?? p.file} at ${p.offset}: ${p.message}`,
      );
      this.#showConsole(
        `Decompiled ${opened.name}: ${result.exact ? "the text compiles to the same six files" : "the text does not give back the same six files"}${result.damaged ? " (a file is damaged)" : ""}\n${findings.join("\n")}`,
      );
    } else {
      text = opened.text;
    }
    // The page holds the text with "\n" alone between lines, as the text pane does, so that the
    // analyses' offsets are the pane's; the file's line break comes back when the text leaves.
    this.#lineBreak = lineBreakOf(text);
    text = pageText(text);
    const large = text.length > 1_000_000;
    say(large ? `Reading ${opened.name} (${(text.length / 1e6).toFixed(1)} MB)…` : `Reading ${opened.name}…`, true);
    performance.mark("studio:map-read");
    this.#document.source = opened.name;
    this.#showTab("problems");
    this.#fitNext = true;
    this.#built = null;
    this.#selected = null;
    this.#waiting.length = 0;
    this.#handle = opened.kind === "text" ? handle : null;
    this.#savedText = unsaved ? "" : text;
    this.#editor.setText(text);
    performance.mark("studio:text-shown");
    this.#document.setText(text, true);
    this.#showUnsaved();
  }

  // ---- The analysis ---------------------------------------------------------------------

  /** The diagnostics of a version of the text: into the text pane, the problem list and the status. */
  #checked(checked: Checked): void {
    if (checked.version !== this.#document.version) return;
    const { check } = checked;
    this.#editor.showDiagnostics(check.diagnostics ?? [], checked.bytes);
    renderProblems(byId("problems"), check, {
      show: (d) => this.#showDiagnostic(d),
      fix: (d, edits) => this.#applyFix(d, edits),
    });
    byId("problem-count").textContent = String((check.diagnostics ?? []).filter((d) => d.severity !== "note").length);
    const { errors, warnings } = check;
    say(
      `${this.#document.source}: ${errors} error${errors === 1 ? "" : "s"}, ${warnings} warning${warnings === 1 ? "" : "s"} — checked in ${Math.round(checked.checkTime)} ms`,
      true,
    );
    document.body.dataset.diagnosed = String(checked.version);
    performance.mark("studio:diagnostics", { detail: { version: checked.version, check: checked.checkTime } });
  }

  /** The map model of a version of the text: onto the canvas and into the trigger panel. */
  #analysed(analysed: Analysed): void {
    const current = analysed.version === this.#document.version;
    const { model } = analysed;
    // A text whose grid cannot be read (an error above it) keeps the map last drawn in view,
    // marked as such, rather than emptying the canvas at each keystroke.
    const readable = model.outline.grid.terrain !== null;
    const note = byId("map-note");
    if (readable || this.#fitNext || !this.#view.model) {
      this.#view.setModel(model, this.#fitNext);
      this.#fitNext = false;
      note.hidden = readable;
      note.textContent = readable ? "" : "The grid could not be read: see Problems.";
    } else {
      note.hidden = false;
      note.textContent = "The grid could not be read: the map as it last was. See Problems.";
    }
    byId("level-name").textContent = model.outline.levelName;
    document.title = `${model.outline.levelName || this.#document.source} — Tunnelsmith Studio`;
    renderTriggers(byId("triggers"), model, {
      showTrigger: (trigger) => {
        this.#select(
          trigger.span,
          trigger.word === "TRIGGER_CONTROL_AREA" ? this.#rectsOf(model.area(Number(trigger.operands[1]))) : [],
          true,
        );
        this.#hoverText([`${trigger.word} ${trigger.operands.join(" ")}: fires ${conditionText(trigger)}`]);
      },
      showAction: (trigger, action) => {
        const place = action.release
          ? action.release.switch === "G"
            ? model.gate(action.release.location)
            : model.area(action.release.location)
          : action.destroys !== null
            ? model.gate(action.destroys)
            : null;
        this.#select(action.span, this.#rectsOf(place), true);
        this.#hoverText([
          `${action.word} ${action.operands.join(" ")}: ${actionText(model, action)}, ${conditionText(trigger)}`,
        ]);
      },
    });
    this.#draw.setMap(model.outline.players, model.outline.grid.twoCharacters);
    this.#renderForms(model);
    if (current) {
      for (const work of this.#waiting.splice(0)) work(model);
      const { errors, warnings } = model.check;
      say(
        `${this.#document.source}: ${errors} error${errors === 1 ? "" : "s"}, ${warnings} warning${warnings === 1 ? "" : "s"} — checked in ${Math.round(analysed.checkTime)} ms, outlined in ${Math.round(analysed.outlineTime)} ms`,
      );
      document.body.dataset.checked = String(analysed.version);
      this.#cursorMoved(this.#editor.view.state.selection.main.head);
    }
  }

  #rectsOf(entity: Entity | null): Rect[] {
    return entity ? [entity.rect] : [];
  }

  // ---- Linking text and map -------------------------------------------------------------

  /** Selects a span in the text and highlights squares on the map. */
  #select(span: { start: number; end: number }, rects: Rect[], focusText: boolean): void {
    const latest = this.#document.analysed;
    if (!latest || latest.version !== this.#document.version) return;
    this.#editor.select(span.start, span.end, latest.bytes, focusText);
    this.#view.setSelection(rects, true);
  }

  #cursorMoved(index: number): void {
    const latest = this.#document.analysed;
    if (!latest || latest.version !== this.#document.version) return;
    const { model, bytes } = latest;
    const offset = bytes.toByte(index);
    const entry = model.entryAt(offset);
    const entity = entry === null ? null : model.entityOfEntry(entry);
    if (entity) {
      this.#view.setSelection([entity.rect], true);
      return;
    }
    const square = model.squareAtOffset(offset);
    if (square) {
      this.#view.setSelection([{ left: square.x, top: square.y, right: square.x, bottom: square.y }], true);
      return;
    }
    this.#view.setSelection([], false);
  }

  #choose(square: Square, entity: Entity | null): void {
    const model = this.#view.model;
    if (!model) return;
    this.#selected = entity ? { kind: entity.kind, number: entity.number } : null;
    this.#renderProperties(model);
    const span = entity ? model.entries.span(entity.entry) : model.squareSpan(square.x, square.y);
    if (span)
      this.#select(
        span,
        entity ? [entity.rect] : [{ left: square.x, top: square.y, right: square.x, bottom: square.y }],
        false,
      );
  }

  #hover(square: Square | null): void {
    const model = this.#view.model;
    if (!model || !square) {
      this.#hoverText([]);
      return;
    }
    this.#hoverText(describeSquare(model, square.x, square.y, this.#terrainNames, this.#view.diagnosticsAt(square)));
  }

  #hoverText(lines: string[]): void {
    fill(byId("hover"), ...lines.map((line) => el("div", {}, line)));
  }

  #showDiagnostic(d: Diagnostic): void {
    const checked = this.#document.checked;
    if (!checked || checked.version !== this.#document.version) return;
    this.#editor.select(d.start, d.end, checked.bytes, true);
    const model = this.#document.analysed?.version === checked.version ? this.#document.analysed.model : null;
    if (model) this.#view.setSelection(model.diagnosticRects(d), true);
  }

  #applyFix(_diagnostic: Diagnostic, edits: Edit[]): void {
    const latest = this.#document.checked;
    if (!latest || latest.version !== this.#document.version) {
      say("The map changed since it was checked: try the fix again in a moment.");
      return;
    }
    const changes = edits.map((e) => ({
      from: latest.bytes.toIndex(e.start),
      to: latest.bytes.toIndex(e.end),
      insert: e.replacement,
    }));
    this.#editor.view.dispatch({ changes, userEvent: "input.fix" });
  }

  // ---- Building and inspecting ----------------------------------------------------------

  #showConsole(text: string): void {
    byId("console-output").textContent = text;
    this.#showTab("console");
  }

  async #build(): Promise<LevelFile[] | null> {
    const version = this.#document.version;
    say("Building…", true);
    const result = await this.#library.call("compile", fileText(this.#document.text, this.#lineBreak));
    const produced = result.files.map((f) => `produced file : ${f.name}`).join("\n");
    // The console holds the compiler's messages; the problems say the same as values, and are
    // shown only when the console is empty (a failure inside the module).
    const output = result.console.trimEnd() || result.problems.map((p) => `${p.severity}: ${p.message}`).join("\n");
    this.#showConsole([output, produced].filter((s) => s !== "").join("\n") || "(no output)");
    if (!result.valid) {
      say("Not built: the compiler rejected the map (see the console).");
      return null;
    }
    this.#built = { version, files: result.files };
    return result.files;
  }

  async #buildAndDownload(): Promise<void> {
    const files = await this.#build();
    if (!files) return;
    const zip = zipSync(Object.fromEntries(files.map((f) => [f.name, f.bytes])), { level: 6 });
    const level = (files[0]?.name ?? "level").replace(/Map\.kld$/, "");
    download(`${level}.zip`, zip, "application/zip");
    say(`Built ${level}: ${files.length} files, downloaded as ${level}.zip`);
  }

  async #inspect(): Promise<void> {
    const files = this.#built?.version === this.#document.version ? this.#built.files : await this.#build();
    if (!files) return;
    const select = byId<HTMLSelectElement>("inspect-file");
    fill(select, ...files.map((f, i) => el("option", { value: i }, f.name)));
    const show = async (): Promise<void> => {
      const file = files[Number(select.value)]!;
      say(`Inspecting ${file.name}…`, true);
      const inspection = await this.#library.call("inspect", file.bytes);
      renderInspection(byId("inspection"), file, inspection);
      say(`Inspected ${file.name}`);
    };
    select.onchange = () => void show();
    this.#showTab("inspect");
    await show();
  }

  // ---- Editing ---------------------------------------------------------------------------

  /** The analysis of the current text, or null while it is being made. */
  #current(): MapModel | null {
    const latest = this.#document.analysed;
    return latest && latest.version === this.#document.version ? latest.model : null;
  }

  /** Runs `work` on the analysis of the current text: now, or as soon as it is made. */
  #whenCurrent(work: (model: MapModel) => void): void {
    const model = this.#current();
    if (model) work(model);
    else this.#waiting.push(work);
  }

  /** One designer's change: into the text, as one step of the history. */
  edit(edit: MapEdit): void {
    this.#whenCurrent((model) => {
      try {
        this.#editor.apply(editText(model, this.#terrains, edit));
      } catch (error) {
        if (!(error instanceof EditRefused)) throw error;
        say(`Not changed: ${error.message}.`);
      }
    });
  }

  #toolChanged(): void {
    this.#view.setPreview(null);
    document.body.dataset.tool = this.#draw.tool;
  }

  #strokeSquares(squares: Square[]): void {
    const stroke = this.#stroke;
    if (!stroke) return;
    if (!stroke.painter) {
      stroke.waiting.push(...squares);
      return;
    }
    try {
      const changes = stroke.painter.paint(squares);
      this.#view.paint(squares, stroke.painter.terrainCode);
      if (this.#editor.apply(changes, { started: stroke.started, first: stroke.first })) stroke.first = false;
    } catch (error) {
      if (!(error instanceof EditRefused)) throw error;
      say(`Not painted: ${error.message}.`);
    }
  }

  /** What the drawing tools do with the pointer and the keyboard on the canvas. */
  #toolHooks(): ToolHooks {
    return {
      down: (square, keyboard) => {
        const tool = this.#draw.tool;
        const model = this.#view.model;
        switch (tool) {
          case "select": {
            if (keyboard || !model) return false;
            const entity = pick(model.entitiesAt(square.x, square.y), this.#view.layers);
            if (!entity || entity.kind === "gate" || entity.kind === "area") return false;
            this.#choose(square, entity);
            this.#moving = entity;
            this.#anchor = square;
            return true;
          }
          case "brush": {
            const terrain = this.#draw.terrain;
            const stroke: Stroke = { painter: null, waiting: [], last: square, started: Date.now(), first: true };
            this.#stroke = stroke;
            if (!keyboard) this.#document.beginGesture();
            this.#whenCurrent((current) => {
              try {
                stroke.painter = new Painter(current, this.#terrains, terrain);
              } catch (error) {
                if (!(error instanceof EditRefused)) throw error;
                say(`Not painted: ${error.message}.`);
                return;
              }
              const waiting = stroke.waiting.splice(0);
              if (this.#stroke === stroke) this.#strokeSquares(waiting);
              else {
                // The stroke ended before its version was analysed: its squares all at once.
                this.#stroke = stroke;
                this.#strokeSquares(waiting);
                this.#stroke = null;
              }
            });
            this.#strokeSquares([square]);
            return keyboard ? "done" : true;
          }
          case "rectangle":
          case "gate":
          case "area":
            this.#anchor = square;
            this.#view.setPreview(rectOf(square, square));
            return true;
          case "fill": {
            const terrain = this.#draw.terrain;
            this.#whenCurrent((current) =>
              this.edit({ kind: "paint", terrain, squares: floodSquares(current, square) }),
            );
            return "done";
          }
          case "place":
            this.edit({ kind: "place", ...this.#draw.place, x: square.x, y: square.y });
            return "done";
          case "heart":
            this.edit({ kind: "heart", keeper: this.#draw.keeper, x: square.x, y: square.y });
            return "done";
        }
      },
      move: (square) => {
        const tool = this.#draw.tool;
        if (tool === "brush" && this.#stroke) {
          const line = lineSquares(this.#stroke.last, square);
          this.#stroke.last = square;
          this.#strokeSquares(line);
        } else if (this.#anchor && tool !== "select") {
          this.#view.setPreview(rectOf(this.#anchor, square));
        } else if (this.#moving) {
          this.#view.setPreview(rectOf(square, square));
        }
      },
      up: (square) => {
        const tool = this.#draw.tool;
        const anchor = this.#anchor;
        this.#anchor = null;
        this.#view.setPreview(null);
        if (tool === "brush") {
          this.#document.endGesture();
          if (this.#stroke?.painter || this.#stroke?.waiting.length === 0) this.#stroke = null;
          else if (this.#stroke) this.#stroke = { ...this.#stroke };
          return;
        }
        if (tool === "select") {
          const moving = this.#moving;
          this.#moving = null;
          if (!moving || !anchor || (square.x === anchor.x && square.y === anchor.y)) return;
          const model = this.#current() ?? this.#view.model;
          if (!model) return;
          if (moving.kind === "heart") {
            this.edit({ kind: "heart", keeper: moving.number, x: square.x, y: square.y });
            return;
          }
          const words = model.entries.words(moving.entry);
          const values: Record<number, string> = {};
          words.forEach((w, i) => {
            if (w.kind === "x" && !(i in values)) values[i] = String(square.x);
            if (w.kind === "y" && !(i in values)) values[i] = String(square.y);
          });
          this.edit({ kind: "words", entry: moving.entry, values });
          return;
        }
        if (!anchor) return;
        const rect = rectOf(anchor, square);
        if (tool === "rectangle") {
          const terrain = this.#draw.terrain;
          this.#whenCurrent((model) =>
            this.edit({ kind: "paint", terrain, squares: squaresOf(rect, model.width, model.height) }),
          );
        } else if (tool === "gate") this.edit({ kind: "gate", terrain: this.#draw.gateTerrain, rect });
        else if (tool === "area") this.edit({ kind: "area", rect });
      },
      remove: () => this.#removeSelected(),
    };
  }

  #removeSelected(): void {
    const entity = this.#selectedEntity(this.#view.model);
    if (!entity || entity.kind === "heart") return;
    this.#selected = null;
    this.edit({ kind: "remove", entry: entity.entry });
  }

  #selectedEntity(model: MapModel | null): Entity | null {
    const selected = this.#selected;
    if (!model || !selected) return null;
    return model.entities.find((e) => e.kind === selected.kind && e.number === selected.number) ?? null;
  }

  #renderProperties(model: MapModel): void {
    renderProperties(byId("properties"), model, this.#selectedEntity(model), this.#vocabulary, (e) => this.edit(e));
  }

  #renderForms(model: MapModel): void {
    const edit = (e: MapEdit): void => this.edit(e);
    this.#renderProperties(model);
    renderBands(byId("bands"), model, this.#vocabulary, edit);
    renderTriggerForms(byId("trigger-forms"), model, this.#vocabulary, edit);
    renderScenario(byId("scenario"), model, this.#vocabulary, edit);
  }

  // ---- Keeping and saving -----------------------------------------------------------------

  get unsaved(): boolean {
    return this.#document.text !== this.#savedText;
  }

  #showUnsaved(unsaved = this.unsaved): void {
    document.body.toggleAttribute("data-unsaved", unsaved);
    byId("save").textContent = unsaved ? "Save•" : "Save";
  }

  /**
   * After a change: the map is shown as changed at once, and kept a moment later, when a brush
   * stroke's or a typist's next changes have joined it, so that a large map's text is not
   * written to the browser's storage at each of them. Kept at once when the page is hidden.
   */
  #keepSoon(): void {
    if (!document.body.hasAttribute("data-unsaved")) this.#showUnsaved(true);
    this.#keepTimer ??= setTimeout(() => this.#keepNow(), KEEP_DELAY);
  }

  #keepNow(): void {
    if (this.#keepTimer !== null) clearTimeout(this.#keepTimer);
    this.#keepTimer = null;
    const text = this.#document.text;
    const unsaved = text !== this.#savedText;
    void this.keeper.keep({
      text,
      lineBreak: this.#lineBreak,
      source: this.#document.source,
      unsaved,
      time: Date.now(),
    });
    this.#showUnsaved(unsaved);
  }

  async #save(): Promise<void> {
    const text = this.#document.text;
    const name = /\.txt$/i.test(this.#document.source)
      ? this.#document.source
      : `${this.#current()?.outline.levelName || "map"}.txt`;
    try {
      const how = await saveText(fileText(text, this.#lineBreak), name, this.#handle);
      this.#savedText = text;
      await this.keeper.keep({
        text,
        lineBreak: this.#lineBreak,
        source: this.#document.source,
        unsaved: false,
        time: Date.now(),
      });
      this.#showUnsaved();
      say(how === "written" ? `Saved ${this.#handle?.name ?? name}.` : `Saved: downloaded ${name}.`);
    } catch (error) {
      say(`Not saved: ${(error as Error).message}`);
    }
  }

  /** After a reload or a crash: offers the map the page held, if it had unsaved changes. */
  offerRestore(kept: Kept | null): void {
    if (!kept || !kept.unsaved || kept.text === this.#document.text) return;
    const banner = byId("restore");
    byId("restore-text").textContent =
      `${kept.source || "A map"} had unsaved changes when the page was last closed (${new Date(kept.time).toLocaleString()}).`;
    banner.hidden = false;
    byId("restore-yes").onclick = () => {
      banner.hidden = true;
      const text = fileText(kept.text, kept.lineBreak ?? "\n");
      void this.open({ kind: "text", name: kept.source, text }, null, true).then(() =>
        this.keeper.keep({ ...kept, time: Date.now() }),
      );
    };
    byId("restore-no").onclick = () => {
      banner.hidden = true;
      void this.keeper.keep({
        text: this.#document.text,
        lineBreak: this.#lineBreak,
        source: this.#document.source,
        unsaved: false,
        time: Date.now(),
      });
    };
    byId<HTMLButtonElement>("restore-yes").focus();
  }

  #newLevel(): void {
    const dialog = byId<HTMLDialogElement>("new-dialog");
    const problem = byId("new-problem");
    problem.textContent = "";
    dialog.showModal();
  }

  #createLevel(): boolean {
    const form = byId<HTMLFormElement>("new-form");
    const data = new FormData(form);
    const level = {
      name: String(data.get("name") ?? "").trim(),
      width: Number(data.get("width")),
      height: Number(data.get("height")),
      keepers: Number(data.get("keepers")),
      gui: data.get("format") === "gui",
    };
    const problem = newLevelProblem(level);
    byId("new-problem").textContent = problem ?? "";
    if (problem) return false;
    void this.open({ kind: "text", name: `${level.name}.txt`, text: newLevelText(level) }, null, true);
    return true;
  }

  // ---- The page's controls --------------------------------------------------------------

  #showTab(name: string): void {
    for (const tab of document.querySelectorAll<HTMLButtonElement>("[role=tab]")) {
      const selected = tab.dataset.tab === name;
      tab.setAttribute("aria-selected", String(selected));
      tab.tabIndex = selected ? 0 : -1;
      byId(`panel-${tab.dataset.tab}`).hidden = !selected;
    }
  }

  #wire(): void {
    const layers = byId("layers");
    for (const layer of layerList) {
      const box = el("input", { type: "checkbox", id: `layer-${layer.id}`, checked: true });
      box.addEventListener("change", () => {
        this.#view.layers.set(layer.id, box.checked);
        this.#view.layersChanged();
      });
      layers.append(el("label", { for: `layer-${layer.id}` }, box, ` ${layer.label}`));
    }
    byId("zoom-in").addEventListener("click", () => this.#view.zoom(1.5));
    byId("zoom-out").addEventListener("click", () => this.#view.zoom(1 / 1.5));
    byId("zoom-fit").addEventListener("click", () => this.#view.fit());
    byId("build").addEventListener("click", () => void this.#buildAndDownload());
    byId("save").addEventListener("click", () => void this.#save());
    byId("undo").addEventListener("click", () => this.#editor.undo());
    byId("redo").addEventListener("click", () => this.#editor.redo());
    byId("new-level").addEventListener("click", () => this.#newLevel());
    byId("new-cancel").addEventListener("click", () => byId<HTMLDialogElement>("new-dialog").close());
    byId("new-form").addEventListener("submit", (event) => {
      if (!this.#createLevel()) event.preventDefault();
    });
    // Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y) anywhere but in the text, which has them itself.
    document.addEventListener("keydown", (event) => {
      if (!(event.ctrlKey || event.metaKey) || event.altKey) return;
      if (byId("text-pane").contains(event.target as Node)) return;
      const target = event.target as HTMLElement;
      if (target.tagName === "INPUT" && (target as HTMLInputElement).type !== "checkbox") return;
      const key = event.key.toLowerCase();
      if (key === "z" && !event.shiftKey) this.#editor.undo();
      else if ((key === "z" && event.shiftKey) || key === "y") this.#editor.redo();
      else return;
      event.preventDefault();
    });
    // The tools' keys on the map.
    byId("map").addEventListener("keydown", (event) => {
      if (event.ctrlKey || event.metaKey || event.altKey) return;
      const tool = toolList.find((t) => t.key === event.key.toLowerCase());
      if (!tool) return;
      this.#draw.setTool(tool.id as ToolId);
      event.preventDefault();
    });
    addEventListener("pagehide", () => {
      if (this.#keepTimer !== null) this.#keepNow();
    });
    addEventListener("beforeunload", (event) => {
      if (!this.unsaved) return;
      event.preventDefault();
      event.returnValue = true;
    });
    byId("inspect").addEventListener("click", () => void this.#inspect());
    const picker = byId<HTMLInputElement>("open-file");
    // Where the browser lets a page write back to a file it opened, the Open button asks for the
    // files that way, and a map text opened alone is saved back to its file.
    picker.addEventListener("click", (event) => {
      const picked = pickFiles();
      if (!picked) return;
      event.preventDefault();
      picked
        .then(async (result) => {
          if (result) await this.open(await readPicked(result.files), result.handle);
        })
        .catch((error: unknown) => say(`Not opened: ${(error as Error).message}`));
    });
    picker.addEventListener("change", async () => {
      if (picker.files && picker.files.length > 0) await this.open(await readPicked([...picker.files]));
      picker.value = "";
    });
    const examples = byId<HTMLSelectElement>("examples");
    examples.addEventListener("change", () => {
      if (examples.value) void this.#openExample(examples.value);
    });
    document.addEventListener("dragover", (event) => {
      event.preventDefault();
      document.body.classList.add("dropping");
    });
    document.addEventListener("dragleave", () => document.body.classList.remove("dropping"));
    document.addEventListener("drop", async (event) => {
      event.preventDefault();
      document.body.classList.remove("dropping");
      const files = [...(event.dataTransfer?.files ?? [])];
      // A single map text dropped from the file system can be written back to (in Chromium).
      const item = event.dataTransfer?.items[0] as
        (DataTransferItem & { getAsFileSystemHandle?: () => Promise<unknown> }) | undefined;
      const handle = files.length === 1 && item?.getAsFileSystemHandle ? item.getAsFileSystemHandle() : null;
      if (files.length === 0) return;
      const opened = await readPicked(files);
      const found = (await handle?.catch(() => null)) as (WritableHandle & { kind?: string }) | null;
      await this.open(opened, found?.kind === "file" && opened.kind === "text" ? found : null);
    });
    const tabs = [...document.querySelectorAll<HTMLButtonElement>("[role=tab]")];
    tabs.forEach((tab, i) => {
      tab.addEventListener("click", () => this.#showTab(tab.dataset.tab!));
      tab.addEventListener("keydown", (event) => {
        const step = event.key === "ArrowRight" ? 1 : event.key === "ArrowLeft" ? -1 : 0;
        if (step === 0) return;
        const next = tabs[(i + step + tabs.length) % tabs.length]!;
        this.#showTab(next.dataset.tab!);
        next.focus();
      });
    });
    const dark = matchMedia("(prefers-color-scheme: dark)");
    dark.addEventListener("change", () => {
      this.#view.setTheme(theme());
      this.#editor.setDark(dark.matches);
    });
  }
}
