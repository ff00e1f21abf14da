// The forms that change the map's lists: the selected entity's properties, the hero bands, the
// triggers with their actions and each keeper's scenario statements. They render from one
// analysed version (a MapModel) and offer only valid choices (names from the vocabulary, the
// level's keepers, the bands, gates and areas that exist); each change is one MapEdit, which the
// page turns into text.
import type { Vocabulary } from "tunnelsmith";

import type { MapEdit } from "../edit/engine";
import type { Entity, MapModel } from "../model/map-model";
import {
  availabilityText,
  defaultTables,
  keeperTables,
  suggestedStatement,
  type KeeperTables,
  type ScenarioNames,
} from "../model/scenario";
import { el, fill } from "./dom";
import { conditionText } from "./panels";

export type EditSink = (edit: MapEdit) => void;

type Child = Parameters<typeof el>[2];

/** Refills a form's host, keeping what the designer had chosen or typed and where the focus was. */
function refill(host: HTMLElement, ...children: Child[]): void {
  const values = new Map<string, string>();
  for (const field of host.querySelectorAll<HTMLInputElement | HTMLSelectElement>("input[id], select[id]"))
    values.set(field.id, field.value);
  const focused = host.contains(document.activeElement) ? (document.activeElement as HTMLElement).id : "";
  fill(host, ...children);
  for (const field of host.querySelectorAll<HTMLInputElement | HTMLSelectElement>("input[id], select[id]")) {
    const value = values.get(field.id);
    if (value === undefined || field.dataset.fixed !== undefined || field.dataset.suggested !== undefined) continue;
    if (field instanceof HTMLSelectElement && ![...field.options].some((o) => o.value === value)) continue;
    field.value = value;
  }
  if (focused) document.getElementById(focused)?.focus();
}

function select(
  id: string,
  label: string,
  options: readonly (string | [string, string])[],
  value = "",
): HTMLSelectElement {
  const box = el(
    "select",
    { id, "aria-label": label },
    ...options.map((o) => {
      const [v, text] = typeof o === "string" ? [o, o] : o;
      return el("option", { value: v, selected: v === value }, text);
    }),
  );
  return box;
}

function valueOf(id: string): string {
  return (document.getElementById(id) as HTMLInputElement | HTMLSelectElement | null)?.value ?? "";
}

function button(label: string, onclick: () => void, attributes: Record<string, string> = {}): HTMLButtonElement {
  return el("button", { type: "button", onclick, ...attributes }, label);
}

/** The level's player tokens: its keepers, then the heroes and the neutral player. */
export function playerTokens(players: number): string[] {
  return [...Array.from({ length: players }, (_, i) => `P${i + 1}`), "PH", "PN"];
}

function keeperTokens(players: number): string[] {
  return Array.from({ length: players }, (_, i) => `P${i + 1}`);
}

const names = (list: readonly { name: string }[]): string[] => list.map((n) => n.name);

/** The word of an entry of a kind: its index among the entry's words and its text. */
function wordOf(model: MapModel, entry: number, kind: string, nth = 0): { index: number; text: string } | null {
  const words = model.entries.words(entry);
  let seen = 0;
  for (let i = 0; i < words.length; ++i) {
    if (words[i]!.kind !== kind) continue;
    if (seen++ === nth) return { index: i, text: model.slice(words[i]!) };
  }
  return null;
}

// ---- Properties -----------------------------------------------------------------------------

export function renderProperties(
  host: HTMLElement,
  model: MapModel,
  entity: Entity | null,
  vocabulary: Vocabulary,
  edit: EditSink,
): void {
  if (!entity) {
    fill(host, el("p", { class: "empty" }, "Select something on the map (the Select tool) to see its properties."));
    return;
  }
  const entry = entity.entry;
  const rows: HTMLElement[] = [];
  const field = (kind: string, label: string, options: readonly (string | [string, string])[]): void => {
    const word = wordOf(model, entry, kind);
    if (!word) return;
    const box = select(`property-${kind}`, label, options, word.text);
    box.dataset.fixed = "";
    box.addEventListener("change", () => edit({ kind: "words", entry, values: { [word.index]: box.value } }));
    rows.push(el("label", { class: "field" }, `${label} `, box));
  };
  const number = (kind: string, label: string, nth = 0): void => {
    const word = wordOf(model, entry, kind, nth);
    if (!word) return;
    const input = el("input", { id: `property-${kind}-${nth}`, type: "number", value: word.text, "data-fixed": "" });
    input.addEventListener("change", () => edit({ kind: "words", entry, values: { [word.index]: input.value } }));
    rows.push(el("label", { class: "field" }, `${label} `, input));
  };
  const lists: Record<string, readonly { name: string }[]> = {
    creature: vocabulary.creatures,
    object: vocabulary.objects,
    door: vocabulary.doors,
    trap: vocabulary.traps,
  };
  switch (entity.kind) {
    case "creature":
    case "object":
    case "door":
    case "trap":
      field(entity.kind, "Name", names(lists[entity.kind]!));
      field("level", "Level", names(vocabulary.levels));
      field("player", "Owner", playerTokens(model.outline.players));
      field("lock", "Lock", [
        ["U", "unlocked"],
        ["L", "locked"],
      ]);
      number("x", "x");
      number("y", "y");
      break;
    case "heart": {
      number("x", "x");
      number("y", "y");
      const keeper = entity.number;
      const gold = model.entries.length
        ? [...Array(model.entries.length).keys()]
            .filter((i) => model.entries.section(i) === "HEARTS_AND_GOLD")
            .map((i) => model.entries.words(i))
            .filter((w) => w.length > 1 && model.slice(w[0]!) === `GOLD${keeper}`)
            .map((w) => model.slice(w[1]!))
            .pop()
        : undefined;
      const input = el("input", { id: "property-gold", type: "number", min: 0, value: gold ?? "0", "data-fixed": "" });
      input.addEventListener("change", () =>
        edit({ kind: "gold", keeper, amount: Math.max(0, Number(input.value) | 0) }),
      );
      rows.push(el("label", { class: "field" }, "Starting gold ", input));
      break;
    }
    case "area":
      ["Left", "Top"].forEach((label, i) => number(i === 0 ? "x" : "y", label, 0));
      number("x", "Right", 1);
      number("y", "Bottom", 1);
      break;
    case "gate":
      rows.push(
        el(
          "p",
          {},
          `Squares (${entity.rect.left}, ${entity.rect.top}) to (${entity.rect.right}, ${entity.rect.bottom})`,
        ),
      );
      break;
  }
  const title =
    entity.kind === "heart"
      ? `Heart centre of keeper ${entity.number}`
      : entity.kind === "gate" || entity.kind === "area"
        ? `${entity.kind === "gate" ? "Hero gate" : "Entrance area"} ${entity.name}`
        : `${entity.kind} ${entity.name}`;
  fill(
    host,
    el("h3", {}, title),
    ...rows,
    entity.kind === "heart"
      ? null
      : el(
          "p",
          {},
          button("Delete", () => edit({ kind: "remove", entry }), { id: "property-delete" }),
        ),
  );
}

// ---- Hero bands -----------------------------------------------------------------------------

export function renderBands(host: HTMLElement, model: MapModel, vocabulary: Vocabulary, edit: EditSink): void {
  const owners = playerTokens(model.outline.players);
  const creatures = names(vocabulary.creatures);
  const levels = names(vocabulary.levels);
  const add = el(
    "fieldset",
    { class: "form" },
    el("legend", {}, "New hero band"),
    el(
      "label",
      { class: "field" },
      "Name ",
      el("input", { id: "band-new-name", value: "Band", "aria-label": "Band name" }),
    ),
    el("label", { class: "field" }, "Owner ", select("band-new-owner", "Band owner", owners, "PH")),
    button(
      "Add band",
      () => {
        const name = valueOf("band-new-name").trim().split(/\s+/)[0] || "Band";
        edit({ kind: "band", name, owner: valueOf("band-new-owner"), members: [] });
      },
      { id: "band-add" },
    ),
  );
  const list = el(
    "ol",
    { class: "bands", "aria-label": "Hero bands" },
    ...model.bands.map((band) => {
      const id = `band-${band.number}`;
      const nameWord = wordOf(model, band.entry, "name");
      const ownerWord = wordOf(model, band.entry, "player");
      const nameInput = el("input", {
        id: `${id}-name`,
        value: band.name,
        "aria-label": `Band ${band.number} name`,
        "data-fixed": "",
      });
      nameInput.addEventListener("change", () => {
        const name = nameInput.value.trim().split(/\s+/)[0];
        if (name && nameWord) edit({ kind: "words", entry: band.entry, values: { [nameWord.index]: name } });
      });
      const ownerBox = select(`${id}-owner`, `Band ${band.number} owner`, owners, band.owner);
      ownerBox.dataset.fixed = "";
      ownerBox.addEventListener("change", () => {
        if (ownerWord) edit({ kind: "words", entry: band.entry, values: { [ownerWord.index]: ownerBox.value } });
      });
      return el(
        "li",
        {},
        el(
          "div",
          { class: "row" },
          `Band ${band.number} `,
          nameInput,
          " ",
          ownerBox,
          " ",
          button("Delete band", () => edit({ kind: "remove", entry: band.entry })),
        ),
        el(
          "ul",
          { class: "members" },
          ...band.members.map((member, m) =>
            el(
              "li",
              {},
              `${member} `,
              button("Remove", () => edit({ kind: "member-remove", band: band.entry, member: m }), {
                "aria-label": `Remove ${member} from band ${band.number}`,
              }),
            ),
          ),
        ),
        band.members.length < 16
          ? el(
              "div",
              { class: "row" },
              select(`${id}-creature`, `Creature to add to band ${band.number}`, creatures, "KNIGHT"),
              select(`${id}-level`, `Its level`, levels),
              button(
                "Add member",
                () =>
                  edit({
                    kind: "member-add",
                    band: band.entry,
                    creature: valueOf(`${id}-creature`),
                    level: valueOf(`${id}-level`),
                  }),
                { id: `${id}-add` },
              ),
            )
          : el("p", { class: "empty" }, "A band holds at most 16 members."),
      );
    }),
  );
  refill(host, add, model.bands.length > 0 ? list : el("p", { class: "empty" }, "This map has no hero bands."));
}

// ---- Triggers -------------------------------------------------------------------------------

const conditions: [string, string][] = [
  ["TRIGGER_TIME", "after a time (seconds)"],
  ["TRIGGER_SLAP_COUNT_EQUALS", "when the slap count is"],
  ["TRIGGER_CONTROL_AREA", "when a player controls an area"],
];

const actionKinds: [string, string][] = [
  ["ACTION_HERO_RELEASE", "release a band"],
  ["ACTION_ADD_ROOM", "give a room"],
  ["ACTION_ADD_DOOR", "give a door"],
  ["ACTION_ADD_TRAP", "give a trap"],
  ["ACTION_ADD_SPELL", "give a spell"],
  ["ACTION_DESTROY_HERO_GATE", "destroy a gate"],
];

/** The words of an action from its form's fields (prefix: the fields' ids), or null when it cannot be made. */
function actionWords(prefix: string, model: MapModel): string[] | null {
  const kind = valueOf(`${prefix}-kind`);
  if (kind === "ACTION_HERO_RELEASE") {
    const band = valueOf(`${prefix}-band`);
    const place = valueOf(`${prefix}-place`);
    return band && place ? [kind, band, ...place.split(" ")] : null;
  }
  if (kind === "ACTION_DESTROY_HERO_GATE") {
    const gate = valueOf(`${prefix}-gate`);
    return gate ? [kind, gate] : null;
  }
  const player = valueOf(`${prefix}-player`);
  const name = valueOf(`${prefix}-name`);
  return player && name && model ? [kind, player, name] : null;
}

function regionNumbers(model: MapModel, kind: "gate" | "area"): number[] {
  return model.regions
    .map((i) => model.entities[i]!)
    .filter((e) => e.kind === kind)
    .map((e) => e.number);
}

/** An action's fields, for the chosen kind: only bands, gates and areas that exist. */
function actionFields(prefix: string, model: MapModel, vocabulary: Vocabulary, kind: string): HTMLElement[] {
  const gates = regionNumbers(model, "gate");
  const areas = regionNumbers(model, "area");
  if (kind === "ACTION_HERO_RELEASE") {
    const places: [string, string][] = [
      ...gates.map((g): [string, string] => [`G ${g}`, `at gate G ${g}`]),
      ...areas.map((a): [string, string] => [`A ${a}`, `at area A ${a}`]),
    ];
    return [
      select(
        `${prefix}-band`,
        "Band",
        model.bands.map((b): [string, string] => [String(b.number), `band ${b.number} ${b.name}`]),
      ),
      select(`${prefix}-place`, "Where", places),
    ];
  }
  if (kind === "ACTION_DESTROY_HERO_GATE")
    return [
      select(
        `${prefix}-gate`,
        "Gate",
        gates.map((g): [string, string] => [String(g), `gate G ${g}`]),
      ),
    ];
  const lists: Record<string, readonly { name: string }[]> = {
    ACTION_ADD_ROOM: vocabulary.rooms,
    ACTION_ADD_DOOR: vocabulary.doors,
    ACTION_ADD_TRAP: vocabulary.traps,
    ACTION_ADD_SPELL: vocabulary.spells,
  };
  return [
    select(`${prefix}-player`, "Player", playerTokens(model.outline.players)),
    select(`${prefix}-name`, "Name", names(lists[kind] ?? [])),
  ];
}

/** A form for one action: its kind, then the fields that kind takes; `done` gets its words. */
function actionForm(
  prefix: string,
  model: MapModel,
  vocabulary: Vocabulary,
  label: string,
  done: (words: string[]) => void,
): HTMLElement {
  const fields = el("span", { class: "fields" });
  const kind = select(`${prefix}-kind`, "Action", actionKinds);
  const remembered = valueOf(`${prefix}-kind`);
  if (remembered) kind.value = remembered;
  const show = (): void => fill(fields, ...actionFields(prefix, model, vocabulary, kind.value));
  kind.addEventListener("change", show);
  show();
  return el(
    "div",
    { class: "row" },
    kind,
    " ",
    fields,
    " ",
    button(
      label,
      () => {
        const words = actionWords(prefix, model);
        if (words) done(words);
      },
      { id: `${prefix}-add` },
    ),
  );
}

export function renderTriggerForms(host: HTMLElement, model: MapModel, vocabulary: Vocabulary, edit: EditSink): void {
  const conditionFields = el("span", { class: "fields" });
  const conditionKind = select("trigger-new-kind", "Condition", conditions);
  const remembered = valueOf("trigger-new-kind");
  if (remembered) conditionKind.value = remembered;
  const showCondition = (): void => {
    if (conditionKind.value === "TRIGGER_CONTROL_AREA") {
      const areas = regionNumbers(model, "area");
      fill(
        conditionFields,
        select("trigger-new-player", "Player", playerTokens(model.outline.players)),
        select(
          "trigger-new-area",
          "Area",
          areas.map((a): [string, string] => [String(a), `area A ${a}`]),
        ),
      );
    } else {
      const time = conditionKind.value === "TRIGGER_TIME";
      fill(
        conditionFields,
        el("input", {
          id: "trigger-new-number",
          type: "number",
          min: 0,
          value: time ? "600" : "1",
          "aria-label": time ? "Seconds" : "Slap count",
        }),
        time ? " s" : " slaps",
      );
    }
  };
  conditionKind.addEventListener("change", showCondition);
  showCondition();
  const add = el(
    "fieldset",
    { class: "form" },
    el("legend", {}, "New trigger"),
    el("div", { class: "row" }, conditionKind, " ", conditionFields),
    button(
      "Add trigger",
      () => {
        const kind = conditionKind.value;
        const operands =
          kind === "TRIGGER_CONTROL_AREA"
            ? [valueOf("trigger-new-player"), valueOf("trigger-new-area")]
            : [String(Math.max(0, Number(valueOf("trigger-new-number")) | 0))];
        if (operands.some((o) => o === "")) return;
        edit({ kind: "trigger", condition: [kind, ...operands], actions: [] });
      },
      { id: "trigger-add" },
    ),
  );
  const list = el(
    "ol",
    { class: "trigger-forms", "aria-label": "Triggers' actions" },
    ...model.triggers.map((trigger) =>
      el(
        "li",
        {},
        el(
          "div",
          { class: "row" },
          `${trigger.word} ${trigger.operands.join(" ")} (${conditionText(trigger)}) `,
          button("Delete trigger", () => edit({ kind: "remove", entry: trigger.entry }), {
            "aria-label": `Delete trigger ${trigger.number}`,
          }),
        ),
        el(
          "ul",
          { class: "actions" },
          ...trigger.actions.map((action, a) =>
            el(
              "li",
              {},
              `${action.word} ${action.operands.join(" ")} `,
              button("Remove", () => edit({ kind: "action-remove", trigger: trigger.entry, action: a }), {
                "aria-label": `Remove action ${a + 1} of trigger ${trigger.number}`,
              }),
            ),
          ),
        ),
        actionForm(`trigger-${trigger.number}-action`, model, vocabulary, "Add action", (words) =>
          edit({ kind: "action-add", trigger: trigger.entry, words }),
        ),
      ),
    ),
  );
  refill(host, add, list);
  // The action forms' fields follow their kinds as they were chosen.
  for (const kind of host.querySelectorAll<HTMLSelectElement>("select[id$='-action-kind']"))
    kind.dispatchEvent(new Event("change"));
  showCondition();
  refillValues(host);
}

/** After the fields that depend on a choice were made again, their values come back. */
const lastValues = new Map<string, string>();
function refillValues(host: HTMLElement): void {
  for (const field of host.querySelectorAll<HTMLInputElement | HTMLSelectElement>("input[id], select[id]")) {
    if (field.dataset.suggested !== undefined) continue;
    const value = lastValues.get(field.id);
    if (
      value !== undefined &&
      (!(field instanceof HTMLSelectElement) || [...field.options].some((o) => o.value === value))
    )
      field.value = value;
    field.addEventListener("change", () => lastValues.set(field.id, field.value));
  }
}

// ---- Scenario -------------------------------------------------------------------------------

const statements: [string, string][] = [
  ["START_WITH", "available from the start"],
  ["MUST_RESEARCH", "must be researched"],
  ["NO", "not available"],
  ["CREATURE_COUNT", "creatures in the pool"],
];

/** A keeper's statements, each without its player word, in their order. */
function statementsOf(model: MapModel, entries: readonly number[], keeper: string): string[][] {
  return entries.flatMap((e) => {
    const words = model.entries.words(e);
    const player = words.findIndex((w) => w.kind === "player");
    if (player < 0 || model.slice(words[player]!) !== keeper) return [];
    return [words.filter((_, i) => i !== player).map((w) => model.slice(w))];
  });
}

/** A keeper's tables in a line: the pool, and how much is there from the start or to research. */
function tablesText(tables: KeeperTables, names: ScenarioNames): string {
  const creatures = [...tables.pool.values()].reduce((a, b) => a + b, 0);
  const parts = (["rooms", "traps", "doors", "spells"] as const).map((list) => {
    const own = names[list].map((n) => tables.available.get(n.name));
    const start = own.filter((a) => a === "start").length;
    const research = own.filter((a) => a === "research").length;
    return `${start} ${list}${research > 0 ? ` (+${research} to research)` : ""}`;
  });
  return `Pool: ${tables.pool.size} kinds, ${creatures} creatures. From the start: ${parts.join(", ")}.`;
}

export function renderScenario(host: HTMLElement, model: MapModel, vocabulary: Vocabulary, edit: EditSink): void {
  const keepers = keeperTokens(model.outline.players);
  const section = model.outline.sections.find((s) => s.section === "SCENARIO_DESCRIPTION");
  const entries = section ? Array.from({ length: section.entryCount }, (_, i) => section.firstEntry + i) : [];
  const tables = new Map(keepers.map((k) => [k, keeperTables(vocabulary, statementsOf(model, entries, k))]));
  const nameBox = el("span", { class: "fields" });
  const kind = select("statement-new-kind", "Statement", statements);
  const remembered = valueOf("statement-new-kind");
  if (remembered) kind.value = remembered;
  const keeperBox = select("statement-new-keeper", "Keeper", keepers);
  const rememberedKeeper = valueOf("statement-new-keeper");
  if (keepers.includes(rememberedKeeper)) keeperBox.value = rememberedKeeper;
  // The name and count start at a choice that changes the chosen keeper's tables, and each name
  // says where it stands for that keeper now.
  const show = (): void => {
    const own = tables.get(keeperBox.value) ?? defaultTables(vocabulary);
    const suggestion = suggestedStatement(own, vocabulary, kind.value);
    if (kind.value === "CREATURE_COUNT") {
      const creature = select(
        "statement-new-creature",
        "Creature",
        vocabulary.creatures.map((c): [string, string] => [
          c.name,
          own.pool.has(c.name) ? `${c.name} (${own.pool.get(c.name)} in the pool)` : c.name,
        ]),
        suggestion.name,
      );
      const count = el("input", {
        id: "statement-new-count",
        type: "number",
        min: 0,
        value: String(suggestion.count ?? 0),
        "aria-label": "Count",
        "data-suggested": "",
      });
      creature.dataset.suggested = "";
      creature.addEventListener("change", () => (count.value = String(own.pool.get(creature.value) ?? 0)));
      fill(nameBox, creature, count);
    } else {
      const name = select(
        "statement-new-name",
        "Room, trap, door or spell",
        [...own.available].map(([n, a]): [string, string] => [n, `${n} (${availabilityText[a]})`]),
        suggestion.name,
      );
      name.dataset.suggested = "";
      fill(nameBox, name);
    }
  };
  kind.addEventListener("change", show);
  keeperBox.addEventListener("change", show);
  show();
  const add = el(
    "fieldset",
    { class: "form" },
    el("legend", {}, "New statement"),
    el("div", { class: "row" }, keeperBox, " ", kind, " ", nameBox),
    button(
      "Add statement",
      () => {
        const keeper = valueOf("statement-new-keeper");
        const words =
          kind.value === "CREATURE_COUNT"
            ? [
                kind.value,
                keeper,
                valueOf("statement-new-creature"),
                String(Math.max(0, Number(valueOf("statement-new-count")) | 0)),
              ]
            : [kind.value, keeper, valueOf("statement-new-name")];
        edit({ kind: "statement", words });
      },
      { id: "statement-add" },
    ),
  );
  const byKeeper = keepers.map((keeper) => {
    const own = entries.filter((e) => {
      const player = wordOf(model, e, "player");
      return player?.text === keeper;
    });
    return el(
      "section",
      { class: "keeper" },
      el("h3", {}, `Keeper ${keeper.slice(1)}`),
      own.length === 0
        ? el("p", { class: "empty" }, "A new level's settings.")
        : el(
            "ul",
            { class: "statements" },
            ...own.map((e) => {
              const text = model.entries
                .words(e)
                .map((w) => model.slice(w))
                .join(" ");
              return el(
                "li",
                {},
                `${text} `,
                button("Remove", () => edit({ kind: "remove", entry: e }), { "aria-label": `Remove ${text}` }),
              );
            }),
          ),
      el("p", { class: "tables", "data-keeper": keeper }, tablesText(tables.get(keeper)!, vocabulary)),
    );
  });
  refill(host, add, ...byKeeper);
  show();
  refillValues(host);
}
