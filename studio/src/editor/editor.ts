// The text pane: CodeMirror 6 with the map language, the checker's diagnostics through its lint
// integration (with the fixes as actions), and a tooltip on statement words with their operands
// and summary from the grammar table. Spans from the library are bytes; the pane converts them
// with the analysis's ByteIndex.
import { defaultKeymap, history, historyKeymap, isolateHistory, redo, undo } from "@codemirror/commands";
import { syntaxHighlighting } from "@codemirror/language";
import { type Diagnostic as LintDiagnostic, lintGutter, lintKeymap, setDiagnostics } from "@codemirror/lint";
import {
  Annotation,
  Compartment,
  EditorSelection,
  EditorState,
  Transaction,
  type Extension,
  type Text,
} from "@codemirror/state";
import {
  EditorView,
  drawSelection,
  highlightActiveLine,
  highlightActiveLineGutter,
  hoverTooltip,
  keymap,
  lineNumbers,
} from "@codemirror/view";
import type { Diagnostic, Edit, Vocabulary } from "tunnelsmith";

import type { ByteIndex } from "../text/bytes";
import { mapHighlight, mapLanguage } from "./language";

/** A change of the text made by a tool or a form, in string indices of the current text. */
export interface ToolChange {
  from: number;
  to: number;
  insert: string;
}

/**
 * The document's text as one flat string. Text.toString() joins the lines one by one into a
 * string of many pieces, which each later reader (encoding it, sending it to a worker, comparing
 * it) first copies whole: for a large map that costs tens of milliseconds a change.
 */
function flatText(doc: Text): string {
  return doc.toJSON().join("\n");
}

/** Marks the later transactions of one tool gesture (a brush stroke), which join its first in the history. */
const continuesGesture = Annotation.define<boolean>();

export interface EditorEvents {
  /**
   * The text changed by typing or a tool (not by setText); `text` makes it when it is needed, so
   * that a brush stroke's many changes of a large map do not each make the whole text.
   */
  changed(text: () => string): void;
  /** The cursor moved: its byte offset is found by the caller's ByteIndex. */
  cursor(index: number): void;
  /** A fix was chosen from a diagnostic's actions. */
  fix(diagnostic: Diagnostic, edits: Edit[]): void;
}

/**
 * The editor's colours from the page's custom properties, so that they follow the light or dark
 * scheme; `dark` also tells CodeMirror which of its own defaults to use.
 */
function pageTheme(dark: boolean): Extension {
  return EditorView.theme(
    {
      "&": { color: "var(--text)", backgroundColor: "var(--surface)", height: "100%" },
      ".cm-scroller": { fontFamily: 'ui-monospace, "DejaVu Sans Mono", monospace', fontSize: "13px" },
      ".cm-content": { caretColor: "var(--text)" },
      ".cm-cursor, .cm-dropCursor": { borderLeftColor: "var(--text)" },
      ".cm-gutters": {
        backgroundColor: "var(--background)",
        color: "var(--muted)",
        borderRight: "1px solid var(--border)",
      },
      ".cm-activeLine, .cm-activeLineGutter": { backgroundColor: "color-mix(in srgb, var(--accent) 10%, transparent)" },
      "&.cm-focused > .cm-scroller > .cm-selectionLayer .cm-selectionBackground, .cm-selectionBackground": {
        backgroundColor: "color-mix(in srgb, var(--accent) 35%, transparent)",
      },
      ".cm-tooltip": { backgroundColor: "var(--surface)", color: "var(--text)", border: "1px solid var(--border)" },
    },
    { dark },
  );
}

export class MapEditor {
  readonly view: EditorView;
  readonly #theme = new Compartment();

  /**
   * Mounts the editor in `host`'s shadow root, with the style sheet `styles` (an address): there
   * CodeMirror's own rules go into a constructed style sheet instead of a <style> element, which
   * the page's Content-Security-Policy (no inline styles) would refuse.
   */
  constructor(host: HTMLElement, styles: string, vocabulary: Vocabulary, events: EditorEvents) {
    const shadow = host.attachShadow({ mode: "open" });
    const link = document.createElement("link");
    link.rel = "stylesheet";
    link.href = styles;
    const parent = document.createElement("div");
    parent.className = "editor-root";
    shadow.append(link, parent);
    const statements = new Map(vocabulary.statements.map((s) => [s.word, s]));
    const statementTip = hoverTooltip((view, pos) => {
      const line = view.state.doc.lineAt(pos);
      const text = line.text;
      let start = pos - line.from;
      let end = start;
      while (start > 0 && /\S/.test(text[start - 1]!)) --start;
      while (end < text.length && /\S/.test(text[end]!)) ++end;
      const statement = statements.get(text.slice(start, end));
      if (!statement) return null;
      return {
        pos: line.from + start,
        end: line.from + end,
        above: true,
        create: () => {
          const dom = document.createElement("div");
          dom.className = "statement-tip";
          const head = document.createElement("strong");
          head.textContent = [statement.word, ...statement.operands].join(" ");
          const summary = document.createElement("div");
          summary.textContent = statement.summary;
          dom.append(head, summary);
          return { dom };
        },
      };
    });
    this.#extensions = [
      this.#theme.of(pageTheme(matchMedia("(prefers-color-scheme: dark)").matches)),
      lineNumbers(),
      highlightActiveLineGutter(),
      // One step of the history per user action: typing as CodeMirror groups it, and each
      // tool or form action whole, however long a brush stroke takes.
      history({ joinToEvent: (tr, adjacent) => adjacent || tr.annotation(continuesGesture) === true }),
      drawSelection(),
      highlightActiveLine(),
      mapLanguage(vocabulary),
      syntaxHighlighting(mapHighlight),
      lintGutter(),
      statementTip,
      // Tab is left to the page, so that the keyboard moves on from the text to the map.
      keymap.of([...defaultKeymap, ...historyKeymap, ...lintKeymap]),
      EditorView.contentAttributes.of({ "aria-label": "Map text" }),
      EditorView.updateListener.of((update) => {
        if (update.docChanged) {
          const doc = update.state.doc;
          let text: string | null = null;
          events.changed(() => (text ??= flatText(doc)));
        }
        if (update.selectionSet || update.docChanged) events.cursor(update.state.selection.main.head);
      }),
    ];
    this.view = new EditorView({
      parent,
      root: shadow,
      state: EditorState.create({ doc: "", extensions: this.#extensions }),
    });
    this.#fix = events.fix;
  }

  readonly #fix: EditorEvents["fix"];
  readonly #extensions: Extension[];

  /** The system's light or dark preference changed. */
  setDark(dark: boolean): void {
    this.view.dispatch({ effects: this.#theme.reconfigure(pageTheme(dark)) });
  }

  get text(): string {
    return flatText(this.view.state.doc);
  }

  /** Replaces the whole text (a map opened), without reporting it as typed, with a history of its own. */
  setText(text: string): void {
    const dark = matchMedia("(prefers-color-scheme: dark)").matches;
    this.view.setState(EditorState.create({ doc: text, extensions: this.#extensions }));
    this.setDark(dark);
  }

  /**
   * Makes a tool's or a form's changes, as one step of the history; `gesture` gives the time its
   * gesture began, for each change after the gesture's first, which then joins that step. Says
   * whether the text changed.
   */
  apply(changes: readonly ToolChange[], gesture: { started: number; first: boolean } | null = null): boolean {
    // A change that writes what is there already (a fill or a stroke over its own terrain, a
    // property set to its value) is no step of the history: without any other, nothing happens.
    const doc = this.view.state.doc;
    const real = changes.filter((c) => c.to - c.from !== c.insert.length || doc.sliceString(c.from, c.to) !== c.insert);
    if (real.length === 0) return false;
    const annotations = gesture
      ? gesture.first
        ? [isolateHistory.of("before"), Transaction.time.of(gesture.started)]
        : [continuesGesture.of(true), Transaction.time.of(gesture.started)]
      : [isolateHistory.of("full")];
    this.view.dispatch({
      changes: real,
      userEvent: gesture ? "input.type.draw" : "input.draw",
      annotations,
    });
    return true;
  }

  undo(): boolean {
    return undo(this.view);
  }

  redo(): boolean {
    return redo(this.view);
  }

  /** Selects a span of the text (bytes) and scrolls it into view. */
  select(start: number, end: number, bytes: ByteIndex, focus = false): void {
    const length = this.view.state.doc.length;
    const from = Math.min(bytes.toIndex(start), length);
    const to = Math.min(bytes.toIndex(end), length);
    this.view.dispatch({
      selection: EditorSelection.single(from, to),
      scrollIntoView: true,
      effects: EditorView.scrollIntoView(from, { y: "center" }),
    });
    if (focus) this.view.focus();
  }

  /** Shows the checker's diagnostics of the current text. */
  showDiagnostics(diagnostics: Diagnostic[], bytes: ByteIndex): void {
    const length = this.view.state.doc.length;
    const marks: LintDiagnostic[] = diagnostics.map((d) => {
      const from = Math.min(bytes.toIndex(d.start), length);
      const to = Math.min(Math.max(bytes.toIndex(d.end), from), length);
      const notes = d.notes.map((n) => `\nnote: ${n.message}`).join("");
      return {
        from,
        to,
        severity: d.severity === "note" ? "info" : d.severity,
        source: d.id,
        message: d.message + notes,
        actions: [...(d.fixes.length > 0 ? [d.fixes] : []), ...d.suggestions.map((s) => [s])].map((edits) => ({
          name:
            edits.length === 1 && edits[0]!.replacement !== ""
              ? `Fix: ${JSON.stringify(edits[0]!.replacement).slice(0, 40)}`
              : "Fix",
          apply: () => this.#fix(d, edits),
        })),
      };
    });
    this.view.dispatch(setDiagnostics(this.view.state, marks));
  }
}
