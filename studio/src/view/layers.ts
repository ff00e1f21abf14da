// The map's layers, which the designer switches on and off, and what each decides: the colour of
// a square (terrain and ownership), which entities are drawn and hit by a click, and how much
// detail a zoom level can show.
import type { Entity, EntityKind } from "../model/map-model";
import {
  CLAIMED_FLOOR_ID,
  HEART_ID,
  OWNED_ROCK_ID,
  Palette,
  type Rgb,
  floorGround,
  ownerHue,
  ownerOf,
  rockGround,
  roomColours,
  terrainIdOf,
} from "./palette";

export const layerList = [
  { id: "terrain", label: "Terrain" },
  { id: "ownership", label: "Ownership" },
  { id: "creatures", label: "Creatures" },
  { id: "objects", label: "Objects" },
  { id: "doors", label: "Doors" },
  { id: "traps", label: "Traps" },
  { id: "hearts", label: "Heart centres" },
  { id: "gates", label: "Hero gates" },
  { id: "areas", label: "Entrance areas" },
  { id: "bands", label: "Hero bands" },
  { id: "diagnostics", label: "Diagnostics" },
] as const;

export type LayerId = (typeof layerList)[number]["id"];

export const layerOfKind: Record<EntityKind, LayerId> = {
  creature: "creatures",
  object: "objects",
  door: "doors",
  trap: "traps",
  heart: "hearts",
  gate: "gates",
  area: "areas",
};

export class Layers {
  readonly #on = new Set<LayerId>(layerList.map((l) => l.id));

  has(id: LayerId): boolean {
    return this.#on.has(id);
  }

  set(id: LayerId, on: boolean): void {
    if (on) this.#on.add(id);
    else this.#on.delete(id);
  }

  /** Whether an entity shows (and can be picked on the canvas). */
  shows(entity: Entity): boolean {
    return this.has(layerOfKind[entity.kind]);
  }

  /** What the square's colour depends on, as a key: the ground bitmap is redrawn when it changes. */
  get groundKey(): string {
    return `${this.has("terrain")}/${this.has("ownership")}`;
  }
}

/**
 * A square's colour. Both terrain and ownership: the preview's look. Terrain alone: owned
 * terrain without its owner's tint (claimed floor and owned rock as bare ground, the heart in its
 * room colour). Ownership alone: each owned square in its owner's hue, the rest `background`.
 */
export function squareColour(palette: Palette, code: number, layers: Layers, background: Rgb): Rgb {
  const terrain = layers.has("terrain");
  const ownership = layers.has("ownership");
  if (terrain && ownership) return palette.look(code).fill;
  if (terrain) {
    if (!palette.isOwned(code)) return palette.look(code).fill;
    const id = terrainIdOf(code);
    if (id === CLAIMED_FLOOR_ID) return floorGround;
    if (id === OWNED_ROCK_ID) return rockGround;
    return roomColours.get(id === HEART_ID ? HEART_ID : id) ?? palette.look(code).fill;
  }
  if (ownership && palette.isOwned(code)) return ownerHue(ownerOf(code));
  return background;
}

/** How much a zoom level (CSS pixels a square) can show. */
export function detailAt(scale: number): { frames: boolean; markers: boolean; labels: boolean } {
  return { frames: scale >= 6, markers: scale >= 3, labels: scale >= 0.5 };
}

/** The entity a click on a square picks: placements before heart centres before gates and areas. */
export function pick(entities: readonly Entity[], layers: Layers): Entity | null {
  const order: EntityKind[] = ["creature", "door", "trap", "object", "heart", "gate", "area"];
  let best: Entity | null = null;
  for (const e of entities) {
    if (!layers.shows(e)) continue;
    if (best === null || order.indexOf(e.kind) < order.indexOf(best.kind)) best = e;
  }
  return best;
}
