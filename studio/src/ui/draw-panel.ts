// The drawing tools and their choices: the tool bar over the map, and the Draw panel with the
// terrain palette (built from the vocabulary's terrains, grouped, searchable, each with its
// colour), the owner of owned terrain, what the Place tool puts down and with which properties,
// the keeper whose heart the Heart tool sets and the gate terrain of the Gate tool.
import type { Vocabulary } from "tunnelsmith";

import type { PlacementKind } from "../edit/engine";
import { guiCode } from "../edit/gui-codes";
import type { Palette } from "../view/palette";
import { el, fill } from "./dom";

export const toolList = [
  { id: "select", label: "Select", key: "v", help: "select, or drag a placement or heart to move it" },
  { id: "brush", label: "Brush", key: "b", help: "paint squares with the terrain" },
  { id: "rectangle", label: "Rectangle", key: "r", help: "paint a rectangle with the terrain" },
  { id: "fill", label: "Fill", key: "f", help: "fill the terrain's region joined side to side" },
  { id: "place", label: "Place", key: "p", help: "put a creature, object, door or trap on a square" },
  { id: "heart", label: "Heart", key: "h", help: "set a keeper's heart centre" },
  { id: "gate", label: "Gate", key: "g", help: "draw a hero gate as a rectangle" },
  { id: "area", label: "Area", key: "a", help: "draw an entrance area as a rectangle" },
] as const;

export type ToolId = (typeof toolList)[number]["id"];

const ownerPrefixes = ["KPR1_", "KPR2_", "KPR3_", "KPR4_", "HERO_", "NEUTRAL_"];
const ownerLabels: Record<string, string> = {
  KPR1_: "keeper 1",
  KPR2_: "keeper 2",
  KPR3_: "keeper 3",
  KPR4_: "keeper 4",
  HERO_: "heroes",
  NEUTRAL_: "neutral",
};

interface PaletteItem {
  /** The terrain's name without its owner, or its whole name when it has none. */
  base: string;
  owned: boolean;
  group: string;
}

/** Groups the vocabulary's terrains: owned ones once, by the name that follows their owner. */
export function paletteItems(names: readonly string[]): PaletteItem[] {
  const all = new Set(names);
  const items = new Map<string, PaletteItem>();
  for (const name of names) {
    const prefix = ownerPrefixes.find((p) => name.startsWith(p));
    const base = prefix ? name.slice(prefix.length) : name;
    const owned = prefix !== undefined && all.has(`KPR1_${base}`);
    const key = owned ? base : name;
    if (items.has(key)) continue;
    const group = /^HERO_GATE_/.test(name)
      ? "Hero gates"
      : owned
        ? base === "CLAIMED_SQ" || base === "OWNED_ROCK"
          ? "Claimed"
          : "Rooms"
        : /^HERO_/.test(name)
          ? "Heroes' ground"
          : "Ground";
    items.set(key, { base: key, owned, group });
  }
  return [...items.values()];
}

export interface DrawChoices {
  tool: ToolId;
  /** The terrain the brush, rectangle and fill paint, as a whole name. */
  terrain: string;
  place: { what: PlacementKind; name: string; level: string; owner: string; lock: string };
  keeper: number;
  gateTerrain: string;
}

export class DrawPanel implements DrawChoices {
  tool: ToolId = "select";
  #base = "CLAIMED_SQ";
  #owner = "KPR1_";
  place = { what: "creature" as PlacementKind, name: "IMP", level: "L1", owner: "P1", lock: "U" };
  keeper = 1;
  gateTerrain = "HERO_GATE_1";
  readonly #vocabulary: Vocabulary;
  readonly #palette: Palette;
  readonly #codes = new Map<string, number>();
  readonly #items: PaletteItem[];
  readonly #toolbar: HTMLElement;
  readonly #host: HTMLElement;
  readonly #changed: () => void;
  #players = 1;
  #gui = false;
  #search = "";

  constructor(toolbar: HTMLElement, host: HTMLElement, vocabulary: Vocabulary, palette: Palette, changed: () => void) {
    this.#vocabulary = vocabulary;
    this.#palette = palette;
    for (const { name, value } of vocabulary.terrains) this.#codes.set(name, value);
    this.#items = paletteItems(vocabulary.terrains.map((t) => t.name));
    this.#toolbar = toolbar;
    this.#host = host;
    this.#changed = changed;
    this.place.name = vocabulary.creatures[0]?.name ?? "IMP";
    this.render();
  }

  get terrain(): string {
    const item = this.#items.find((i) => i.base === this.#base);
    return item?.owned ? this.#owner + this.#base : this.#base;
  }

  /** The map's keepers and format: the owners and terrains it can take. */
  setMap(players: number, gui: boolean): void {
    if (players === this.#players && gui === this.#gui) return;
    this.#players = Math.max(1, players);
    this.#gui = gui;
    this.keeper = Math.min(this.keeper, this.#players);
    this.render();
  }

  setTool(tool: ToolId): void {
    this.tool = tool;
    this.render();
    this.#changed();
  }

  #owners(): string[] {
    return ownerPrefixes.filter((_, i) => i >= 4 || i < this.#players);
  }

  #players_(): string[] {
    return [...Array.from({ length: this.#players }, (_, i) => `P${i + 1}`), "PH", "PN"];
  }

  /** Whether a terrain can be drawn on this map (the two-character format spells only some). */
  #drawable(name: string): boolean {
    return !this.#gui || guiCode(name, (n) => this.#codes.has(n)) !== null;
  }

  render(): void {
    const tools = toolList.map((t) =>
      el(
        "button",
        {
          type: "button",
          role: "radio",
          class: "tool",
          id: `tool-${t.id}`,
          "aria-checked": String(this.tool === t.id),
          title: `${t.label} (${t.key.toUpperCase()}): ${t.help}`,
          onclick: () => this.setTool(t.id),
        },
        t.label,
      ),
    );
    fill(this.#toolbar, ...tools);
    this.#renderPanel();
  }

  #renderPanel(): void {
    const select = (
      id: string,
      label: string,
      options: readonly string[],
      value: string,
      set: (v: string) => void,
      labels: Record<string, string> = {},
    ): HTMLElement => {
      const box = el(
        "select",
        { id, onchange: (e: Event) => set((e.target as HTMLSelectElement).value) },
        ...options.map((o) => el("option", { value: o, selected: o === value }, labels[o] ?? o)),
      );
      return el("label", { class: "field", for: id }, `${label} `, box);
    };
    const terrainSection = el(
      "section",
      { class: "draw-group", "aria-label": "Terrain" },
      el("h3", {}, "Terrain (Brush, Rectangle, Fill)"),
      select(
        "draw-owner",
        "Owner of owned terrain",
        this.#owners(),
        this.#owner,
        (v) => {
          this.#owner = v;
          this.#renderPanel();
          this.#changed();
        },
        ownerLabels,
      ),
      el(
        "label",
        { class: "field", for: "terrain-search" },
        "Search ",
        el("input", {
          id: "terrain-search",
          type: "search",
          value: this.#search,
          placeholder: "lair, gate, rock…",
          oninput: (e: Event) => {
            this.#search = (e.target as HTMLInputElement).value;
            this.#renderPalette();
          },
        }),
      ),
      el("div", { id: "terrain-palette", class: "terrain-palette" }),
    );
    const kinds: Record<PlacementKind, readonly { name: string }[]> = {
      creature: this.#vocabulary.creatures,
      object: this.#vocabulary.objects,
      door: this.#vocabulary.doors,
      trap: this.#vocabulary.traps,
    };
    const names = kinds[this.place.what].map((n) => n.name);
    if (!names.includes(this.place.name)) this.place.name = names[0] ?? "";
    const what = this.place.what;
    const placeSection = el(
      "section",
      { class: "draw-group", "aria-label": "Place" },
      el("h3", {}, "Place"),
      select("place-kind", "Kind", ["creature", "object", "door", "trap"], what, (v) => {
        this.place.what = v as PlacementKind;
        this.#renderPanel();
      }),
      select("place-name", "Name", names, this.place.name, (v) => (this.place.name = v)),
      what === "creature"
        ? select(
            "place-level",
            "Level",
            this.#vocabulary.levels.map((l) => l.name),
            this.place.level,
            (v) => (this.place.level = v),
          )
        : null,
      what !== "object"
        ? select("place-owner", "Owner", this.#players_(), this.place.owner, (v) => (this.place.owner = v))
        : null,
      what === "door"
        ? select("place-lock", "Lock", ["U", "L"], this.place.lock, (v) => (this.place.lock = v), {
            U: "unlocked",
            L: "locked",
          })
        : null,
    );
    const heartSection = el(
      "section",
      { class: "draw-group", "aria-label": "Heart" },
      el("h3", {}, "Heart"),
      select(
        "heart-keeper",
        "Keeper",
        Array.from({ length: this.#players }, (_, i) => String(i + 1)),
        String(this.keeper),
        (v) => (this.keeper = Number(v)),
      ),
    );
    const gates = this.#vocabulary.terrains
      .map((t) => t.name)
      .filter((n) => /^HERO_GATE_\d+$/.test(n) && this.#drawable(n));
    const gateSection = el(
      "section",
      { class: "draw-group", "aria-label": "Gate" },
      el("h3", {}, "Hero gate"),
      select("gate-terrain", "Gate terrain", gates, this.gateTerrain, (v) => (this.gateTerrain = v)),
    );
    fill(this.#host, terrainSection, placeSection, heartSection, gateSection);
    this.#renderPalette();
  }

  #renderPalette(): void {
    const host = this.#host.querySelector<HTMLElement>("#terrain-palette");
    if (!host) return;
    const search = this.#search.trim().toUpperCase().replace(/\s+/g, "_");
    const groups = new Map<string, HTMLElement[]>();
    for (const item of this.#items) {
      const name = item.owned ? this.#owner + item.base : item.base;
      const code = this.#codes.get(name);
      if (code === undefined || !this.#drawable(name) || (search && !item.base.includes(search))) continue;
      const [r, g, b] = this.#palette.look(code).fill;
      const button = el(
        "button",
        {
          type: "button",
          class: "terrain",
          "data-terrain": item.base,
          "aria-pressed": String(item.base === this.#base),
          onclick: () => {
            this.#base = item.base;
            if (this.tool === "select" || this.tool === "place" || this.tool === "heart" || this.tool === "area")
              this.tool = "brush";
            this.render();
            this.#changed();
          },
        },
        el("span", { class: "swatch", "data-colour": `${r},${g},${b}` }),
        item.base.toLowerCase().replace(/_/g, " "),
      );
      const list = groups.get(item.group) ?? [];
      list.push(button);
      groups.set(item.group, list);
    }
    const order = ["Ground", "Claimed", "Rooms", "Hero gates", "Heroes' ground"];
    fill(
      host,
      ...[...groups]
        .sort((a, b) => order.indexOf(a[0]) - order.indexOf(b[0]))
        .map(([group, buttons]) =>
          el("div", { class: "terrain-group", role: "group", "aria-label": group }, el("h4", {}, group), ...buttons),
        ),
    );
    // The page's Content-Security-Policy allows no inline styles: colours go in through the CSSOM.
    for (const swatch of host.querySelectorAll<HTMLElement>(".swatch"))
      swatch.style.backgroundColor = `rgb(${swatch.dataset.colour})`;
  }
}
