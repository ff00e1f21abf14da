// A new level's text: the header, a grid of earth inside a border of solid rock with each
// keeper's heart (three by three) on a patch of claimed floor, and every section in its order,
// empty. Written in either grid format.

export interface NewLevel {
  name: string;
  width: number;
  height: number;
  keepers: number;
  /** The map-drawing tool's format (two characters a square) instead of a text map. */
  gui: boolean;
}

/** Half the side of a keeper's patch of claimed floor around its heart's centre. */
const PATCH = 2;

/** Each keeper's heart centre, spread over the map; null when the map is too small for them. */
export function heartCentres(width: number, height: number, keepers: number): { x: number; y: number }[] | null {
  const columns = keepers === 1 ? 1 : 2;
  const rows = keepers <= 2 ? 1 : 2;
  const centres: { x: number; y: number }[] = [];
  for (let k = 0; k < keepers; ++k) {
    const column = k % columns;
    const row = Math.floor(k / columns);
    centres.push({
      x: Math.floor(((2 * column + 1) * width) / (2 * columns)),
      y: Math.floor(((2 * row + 1) * height) / (2 * rows)),
    });
  }
  // Each patch inside the border, and apart from the others by a square of earth.
  const fits = centres.every(
    (c, i) =>
      c.x - PATCH >= 1 &&
      c.y - PATCH >= 1 &&
      c.x + PATCH <= width - 2 &&
      c.y + PATCH <= height - 2 &&
      centres.every((d, j) => j === i || Math.abs(c.x - d.x) > 2 * PATCH + 1 || Math.abs(c.y - d.y) > 2 * PATCH + 1),
  );
  return fits ? centres : null;
}

/** Why a new level cannot be made with these choices, or null. */
export function newLevelProblem(level: NewLevel): string | null {
  if (!/^[A-Za-z0-9_-]{1,34}$/.test(level.name))
    return "The level name is one word of at most 34 letters, digits, - or _.";
  if (!(level.keepers >= 1 && level.keepers <= 4)) return "A level has 1 to 4 keepers.";
  const widest = level.gui ? 499 : 999;
  if (!(Number.isInteger(level.width) && level.width >= 1 && level.width <= widest))
    return `The width is 1 to ${widest} squares${level.gui ? " in the map-drawing tool's format" : ""}.`;
  if (!(Number.isInteger(level.height) && level.height >= 1 && level.height <= 1000))
    return "The height is 1 to 1000 squares.";
  if (!heartCentres(level.width, level.height, level.keepers))
    return `The map is too small for ${level.keepers} keeper${level.keepers === 1 ? "" : "s"}' hearts.`;
  return null;
}

/** The text of a new level (its choices checked with newLevelProblem first). */
export function newLevelText(level: NewLevel): string {
  const { width, height, keepers, gui } = level;
  const centres = heartCentres(width, height, keepers)!;
  // Squares: # solid rock, . earth, then claimed floor and heart of each keeper.
  const text = { rock: "#", earth: ".", floor: ["1", "2", "3", "4"], heart: ["A", "B", "C", "D"] };
  const pair = { rock: "Ob", earth: "Oc", floor: ["1A", "2A", "3A", "4A"], heart: ["1G", "2G", "3G", "4G"] };
  const codes = gui ? pair : text;
  const rows: string[] = [];
  for (let y = 0; y < height; ++y) {
    let row = "";
    for (let x = 0; x < width; ++x) {
      let square = x === 0 || y === 0 || x === width - 1 || y === height - 1 ? codes.rock : codes.earth;
      centres.forEach((c, k) => {
        const dx = Math.abs(x - c.x);
        const dy = Math.abs(y - c.y);
        if (dx <= 1 && dy <= 1) square = codes.heart[k]!;
        else if (dx <= PATCH && dy <= PATCH) square = codes.floor[k]!;
      });
      row += square;
    }
    rows.push(row);
  }
  const lines = [
    gui ? `GUI_GENERATED_MAP ${level.name}` : level.name,
    `Players ${keepers}`,
    `Size ${width} x ${height}`,
  ];
  lines.push(...rows);
  if (!gui) {
    const legend = ["# SOLID_ROCK", ". ROCK"];
    for (let k = 1; k <= keepers; ++k) legend.push(`${k} KPR${k}_CLAIMED_SQ`, `${text.heart[k - 1]} KPR${k}_HEART`);
    lines.push("MAP_CODES", String(legend.length), ...legend);
  }
  for (const section of ["THINGS", "CREATURES", "DOORS", "TRAPS"]) lines.push(section, "0");
  lines.push("HEARTS_AND_GOLD");
  centres.forEach((c, k) => lines.push(`KPR${k + 1}_HEART_CENTER ${c.x} ${c.y}`));
  for (const section of ["HERO_BANDS", "AREAS", "HERO_GATES", "TRIGGERS"]) lines.push(section, "0");
  lines.push("SCENARIO_DESCRIPTION", "EOF");
  return lines.join("\n") + "\n";
}
