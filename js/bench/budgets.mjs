// The module's budgets, measured (a benchmark, never a test): its size gzipped, and the compile
// time of the three largest benchmark maps against native, measured inside the module (the
// compile timer built for both) and from JavaScript with the marshalling. The first use in
// Chromium is printed by test/browser.test.mjs.
//   node bench/budgets.mjs [RUNS]   (after the dev, bench and wasm presets are built)
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import { gzipSync } from "node:zlib";

const source = new URL("../..", import.meta.url).pathname;
const runs = Number(process.argv[2] ?? 5);
const moduleDir = join(source, "build-wasm/js");
const mapgen = join(source, "build-bench/bench/tunnelsmith-mapgen");
const nativeTimer = join(source, "build-bench/bench/tunnelsmith-compile-timer");
const wasmTimer = join(source, "build-wasm/tunnelsmith-compile-timer.js");

const gzipped = (file) => gzipSync(readFileSync(join(moduleDir, file)), { level: 9 }).length;
const files = ["tunnelsmith-core.wasm", "tunnelsmith-core.mjs", "tunnelsmith.mjs"];
const total = files.reduce((sum, f) => sum + gzipped(f), 0);
console.log(`size gzipped: ${(total / 1024).toFixed(0)} KiB (${files.map((f) => `${f} ${(gzipped(f) / 1024).toFixed(0)}`).join(", ")}); budget 400 KiB`);

// The three largest maps bench/run.sh generates.
const maps = {
  BenchText: ["--width", "999", "--height", "1000"],
  BenchGui: ["--gui", "--width", "499", "--height", "1000"],
  BenchLists: ["--width", "200", "--height", "200", "--entries", "200000", "--triggers", "65535"],
};
const dir = execFileSync("mktemp", ["-d"]).toString().trim();
const paths = Object.entries(maps).map(([name, args]) => {
  const path = join(dir, `${name}.txt`);
  execFileSync(mapgen, ["--name", name, ...args, path]);
  return path;
});

const timed = (command, args) =>
  Object.fromEntries(
    execFileSync(command, args)
      .toString()
      .trim()
      .split("\n")
      .map((line) => line.split(" "))
      .map(([path, ms]) => [path, Number(ms)]),
  );
const native = timed(nativeTimer, [String(runs), ...paths]);
const inside = timed("node", ["--no-experimental-fetch", wasmTimer, String(runs), ...paths]);

const { loadTunnelsmith } = await import(join(moduleDir, "tunnelsmith.mjs"));
const ts = await loadTunnelsmith();
for (const path of paths) {
  const text = readFileSync(path);
  const times = [];
  for (let i = 0; i < runs; ++i) {
    const start = performance.now();
    const result = ts.compile(text);
    times.push(performance.now() - start);
    if (!result.valid) throw new Error(`${path} is not valid`);
  }
  times.sort((a, b) => a - b);
  const js = times[Math.floor(times.length / 2)];
  const name = path.slice(path.lastIndexOf("/") + 1);
  const mib = (text.length / 1048576).toFixed(1);
  console.log(
    `${name} (${mib} MiB): native ${native[path].toFixed(1)} ms, in the module ${inside[path].toFixed(1)} ms ` +
      `(${(inside[path] / native[path]).toFixed(2)}x), from JavaScript ${js.toFixed(1)} ms ` +
      `(${(js / native[path]).toFixed(2)}x); budget 2x`,
  );
}
execFileSync("rm", ["-rf", dir]);
