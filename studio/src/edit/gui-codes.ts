// The map-drawing tool's two characters a square: an owner character and a terrain character,
// which together spell a terrain name (owner prefix + terrain suffix). Squares of a map in that
// format are written with these, so that an edited map keeps its format.

const owners: readonly [string, string][] = [
  ["1", "KPR1_"],
  ["2", "KPR2_"],
  ["3", "KPR3_"],
  ["4", "KPR4_"],
  ["H", "HERO_"],
  ["N", "NEUTRAL_"],
];

const suffixes: readonly [string, string][] = [
  ["A", "CLAIMED_SQ"],
  ["B", "OWNED_ROCK"],
  ["C", "TREASURY"],
  ["D", "LAIR"],
  ["E", "PORTAL"],
  ["F", "HATCHERY"],
  ["G", "HEART"],
  ["H", "LIBRARY"],
  ["I", "TRAINING"],
  ["J", "WOOD_BR"],
  ["K", "GUARD_RM"],
  ["L", "WORKSHOP"],
  ["M", "PRISON"],
  ["N", "TORTURE"],
  ["O", "TEMPLE"],
  ["P", "GRAVEYARD"],
  ["Q", "CASINO"],
  ["R", "COMBAT_PIT"],
  ["S", "STONE_BR"],
  ["T", "MANA"],
  ["a", "MAP_BORDER"],
  ["b", "SOLID_ROCK"],
  ["c", "ROCK"],
  ["d", "UNCLAIMED"],
  ["e", "WATER"],
  ["f", "LAVA"],
  ["g", "GOLD"],
  ["h", "GEMS"],
  ["i", "HERO_GATE_1"],
  ["j", "HERO_GATE_2"],
  ["k", "HERO_GATE_3"],
  ["l", "HERO_GATE_4"],
  ["m", "HERO_GATE_5"],
  ["n", "HERO_GATE_6"],
  ["o", "HERO_REST_AREA"],
  ["p", "HERO_GATE_7"],
  ["q", "HERO_GATE_8"],
  ["r", "HERO_GATE_9"],
  ["s", "HERO_GATE_10"],
];

/** The two characters that spell a terrain name in the map-drawing tool's format, or null. */
export function guiCode(terrain: string, known: (name: string) => boolean): string | null {
  for (const [owner, prefix] of owners) {
    if (!terrain.startsWith(prefix)) continue;
    const suffix = suffixes.find(([c, s]) => s === terrain.slice(prefix.length) && c === c.toUpperCase());
    if (suffix && known(terrain)) return owner + suffix[0];
  }
  const plain = suffixes.find(([c, s]) => s === terrain && c === c.toLowerCase());
  return plain && known(terrain) ? "O" + plain[0] : null;
}
