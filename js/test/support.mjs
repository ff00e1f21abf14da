// What the module's tests share: where the module, the sources and the native build are (set
// by CTest from the wasm preset), running the native programs, and the maps to compare on.
import { execFileSync, spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the tests with ctest --preset wasm`);
  return value;
}

export const moduleDir = required("TUNNELSMITH_MODULE");
export const sourceDir = required("TUNNELSMITH_SOURCE");
const nativeBuild = required("TUNNELSMITH_NATIVE_BUILD");
export const nativeCompiler = join(nativeBuild, "tunnelsmith");
export const nativeChecker = join(nativeBuild, "tools/check/tunnelsmith-check");
export const mapgen = required("TUNNELSMITH_NATIVE_MAPGEN");
export const chromium = process.env.TUNNELSMITH_CHROMIUM;

export const levelSuffixes = ["Map.kld", "Triggers.kld", "Things.kld", "Players.kld", "Variables.kld", ".kwd"];

export async function loadModule() {
  const { loadTunnelsmith } = await import(join(moduleDir, "tunnelsmith.mjs"));
  return loadTunnelsmith();
}

export function scratch() {
  const dir = mkdtempSync(join(tmpdir(), "tunnelsmith-js-"));
  return { dir, remove: () => rmSync(dir, { recursive: true, force: true }) };
}

// What the native compiler makes of `mapPath`: its standard output and the files it wrote.
export function compileNatively(mapPath) {
  const work = scratch();
  try {
    const run = spawnSync(nativeCompiler, [mapPath], { cwd: work.dir, maxBuffer: 1 << 28 });
    const files = readdirSync(work.dir)
      .sort()
      .map((name) => ({ name, bytes: new Uint8Array(readFileSync(join(work.dir, name))) }));
    return { stdout: run.stdout.toString("utf8"), status: run.status, files };
  } finally {
    work.remove();
  }
}

// The native checker's diagnostics of `mapPath`, one object per JSON line.
export function checkNatively(mapPath) {
  const run = spawnSync(nativeChecker, ["--format=json", mapPath], { maxBuffer: 1 << 28 });
  return run.stdout
    .toString()
    .split("\n")
    .filter((line) => line !== "")
    .map((line) => JSON.parse(line));
}

// The map texts of a folder of the source tree, in name order.
function mapsIn(folder) {
  const dir = join(sourceDir, folder);
  return readdirSync(dir)
    .filter((name) => name.endsWith(".txt"))
    .sort()
    .map((name) => join(dir, name));
}

export function examples() {
  return mapsIn("examples");
}

export function brokenMaps() {
  return mapsIn("tests/golden/check");
}

// Large maps from the benchmark generator, into `dir`: a text grid, a GUI grid and long lists.
export function generatedMaps(dir) {
  if (!existsSync(mapgen)) throw new Error(`no map generator at ${mapgen}: build the bench preset`);
  const shapes = {
    LargeText: ["--width", "999", "--height", "1000"],
    LargeGui: ["--gui", "--width", "499", "--height", "1000"],
    LargeLists: ["--width", "200", "--height", "200", "--entries", "200000", "--triggers", "65535"],
  };
  return Object.entries(shapes).map(([name, args]) => {
    const path = join(dir, `${name}.txt`);
    execFileSync(mapgen, ["--name", name, ...args, path]);
    return path;
  });
}

export function sameBytes(a, b) {
  return a.length === b.length && Buffer.from(a).equals(Buffer.from(b));
}
