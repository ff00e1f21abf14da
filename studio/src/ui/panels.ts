// The side panels: the checker's problems with their fixes, the triggers with what they release
// where, the compiler's console and the inspector's decoded records. Each renders from values;
// what a click does is the caller's.
import type { CheckResult, Diagnostic, Edit, Inspection, LevelFile } from "tunnelsmith";

import type { Action, MapModel, Trigger } from "../model/map-model";
import { el, fill } from "./dom";

/** Items shown at first in a long list, and added by each press of its "Show more" button. */
export const LIST_STEP = 500;

/** Appends `items` to `list` a step at a time, with a button for the next step. */
function appendInSteps<T>(list: HTMLElement, items: readonly T[], make: (item: T) => HTMLElement, from = 0): void {
  const end = Math.min(items.length, from + LIST_STEP);
  for (let i = from; i < end; ++i) list.append(make(items[i]!));
  if (end >= items.length) return;
  const more: HTMLElement = el(
    "li",
    { class: "more" },
    el(
      "button",
      {
        type: "button",
        onclick: () => {
          more.remove();
          appendInSteps(list, items, make, end);
        },
      },
      `Show ${Math.min(LIST_STEP, items.length - end)} more of ${items.length - end}`,
    ),
  );
  list.append(more);
}

export interface ProblemEvents {
  show(diagnostic: Diagnostic): void;
  fix(diagnostic: Diagnostic, edits: Edit[]): void;
}

export function renderProblems(container: HTMLElement, check: CheckResult, events: ProblemEvents): void {
  const diagnostics = check.diagnostics ?? [];
  const problems = check.problems ?? [];
  if (diagnostics.length === 0 && problems.length === 0) {
    fill(container, el("p", { class: "empty" }, "No problems: the map compiles without a warning."));
    return;
  }
  const list = el("ul", { class: "problems", "aria-label": "Problems" });
  appendInSteps(list, diagnostics, (d) => {
    const fixes = [
      ...(d.fixes.length > 0 ? [{ label: "Apply fix", edits: d.fixes }] : []),
      ...d.suggestions.map((s) => ({ label: `Use ${s.replacement === "" ? "nothing" : s.replacement}`, edits: [s] })),
    ];
    return el(
      "li",
      { class: `problem ${d.severity}`, "data-line": d.line, "data-id": d.id },
      el(
        "button",
        {
          class: "link",
          type: "button",
          onclick: () => events.show(d),
          "aria-label": `${d.severity} at line ${d.line}, column ${d.column}: ${d.message}`,
        },
        el("span", { class: "where" }, `${d.line}:${d.column}`),
        " ",
        el("span", { class: "severity" }, d.severity),
        " ",
        el("span", { class: "message" }, d.message),
        d.afterFirstError ? el("span", { class: "after" }, " [after first error]") : null,
      ),
      d.notes.length > 0
        ? el(
            "ul",
            { class: "notes" },
            ...d.notes.map((n) => el("li", {}, `note (${n.line}:${n.column}): ${n.message}`)),
          )
        : null,
      ...fixes.map((f) =>
        el("button", { class: "fix", type: "button", onclick: () => events.fix(d, f.edits) }, f.label),
      ),
    );
  });
  for (const p of problems) list.append(el("li", { class: `problem ${p.severity}` }, p.message));
  fill(container, list);
}

export interface TriggerEvents {
  showTrigger(trigger: Trigger): void;
  showAction(trigger: Trigger, action: Action): void;
}

/** When a trigger fires, in words. */
export function conditionText(trigger: Trigger): string {
  const [a = "?", b = "?"] = trigger.operands;
  switch (trigger.word) {
    case "TRIGGER_TIME":
      // The game counts TRIGGER_TIME in seconds.
      return `after ${a} s`;
    case "TRIGGER_SLAP_COUNT_EQUALS":
      return `when the slap count is ${a}`;
    case "TRIGGER_CONTROL_AREA":
      return `when ${a} controls area A ${b}`;
    default:
      return trigger.word;
  }
}

/** What an action does, with the band's name and members and the place. */
export function actionText(model: MapModel, action: Action): string {
  if (action.release) {
    const { band, switch: kind, location } = action.release;
    const found = model.bands.find((b) => b.number === band);
    const who = found
      ? `${found.name} (band ${band}: ${found.members.join(", ") || "no members"})`
      : `band ${band}, which does not exist`;
    const place = kind === "G" ? model.gate(location) : model.area(location);
    const where = `${kind === "G" ? "gate" : "area"} ${kind} ${location}${place ? "" : ", which does not exist"}`;
    return `releases ${who} at ${where}`;
  }
  if (action.destroys !== null) return `destroys gate G ${action.destroys}`;
  const [player = "?", name = "?"] = action.operands;
  const what = action.word.replace(/^ACTION_ADD_/, "").toLowerCase();
  return `gives ${player} the ${what} ${name}`;
}

export function renderTriggers(container: HTMLElement, model: MapModel, events: TriggerEvents): void {
  if (model.triggers.length === 0) {
    fill(container, el("p", { class: "empty" }, "This map has no triggers."));
    return;
  }
  const list = el("ol", { class: "triggers", "aria-label": "Triggers" });
  appendInSteps(list, model.triggers, (trigger) =>
    el(
      "li",
      {},
      el(
        "button",
        { class: "link trigger", type: "button", onclick: () => events.showTrigger(trigger) },
        el("span", { class: "number" }, `${trigger.number}.`),
        ` ${trigger.word} ${trigger.operands.join(" ")}`,
        el("span", { class: "gloss" }, ` — ${conditionText(trigger)}`),
      ),
      el(
        "ul",
        { class: "actions" },
        ...trigger.actions.map((action) =>
          el(
            "li",
            {},
            el(
              "button",
              { class: "link action", type: "button", onclick: () => events.showAction(trigger, action) },
              `${action.word} ${action.operands.join(" ")}`,
              el("span", { class: "gloss" }, ` — ${actionText(model, action)}, ${conditionText(trigger)}`),
            ),
          ),
        ),
        trigger.actions.length === 0 ? el("li", { class: "empty" }, "no actions") : null,
      ),
    ),
  );
  fill(container, list);
}

const RECORDS_SHOWN = 500;

function fieldText(value: unknown): string {
  if (value !== null && typeof value === "object") {
    const named = value as { name?: unknown; value?: unknown };
    if ("name" in named && "value" in named) return `${String(named.name)} (${String(named.value)})`;
    return JSON.stringify(value);
  }
  return String(value);
}

/** The decoded records of one level file: its chunks, its records and its problems. */
export function renderInspection(container: HTMLElement, file: LevelFile, inspection: Inspection): void {
  const records = inspection.records as {
    kind: string;
    number: number;
    offset: number;
    fields: Record<string, unknown>;
  }[];
  const chunks = inspection.chunks as {
    id: number;
    name: string;
    offset: number;
    size: number;
    children?: unknown[];
  }[];
  const problems = inspection.problems ?? [];
  const map = inspection.map as
    { width: number; height: number; terrain: { name: string; owner: string; count: number }[] } | undefined;
  fill(
    container,
    el(
      "h3",
      {},
      `${file.name}: ${inspection.kind}, ${inspection.length} bytes, ${inspection.wellFormed ? "well-formed" : "not well-formed"}`,
    ),
    problems.length > 0
      ? el(
          "ul",
          { class: "problems" },
          ...problems.map((p) => el("li", { class: "problem error" }, `offset ${p.offset}: ${p.message}`)),
        )
      : null,
    el(
      "table",
      { class: "chunks" },
      el("caption", {}, "Chunks"),
      el(
        "tr",
        {},
        el("th", {}, "id"),
        el("th", {}, "name"),
        el("th", {}, "offset"),
        el("th", {}, "size"),
        el("th", {}, "inner chunks"),
      ),
      ...chunks.map((c) =>
        el(
          "tr",
          {},
          el("td", {}, c.id),
          el("td", {}, c.name),
          el("td", {}, c.offset),
          el("td", {}, c.size),
          el("td", {}, c.children?.length ?? 0),
        ),
      ),
    ),
    map
      ? el(
          "table",
          { class: "terrain" },
          el("caption", {}, `Map: ${map.width} × ${map.height}`),
          el("tr", {}, el("th", {}, "terrain"), el("th", {}, "owner"), el("th", {}, "squares")),
          ...map.terrain.map((t) => el("tr", {}, el("td", {}, t.name), el("td", {}, t.owner), el("td", {}, t.count))),
        )
      : null,
    el(
      "table",
      { class: "records" },
      el(
        "caption",
        {},
        records.length > RECORDS_SHOWN
          ? `Records: the first ${RECORDS_SHOWN} of ${records.length}`
          : `Records: ${records.length}`,
      ),
      el("tr", {}, el("th", {}, "record"), el("th", {}, "offset"), el("th", {}, "fields")),
      ...records.slice(0, RECORDS_SHOWN).map((r) =>
        el(
          "tr",
          {},
          el("td", {}, `${r.kind} ${r.number}`),
          el("td", {}, r.offset),
          el(
            "td",
            {},
            Object.entries(r.fields ?? {})
              .map(([k, v]) => `${k}=${fieldText(v)}`)
              .join("  "),
          ),
        ),
      ),
    ),
  );
}
