// The WebAssembly module (built by the wasm preset; its folder from TUNNELSMITH_MODULE, as CTest
// sets it) and the project's sources, for the unit tests that need real outlines.
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

import type { Tunnelsmith } from "tunnelsmith";

import { ByteIndex } from "../../src/text/bytes";
import { packOutline } from "../../src/model/entries";
import { MapModel } from "../../src/model/map-model";

function required(name: string): string {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the tests with ctest --preset wasm`);
  return value;
}

export const sourceDir = required("TUNNELSMITH_SOURCE");

let loaded: Promise<Tunnelsmith> | null = null;
export function library(): Promise<Tunnelsmith> {
  loaded ??= import(pathToFileURL(join(required("TUNNELSMITH_MODULE"), "tunnelsmith.mjs")).href).then(
    (m: { loadTunnelsmith: () => Promise<Tunnelsmith> }) => m.loadTunnelsmith(),
  );
  return loaded;
}

export function source(path: string): string {
  return readFileSync(join(sourceDir, path), "utf8");
}

/** The map model of a map text, as the page makes it. */
export async function modelOf(text: string): Promise<MapModel> {
  const ts = await library();
  const players = Object.fromEntries(ts.vocabulary().players.map((p) => [p.name, p.value]));
  return new MapModel(packOutline(ts.outline(text)), ts.check(text), text, new ByteIndex(text), players);
}
