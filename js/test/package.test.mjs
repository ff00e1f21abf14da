// The module as another project meets it: `npm install <build-wasm/js>` in a scratch project,
// then a short script there imports "tunnelsmith" by name and compiles an example.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { writeFileSync } from "node:fs";
import { join } from "node:path";
import { test } from "node:test";

import { examples, moduleDir, scratch } from "./support.mjs";

test("npm install of the module's folder gives a package that compiles a map", () => {
  const project = scratch();
  try {
    writeFileSync(join(project.dir, "package.json"), JSON.stringify({ name: "studio", private: true, type: "module" }));
    // A folder install: npm links or copies it, and asks no registry.
    execFileSync("npm", ["install", "--offline", "--no-audit", "--no-fund", "--install-links", moduleDir], {
      cwd: project.dir,
      stdio: "pipe",
    });
    writeFileSync(
      join(project.dir, "use.mjs"),
      `import { readFileSync } from "node:fs";
       import { loadTunnelsmith } from "tunnelsmith";
       const ts = await loadTunnelsmith();
       const { valid, files } = ts.compile(readFileSync(process.argv[2]));
       console.log(JSON.stringify({ version: ts.version, valid, files: files.map((f) => [f.name, f.bytes.length]) }));`,
    );
    const lair = examples().find((p) => p.endsWith("lair1.txt"));
    const out = JSON.parse(execFileSync("node", ["use.mjs", lair], { cwd: project.dir }).toString());
    assert.equal(out.valid, true);
    assert.match(out.version, /^\d+\.\d+$/);
    assert.deepEqual(
      out.files.map(([name]) => name),
      ["Lair1Map.kld", "Lair1Triggers.kld", "Lair1Things.kld", "Lair1Players.kld", "Lair1Variables.kld", "Lair1.kwd"],
    );
    assert.ok(out.files.every(([, size]) => size > 0));
  } finally {
    project.remove();
  }
});
