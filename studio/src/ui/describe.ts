// What the hover line says about a square: its coordinates, terrain and owner, what stands there,
// the gate or area it belongs to (with the bands released there) and the problems on it.
import type { Diagnostic } from "tunnelsmith";

import type { Entity, MapModel } from "../model/map-model";
import { ownerLabel, ownerOf } from "../view/palette";
import { conditionText } from "./panels";

export function terrainName(names: ReadonlyMap<number, string>, code: number): string {
  return names.get(code) ?? `unknown terrain 0x${code.toString(16).padStart(8, "0")}`;
}

function entityText(e: Entity): string {
  switch (e.kind) {
    case "creature":
      return `creature ${e.name} ${e.detail} (${ownerLabel(e.owner)})`;
    case "door":
      return `door ${e.name}, ${e.detail} (${ownerLabel(e.owner)})`;
    case "trap":
      return `trap ${e.name} (${ownerLabel(e.owner)})`;
    case "object":
      return `object ${e.name}`;
    case "heart":
      return `heart centre of keeper ${e.number}`;
    default:
      return "";
  }
}

export function describeSquare(
  model: MapModel,
  x: number,
  y: number,
  names: ReadonlyMap<number, string>,
  diagnostics: Diagnostic[],
): string[] {
  const code = model.terrainAt(x, y);
  if (code === null) return [`(${x}, ${y}) is off the map`];
  const lines = [`(${x}, ${y})  ${terrainName(names, code)}  owner: ${ownerLabel(ownerOf(code))}`];
  const here = model.entitiesAt(x, y);
  const standing = here.filter((e) => e.kind !== "gate" && e.kind !== "area").map(entityText);
  if (standing.length > 0) lines.push(`stands here: ${standing.join("; ")}`);
  for (const region of here.filter((e) => e.kind === "gate" || e.kind === "area")) {
    const kind = region.kind === "gate" ? "G" : "A";
    const r = region.rect;
    let text = `in ${region.kind === "gate" ? "hero gate" : "entrance area"} ${region.name} (${r.left}, ${r.top}) to (${r.right}, ${r.bottom})`;
    const releases = model.releasesAt(kind, region.number).map(({ trigger, action }) => {
      const band = model.bands.find((b) => b.number === action.release!.band);
      return `${band ? band.name : "band"} (band ${action.release!.band}) ${conditionText(trigger)}`;
    });
    if (releases.length > 0) text += `; releases ${releases.join(", ")}`;
    lines.push(text);
  }
  for (const d of diagnostics) lines.push(`${d.severity} (line ${d.line}): ${d.message}`);
  return lines;
}
