// Each keeper's scenario tables: what a new level gives every keeper (its creature pool and what
// it may build, research and cast), and what the scenario statements make of that, read in their
// order as the compiler does. The forms show them and offer choices that change something.

/** Where a room, trap, door or spell stands for a keeper: an entry of the level file, or none. */
export type Availability = "start" | "research" | "no" | "none";

export const availabilityText: Record<Availability, string> = {
  start: "from the start",
  research: "to research",
  no: "not available",
  none: "not offered",
};

export interface KeeperTables {
  /** The creature pool: each kind in it and how many. */
  pool: Map<string, number>;
  /** Every room, trap, door and keeper spell, in the order the compiler looks names up. */
  available: Map<string, Availability>;
}

/** The vocabulary's lists that the tables are made of. */
export interface ScenarioNames {
  creatures: readonly { name: string }[];
  rooms: readonly { name: string }[];
  traps: readonly { name: string }[];
  doors: readonly { name: string }[];
  spells: readonly { name: string }[];
}

/** How many of each kind a new level's creature pool holds. */
export const DEFAULT_POOL_COUNT = 32;

const defaultPool = [
  "BILE_DEMON",
  "MISTRESS",
  "WARLOCK",
  "DARK_ELF",
  "GOBLIN",
  "TROLL",
  "SALAMANDER",
  "FIREFLY",
  "BLACK_KNIGHT",
  "DARK_ANGEL",
  "ROGUE",
];

/** The rooms, traps, doors and spells a new level has no entry for; every other one is there from the start. */
const notOffered = new Set([
  "PORTAL",
  "HEART",
  "MANA_VAULT",
  "TR_BIG_SENTRY",
  "STONE_BARRICADE",
  "GRATED_DOOR",
  "SIGHT_OF_EVIL_SPELL",
  "CALL_TO_ARMS_SPELL",
  "LIGHTNING_SPELL",
  "TURNCOAT_SPELL",
  "TREMOR_SPELL",
  "INFERNO_SPELL",
  "HEAL_SPELL",
  "CHICKEN_SPELL",
  "CREATE_GOLD_SPELL",
  "SUMMON_HORNY_SPELL",
]);

/** What a new level's scenario tables hold for each keeper. */
export function defaultTables(names: ScenarioNames): KeeperTables {
  const known = new Set(names.creatures.map((c) => c.name));
  const pool = new Map(defaultPool.filter((c) => known.has(c)).map((c): [string, number] => [c, DEFAULT_POOL_COUNT]));
  const available = new Map<string, Availability>();
  for (const list of [names.rooms, names.traps, names.doors, names.spells])
    for (const { name } of list) if (!available.has(name)) available.set(name, notOffered.has(name) ? "none" : "start");
  return { pool, available };
}

const statementAvailability: Record<string, Availability> = {
  START_WITH: "start",
  MUST_RESEARCH: "research",
  NO: "no",
};

/**
 * One keeper's tables after its statements (each the statement's words, the player left out:
 * ["START_WITH", "PORTAL"], ["CREATURE_COUNT", "TROLL", "5"]); statements the compiler skips
 * (an unknown name or count) change nothing.
 */
export function keeperTables(names: ScenarioNames, statements: readonly (readonly string[])[]): KeeperTables {
  const tables = defaultTables(names);
  const creatures = new Set(names.creatures.map((c) => c.name));
  for (const [word = "", name = "", count] of statements) {
    if (word === "CREATURE_COUNT") {
      if (creatures.has(name) && count !== undefined && /^[0-9]+$/.test(count)) tables.pool.set(name, Number(count));
      continue;
    }
    const state = statementAvailability[word];
    if (state && tables.available.has(name)) tables.available.set(name, state);
  }
  return tables;
}

/**
 * The choice a new statement of this kind starts with: a name it would change (the first in
 * the compiler's order), so that adding it as offered does something; for CREATURE_COUNT the
 * first creature of the pool and the count it holds now.
 */
export function suggestedStatement(
  tables: KeeperTables,
  names: ScenarioNames,
  word: string,
): { name: string; count?: number } {
  if (word === "CREATURE_COUNT") {
    const [first] = tables.pool;
    const name = first?.[0] ?? names.creatures[0]?.name ?? "";
    return { name, count: tables.pool.get(name) ?? 0 };
  }
  const wanted = statementAvailability[word];
  // Every keeper has its heart already: the heart room is never a choice worth starting at.
  const all = [...tables.available].filter(([name]) => name !== "HEART");
  // START_WITH: first what is not offered at all (a portal on a new level), then what must be researched.
  const order: Availability[] =
    wanted === "start"
      ? ["none", "research", "no"]
      : wanted === "research"
        ? ["none", "no", "start"]
        : ["start", "research"];
  for (const state of order) {
    const found = all.find(([, s]) => s === state);
    if (found) return { name: found[0] };
  }
  return { name: all[0]?.[0] ?? "" };
}
