// Tunnelsmith Studio's page, once the library is ready: it wires the text pane, the map canvas
// and the panels to one MapDocument (the text and its latest analysis) and keeps the view state
// (zoom, layers, selection) in the MapView. The library runs in workers.
import { zipSync } from "fflate";
import type { Diagnostic, Edit, LevelFile, Vocabulary } from "tunnelsmith";

import { MapEditor } from "./editor/editor";
import { MapDocument, type Analysed, type Checked } from "./model/document";
import type { Entity, Rect } from "./model/map-model";
import { describeSquare } from "./ui/describe";
import { byId, el, fill } from "./ui/dom";
import { fetchMap, readPicked, type Opened } from "./ui/open";
import { actionText, conditionText, renderInspection, renderProblems, renderTriggers } from "./ui/panels";
import { say } from "./ui/status";
import { layerList } from "./view/layers";
import { MapView, type Theme } from "./view/map-view";
import { Palette, type Rgb } from "./view/palette";
import type { Square } from "./view/viewport";
import type { LibraryClient } from "./worker/client";

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

export class Studio {
  readonly #library: LibraryClient;
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
    for (const { name, value } of vocabulary.terrains)
      if (!this.#terrainNames.has(value)) this.#terrainNames.set(value, name);
    const players = Object.fromEntries(vocabulary.players.map((p) => [p.name, p.value]));
    this.#document = new MapDocument(library, outliner, players);
    this.#editor = new MapEditor(byId("text-pane"), "editor.css", vocabulary, {
      changed: (text) => {
        this.#document.setText(text);
        say("Checking…", true);
      },
      cursor: (index) => this.#cursorMoved(index),
      fix: (diagnostic, edits) => this.#applyFix(diagnostic, edits),
    });
    this.#view = new MapView(
      byId<HTMLCanvasElement>("map"),
      new Palette(vocabulary.terrains),
      theme(),
      {
        hover: (square) => this.#hover(square),
        choose: (square, entity) => this.#choose(square, entity),
      },
      [vocabulary.creatures, vocabulary.objects, vocabulary.doors, vocabulary.traps].map((list) =>
        list.map((v) => v.name),
      ),
    );
    this.#document.onChecked((checked) => this.#checked(checked));
    this.#document.onAnalysed((analysed) => this.#analysed(analysed));
    this.#wire();
  }

  // ---- Opening --------------------------------------------------------------------------

  async #openExample(name: string): Promise<void> {
    say(`Opening ${name}…`, true);
    await this.open(await fetchMap(`examples/${encodeURIComponent(name)}`, location.href));
  }

  async open(opened: Opened): Promise<void> {
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
    const large = text.length > 1_000_000;
    say(large ? `Reading ${opened.name} (${(text.length / 1e6).toFixed(1)} MB)…` : `Reading ${opened.name}…`, true);
    performance.mark("studio:map-read");
    this.#document.source = opened.name;
    this.#showTab("problems");
    this.#fitNext = true;
    this.#built = null;
    this.#editor.setText(text);
    performance.mark("studio:text-shown");
    this.#document.setText(text, true);
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
    if (current) {
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
    const result = await this.#library.call("compile", this.#document.text);
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
    byId("inspect").addEventListener("click", () => void this.#inspect());
    const picker = byId<HTMLInputElement>("open-file");
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
      if (files.length > 0) await this.open(await readPicked(files));
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
