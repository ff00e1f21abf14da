// Builds Studio into a folder that any static web host can serve: the page and its style sheet,
// the bundled scripts (the page and the library's worker, type-checked first), the WebAssembly
// module beside them and the example maps.
//
//   node build.mjs --out DIR --module DIR --examples DIR [--tests DIR]
//     --out       the page (the wasm preset's `studio` target)
//     --tests     the unit tests too, bundled for node --test
import { execFileSync } from "node:child_process";
import { copyFileSync, mkdirSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { parseArgs } from "node:util";

const here = dirname(fileURLToPath(import.meta.url));
const esbuild = await import("esbuild").catch(() => {
  console.error(`build.mjs: esbuild is missing from ${join(here, "node_modules")}: run scripts/install-deps wasm`);
  process.exit(1);
});
const { values: options } = parseArgs({
  options: {
    out: { type: "string" },
    module: { type: "string" },
    examples: { type: "string" },
    tests: { type: "string" },
  },
});

// The library is loaded beside the scripts, never bundled: its glue finds its .wasm file there.
const library = {
  name: "tunnelsmith-module",
  setup(build) {
    build.onResolve({ filter: /^tunnelsmith$/ }, () => ({ path: "./tunnelsmith.mjs", external: true }));
  },
};

const common = { bundle: true, format: "esm", target: "es2022", logLevel: "warning", legalComments: "none" };

if (options.tests) {
  const tests = readdirSync(join(here, "test/unit")).filter((name) => name.endsWith(".test.ts"));
  rmSync(options.tests, { recursive: true, force: true });
  await esbuild.build({
    ...common,
    entryPoints: tests.map((name) => join(here, "test/unit", name)),
    outdir: options.tests,
    outExtension: { ".js": ".mjs" },
    platform: "node",
    external: ["node:*"],
    plugins: [library],
  });
  // The palette for the browser tests, which compare the canvas's pixels with it.
  await esbuild.build({
    ...common,
    entryPoints: { palette: join(here, "src/view/palette.ts") },
    outdir: join(options.tests, "lib"),
    outExtension: { ".js": ".mjs" },
    platform: "node",
  });
}
if (options.out) {
  for (const name of ["module", "examples"]) if (!options[name]) throw new Error(`build.mjs: --${name} is missing`);
  execFileSync(process.execPath, [join(here, "node_modules/typescript/bin/tsc"), "--noEmit", "-p", here], {
    stdio: "inherit",
  });
  const out = options.out;
  rmSync(out, { recursive: true, force: true });
  mkdirSync(join(out, "examples"), { recursive: true });
  await esbuild.build({
    ...common,
    entryPoints: { studio: join(here, "src/main.ts"), worker: join(here, "src/worker/worker.ts") },
    outdir: out,
    // The page's code in a chunk of its own, which loads while the worker starts.
    splitting: true,
    chunkNames: "[name]-[hash]",
    minify: true,
    sourcemap: false,
    plugins: [library],
  });
  for (const name of ["index.html", "studio.css", "editor.css", "favicon.svg"])
    copyFileSync(join(here, "static", name), join(out, name));
  for (const name of ["tunnelsmith.mjs", "tunnelsmith-core.mjs", "tunnelsmith-core.wasm"])
    copyFileSync(join(options.module, name), join(out, name));
  const examples = readdirSync(options.examples)
    .filter((name) => name.endsWith(".txt"))
    .sort();
  for (const name of examples) copyFileSync(join(options.examples, name), join(out, "examples", name));
  writeFileSync(join(out, "examples/index.json"), JSON.stringify(examples));
}
