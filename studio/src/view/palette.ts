// The colours of the map, the same as the PNG preview's (tools/preview/palette.cc; a unit test
// holds the two together): one fill per terrain id, one hue per owner. Claimed floors and owned
// rock are tinted with their owner's hue, rooms keep their own colour inside a frame in the
// owner's hue, the heart is a dark shade of its owner's hue, and each hero gate terrain has a fill
// of its own inside a magenta frame. Terrain codes: the lowest byte is the terrain id, the next
// the owner player (1 heroes, 2 neutral, 3 to 6 keepers 1 to 4).

export type Rgb = readonly [number, number, number];

export const terrainIdOf = (code: number): number => code & 0xff;
export const ownerOf = (code: number): number => (code >>> 8) & 0xff;

export const HERO = 1;
export const NEUTRAL = 2;
export const FIRST_KEEPER = 3;

/** Unowned terrain, by terrain id. */
export const plainColours: ReadonlyMap<number, Rgb> = new Map<number, Rgb>([
  [1, [74, 72, 82]], // SOLID_ROCK
  [2, [120, 90, 62]], // ROCK
  [3, [172, 152, 118]], // UNCLAIMED
  [4, [15, 85, 105]], // WATER
  [5, [255, 120, 0]], // LAVA
  [6, [250, 210, 40]], // GOLD
  [7, [170, 250, 240]], // GEMS
  [30, [0, 0, 0]], // MAP_BORDER
  [35, [240, 205, 165]], // HERO_REST_AREA
]);

/** Rooms, by terrain id. */
export const roomColours: ReadonlyMap<number, Rgb> = new Map<number, Rgb>([
  [10, [180, 150, 60]], // TREASURY
  [11, [125, 75, 45]], // LAIR
  [12, [75, 55, 95]], // PORTAL
  [13, [205, 130, 150]], // HATCHERY
  [14, [130, 20, 40]], // HEART, drawn in its owner's hue instead
  [15, [140, 100, 130]], // LIBRARY
  [16, [190, 120, 50]], // TRAINING
  [17, [170, 125, 80]], // WOOD_BR
  [18, [100, 115, 80]], // GUARD_RM
  [19, [120, 125, 140]], // WORKSHOP
  [20, [70, 70, 90]], // PRISON
  [21, [150, 40, 100]], // TORTURE
  [22, [225, 225, 190]], // TEMPLE
  [23, [75, 100, 70]], // GRAVEYARD
  [24, [235, 150, 200]], // CASINO
  [25, [175, 70, 40]], // COMBAT_PIT
  [26, [165, 165, 150]], // STONE_BR
  [32, [120, 160, 190]], // MANA
]);

export const CLAIMED_FLOOR_ID = 8;
export const OWNED_ROCK_ID = 9;
export const HEART_ID = 14;
export const floorGround: Rgb = [90, 90, 90];
export const rockGround: Rgb = [60, 56, 54];
export const unknownFill: Rgb = [128, 128, 128];
export const markerEdge: Rgb = [0, 0, 0];
export const gateFrame: Rgb = [235, 30, 200];
export const gateOutline: Rgb = [255, 255, 255];
export const areaOutline: Rgb = [0, 230, 255];

/** Hero, neutral, then keepers 1 to 4. */
export const ownerHues: readonly Rgb[] = [
  [245, 245, 245],
  [150, 150, 150],
  [235, 35, 35],
  [40, 110, 255],
  [30, 200, 50],
  [0, 215, 225],
];

/** HERO_GATE_1 to HERO_GATE_10 in their order. */
export const gateFills: readonly Rgb[] = [
  [255, 175, 235],
  [150, 0, 150],
  [255, 80, 150],
  [235, 30, 200],
  [120, 70, 255],
  [175, 0, 255],
  [95, 0, 70],
  [190, 150, 255],
  [200, 0, 90],
  [70, 20, 140],
];

export function ownerHue(player: number): Rgb {
  return ownerHues[player - HERO] ?? unknownFill;
}

export function ownerLabel(player: number): string {
  if (player === HERO) return "heroes";
  if (player === NEUTRAL) return "neutral";
  if (player >= FIRST_KEEPER && player < FIRST_KEEPER + 4) return `keeper ${player - FIRST_KEEPER + 1}`;
  return `player ${player}`;
}

/** `a` moved towards `b` by `t` (0 to 1), rounded as the preview rounds. */
export function mix(a: Rgb, b: Rgb, t: number): Rgb {
  const channel = (i: 0 | 1 | 2): number => Math.round(a[i] + (b[i] - a[i]) * t);
  return [channel(0), channel(1), channel(2)];
}

export interface TileLook {
  fill: Rgb;
  /** Rooms: the owner's hue, drawn along the sides where the room ends. */
  frame: Rgb | null;
}

/**
 * The looks of every terrain, knowing the gate terrains' codes (from the vocabulary, by their
 * names HERO_GATE_1 to HERO_GATE_10).
 */
export class Palette {
  readonly #gates: Map<number, number>;
  readonly #looks = new Map<number, TileLook>();

  constructor(terrains: readonly { name: string; value: number }[]) {
    this.#gates = new Map();
    for (const { name, value } of terrains) {
      const match = /^HERO_GATE_(\d+)$/.exec(name);
      if (match) this.#gates.set(value, Number(match[1]));
    }
  }

  /** 1 to 10 for a hero gate terrain, else 0. */
  gateNumber(code: number): number {
    return this.#gates.get(code) ?? 0;
  }

  /** Claimed floor, owned rock and the rooms: the terrains that carry an owner. */
  isOwned(code: number): boolean {
    const id = terrainIdOf(code);
    return this.gateNumber(code) === 0 && (id === CLAIMED_FLOOR_ID || id === OWNED_ROCK_ID || roomColours.has(id));
  }

  /** How a square of this terrain is drawn, as the preview draws it. */
  look(code: number): TileLook {
    let look = this.#looks.get(code);
    if (look === undefined) {
      look = this.#lookOf(code);
      this.#looks.set(code, look);
    }
    return look;
  }

  #lookOf(code: number): TileLook {
    const gate = this.gateNumber(code);
    if (gate > 0) return { fill: gateFills[gate - 1]!, frame: gateFrame };
    const id = terrainIdOf(code);
    const hue = ownerHue(ownerOf(code));
    if (id === HEART_ID) return { fill: mix(hue, markerEdge, 0.35), frame: hue };
    if (id === CLAIMED_FLOOR_ID) return { fill: mix(floorGround, hue, 0.55), frame: null };
    if (id === OWNED_ROCK_ID) return { fill: mix(rockGround, hue, 0.3), frame: null };
    const room = roomColours.get(id);
    if (room) return { fill: room, frame: hue };
    return { fill: plainColours.get(id) ?? unknownFill, frame: null };
  }
}
