// The module in Node against the native build: the six files and the console of every example
// and of large generated maps byte for byte, the checker's diagnostics of the examples and the
// broken maps, the decompiler's round trip, and the other calls on the same files.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { after, before, describe, test } from "node:test";

import {
  brokenMaps,
  checkNatively,
  compileNatively,
  examples,
  generatedMaps,
  levelSuffixes,
  loadModule,
  sameBytes,
  scratch,
} from "./support.mjs";

let ts;
const work = scratch();
before(async () => {
  ts = await loadModule();
});
after(() => work.remove());

// Compiles `path` in the module and natively: the same files, the same messages.
function compareCompile(path) {
  const text = readFileSync(path);
  const result = ts.compile(new Uint8Array(text));
  const native = compileNatively(path);
  // The command line prints the banner, the messages and the files it wrote.
  const banner = `Tunnelsmith version: ${ts.version}\n`;
  const produced = result.files.map((f) => `produced file : ${f.name}\n`).join("");
  assert.equal(banner + result.console + produced, native.stdout, path);
  assert.equal(result.valid, native.status === 1);
  const nativeFiles = new Map(native.files.map((f) => [f.name, f.bytes]));
  assert.equal(result.files.length, native.files.length);
  for (const [i, file] of result.files.entries()) {
    assert.ok(file.name.endsWith(levelSuffixes[i]), file.name);
    assert.ok(file.bytes instanceof Uint8Array);
    assert.ok(sameBytes(file.bytes, nativeFiles.get(file.name)), `${file.name} differs`);
  }
  return result;
}

describe("compile", () => {
  test("the examples give the native compiler's files and console", () => {
    for (const path of examples()) {
      const result = compareCompile(path);
      assert.equal(result.files.length, 6, path);
    }
  });
  test("large generated maps give the native compiler's files", () => {
    for (const path of generatedMaps(work.dir)) {
      const result = compareCompile(path);
      assert.equal(result.valid, true, path);
    }
  });
  test("a rejected map gives problems, no files, and a string compiles as UTF-8", () => {
    const rejected = ts.compile("Lair1\nPlayers 9\n");
    assert.equal(rejected.valid, false);
    assert.deepEqual(rejected.files, []);
    assert.equal(rejected.problems[0].name, "bad-player-count");
    assert.equal(rejected.problems[0].severity, "error");
    const text = readFileSync(examples()[0], "utf8");
    const fromString = ts.compile(text);
    const fromBytes = ts.compile(new TextEncoder().encode(text));
    assert.deepEqual(fromString, fromBytes);
  });
});

describe("check and fix", () => {
  test("diagnostics are the native checker's", () => {
    for (const path of [...examples(), ...brokenMaps()]) {
      const { diagnostics } = ts.check(readFileSync(path));
      const native = checkNatively(path);
      assert.equal(diagnostics.length, native.length, path);
      diagnostics.forEach((d, i) => {
        const n = native[i];
        const fixes = d.fixes.map((f) => ({ offset: f.start, length: f.end - f.start, replacement: f.replacement }));
        assert.deepEqual(
          [d.id, d.severity, d.message, d.line, d.column, d.afterFirstError, fixes],
          [n.id, n.severity, n.message, n.line, n.column, n.afterFirstError, n.fixes],
          path,
        );
        assert.deepEqual(
          d.notes.map((note) => [note.line, note.column, note.message]),
          n.notes.map((note) => [note.line, note.column, note.message]),
        );
      });
    }
  });
  test("applying the fixes of a broken map mends it", () => {
    const lair = readFileSync(examples().find((p) => p.endsWith("lair1.txt")), "utf8");
    const broken = lair.replace("\nCREATURES\n", "\nCREATURES \n");
    const { diagnostics } = ts.check(broken);
    assert.equal(diagnostics[0].id, "keyword-with-blanks");
    assert.equal(new TextDecoder().decode(ts.applyFixes(broken, diagnostics)), lair);
    assert.equal(new TextDecoder().decode(ts.applyFixes(broken, diagnostics.map((d) => d.fixes))), lair);
    assert.equal(new TextDecoder().decode(ts.applyFixes(broken, "not fixes")), broken);
  });
});

describe("inspect, diff, decompile and the vocabularies", () => {
  test("every example decompiles exactly, and its text compiles to the same files", () => {
    for (const path of examples()) {
      const compiled = ts.compile(readFileSync(path));
      const level = ts.decompile(compiled.files);
      assert.equal(level.exact, true, path);
      assert.deepEqual(level.problems, []);
      const again = ts.compile(level.text);
      again.files.forEach((f, i) => assert.ok(sameBytes(f.bytes, compiled.files[i].bytes), f.name));
    }
  });
  test("a damaged level decompiles as far as it can, with findings", () => {
    const compiled = ts.compile(readFileSync(examples()[0]));
    const files = compiled.files.map((f) => ({ ...f }));
    files[2] = { name: files[2].name, bytes: files[2].bytes.slice(0, 40) };
    const level = ts.decompile(files);
    assert.equal(level.exact, false);
    assert.equal(level.damaged, true);
    assert.ok(level.problems.some((p) => p.file === 2));
    assert.equal(ts.decompile([]).exact, false);
  });
  test("inspections and diffs are the inspector's documents", () => {
    const compiled = ts.compile(readFileSync(examples()[0]));
    compiled.files.forEach((file) => {
      const inspection = ts.inspect(file.bytes);
      assert.equal(inspection.wellFormed, true);
      assert.equal(inspection.length, file.bytes.length);
      assert.equal(ts.diff(file.bytes, file.bytes).identical, true);
    });
    const changed = compiled.files[2].bytes.slice();
    changed[changed.length - 1] ^= 1;
    const diff = ts.diff(compiled.files[2].bytes, changed);
    assert.equal(diff.identical, false);
    assert.ok(diff.differences.length > 0);
    assert.equal(ts.diff(compiled.files[0].bytes, compiled.files[2].bytes).problems[0].name, "different-kinds");
    assert.equal(ts.inspect(new Uint8Array([1, 2, 3])).wellFormed, false);
  });
  test("the outline holds what the reader read, word by word", () => {
    const text = readFileSync(new URL("../../examples/lair1.txt", import.meta.url), "utf8");
    const outline = ts.outline(text);
    assert.equal(outline.levelName, "Lair1");
    assert.deepEqual([outline.grid.width, outline.grid.height], [12, 10]);
    assert.equal(outline.grid.terrain.length, 120);
    // The square (0, 0) is SOLID_ROCK, which the legend gives '#'.
    const rock = ts.vocabulary().terrains.find((t) => t.name === "SOLID_ROCK").value;
    assert.equal(outline.grid.terrain[0], rock);
    const troll = outline.entries.find((e) => e.section === "CREATURES");
    assert.deepEqual(troll.square, { x: 3, y: 3 });
    assert.deepEqual(troll.words.map((w) => text.slice(w.start, w.end)), ["TROLL", "3", "3", "L4", "P1"]);
    assert.deepEqual(troll.words.map((w) => w.kind), ["creature", "x", "y", "level", "player"]);
    const release = outline.references.find((r) => r.target === "HERO_GATES");
    assert.equal(outline.entries[release.entry].section, "HERO_GATES");
    assert.equal(ts.outline("").grid.terrain, null);
  });
  test("the vocabularies list the names the compiler knows", () => {
    const v = ts.vocabulary();
    for (const list of ["terrains", "creatures", "objects", "doors", "traps", "rooms", "spells", "players", "levels"]) {
      assert.ok(v[list].length > 0, list);
    }
    assert.ok(v.creatures.some((c) => c.name === "TROLL"));
    assert.deepEqual(v.levels[0], { name: "L1", value: 1 });
    assert.equal(v.sections[0], "MAP_CODES");
    const release = v.statements.find((s) => s.word === "ACTION_HERO_RELEASE");
    assert.deepEqual([release.section, release.operands], ["TRIGGERS", ["<band>", "G|A", "<number>"]]);
  });
});
