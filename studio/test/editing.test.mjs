// Making and changing a level in Studio, end to end in headless Chromium with clicks and keys
// only: a new level drawn from scratch (terrain, heart, a creature, a door, a gate, a band, a
// trigger that releases it, a scenario statement), saved and built, its six files compared with
// the native compiler's on the saved text; every step undone and redone; a reload in the middle of
// editing and the map restored; a map in the map-drawing tool's format edited in that format; a
// CR LF map opened through the browser's file picker, edited and written back to its file; a gate
// drawn half off the grid, with the checker's error.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";

import { unzipSync } from "fflate";

import { checked, checkedAfter, openBrowser, squarePoint } from "./browser.mjs";

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the tests with ctest --preset wasm`);
  return value;
}
const studio = required("TUNNELSMITH_STUDIO");
const nativeCompiler = join(required("TUNNELSMITH_NATIVE_BUILD"), "tunnelsmith");
const { loadTunnelsmith } = await import(pathToFileURL(join(required("TUNNELSMITH_MODULE"), "tunnelsmith.mjs")).href);
const ts = await loadTunnelsmith();

let session;
let work;
let downloads = 0;
before(async () => {
  assert.ok(existsSync(nativeCompiler), `no native compiler at ${nativeCompiler}: build the dev preset`);
  session = await openBrowser(studio);
  work = mkdtempSync(join(tmpdir(), "tunnelsmith-studio-editing-"));
});
after(async () => {
  await session?.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

/** Clicks a control and waits for the text it changed to be analysed. */
async function andChecked(page, act) {
  const before = await page.evaluate(() => document.body.dataset.checked);
  await act();
  await checkedAfter(page, before);
}

/** The files a click downloads, into a folder of their own: their names and bytes. */
async function download(page, selector) {
  const folder = join(work, `download-${++downloads}`);
  mkdirSync(folder);
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: folder });
  await page.click(selector);
  for (let i = 0; i < 400; ++i) {
    const done = readdirSync(folder).filter((n) => !n.endsWith(".crdownload"));
    if (done.length > 0) {
      await new Promise((r) => setTimeout(r, 50));
      return { name: done[0], bytes: readFileSync(join(folder, done[0])) };
    }
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error(`${selector} downloaded nothing`);
}

/** The map's text as Save gives it. */
async function savedText(page) {
  return (await download(page, "#save")).bytes.toString("utf8");
}

async function click(page, x, y) {
  const p = await squarePoint(page, x, y);
  await page.mouse.click(p.x, p.y);
}

/** Presses the main button on one square, moves over the others and lets go on the last. */
async function drag(page, squares) {
  const [first, ...rest] = squares;
  const p = await squarePoint(page, first.x, first.y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  for (const s of rest) {
    const q = await squarePoint(page, s.x, s.y);
    await page.mouse.move(q.x, q.y, { steps: 2 });
  }
  await page.mouse.up();
}

async function choose(page, selector, value) {
  await page.select(selector, value);
}

async function tab(page, name) {
  await page.click(`#tab-${name}`);
}

/** Opens the new level dialog and makes a level. */
async function newLevel(page, { name, width, height, keepers, gui }) {
  await page.click("#new-level");
  for (const [id, value] of [
    ["new-name", name],
    ["new-width", width],
    ["new-height", height],
  ]) {
    await page.click(`#${id}`, { clickCount: 3 });
    await page.keyboard.type(String(value));
  }
  await choose(page, "#new-keepers", String(keepers));
  await page.click(`input[name=format][value=${gui ? "gui" : "text"}]`);
  await andChecked(page, () => page.click("#new-create"));
}

test("a level made from scratch with clicks and keys builds the native compiler's files; undo and redo walk every step", async () => {
  const errors = [];
  const page = await session.page("/?map=examples/lair1.txt", { errors });
  try {
    await checked(page);
    await newLevel(page, { name: "Scratch", width: 20, height: 12, keepers: 1, gui: false });
    const start = await savedText(page);
    assert.match(start, /^Scratch\nPlayers 1\nSize 20 x 12\n/);
    assert.equal(ts.check(start).diagnostics.length, 0, "a new level is a clean start");
    const texts = [start];
    const step = async (act) => {
      await andChecked(page, act);
      texts.push(await savedText(page));
    };

    // Terrain: a stroke of keeper 1's lair across three squares, a rectangle of water, a fill.
    await tab(page, "draw");
    await page.click("#tool-brush");
    await page.click('#terrain-palette button[data-terrain="LAIR"]');
    await step(() =>
      drag(page, [
        { x: 2, y: 2 },
        { x: 3, y: 2 },
        { x: 4, y: 2 },
      ]),
    );
    await page.click('#terrain-palette button[data-terrain="WATER"]');
    await page.click("#tool-rectangle");
    await step(() =>
      drag(page, [
        { x: 14, y: 8 },
        { x: 16, y: 9 },
      ]),
    );
    // Heart: the centre moved by one square within the heart.
    await page.click("#tool-heart");
    const heart = /KPR1_HEART_CENTER (\d+) (\d+)/.exec(start).slice(1).map(Number);
    await step(() => click(page, heart[0] + 1, heart[1]));
    // A creature and a door.
    await page.click("#tool-place");
    await choose(page, "#place-kind", "creature");
    await choose(page, "#place-name", "TROLL");
    await choose(page, "#place-level", "L3");
    await step(() => click(page, 3, 3));
    await choose(page, "#place-kind", "door");
    await choose(page, "#place-name", "WOODEN_DOOR");
    await choose(page, "#place-lock", "L");
    await step(() => click(page, 5, 5));
    // A gate of two squares.
    await page.click("#tool-gate");
    await step(() =>
      drag(page, [
        { x: 17, y: 2 },
        { x: 18, y: 2 },
      ]),
    );
    // A band of one knight, a trigger that releases it at the gate, a scenario statement.
    await tab(page, "bands");
    await step(() => page.click("#band-add"));
    await choose(page, "#band-1-creature", "KNIGHT");
    await choose(page, "#band-1-level", "L4");
    await step(() => page.click("#band-1-add"));
    await tab(page, "triggers");
    await choose(page, "#trigger-new-kind", "TRIGGER_TIME");
    await page.click("#trigger-new-number", { clickCount: 3 });
    await page.keyboard.type("900");
    await step(() => page.click("#trigger-add"));
    await choose(page, "#trigger-1-action-kind", "ACTION_HERO_RELEASE");
    await choose(page, "#trigger-1-action-band", "1");
    await choose(page, "#trigger-1-action-place", "G 1");
    await step(() => page.click("#trigger-1-action-add"));
    assert.match(await page.$eval("#trigger-forms", (e) => e.textContent), /TRIGGER_TIME 900 \(after 900 s\)/);
    await tab(page, "scenario");
    await choose(page, "#statement-new-kind", "START_WITH");
    // A new level's keeper has no portal: that is what START_WITH offers first.
    assert.equal(await page.$eval("#statement-new-name", (e) => e.value), "PORTAL");
    assert.match(
      await page.$eval('#scenario .tables[data-keeper="P1"]', (e) => e.textContent),
      /^Pool: 11 kinds, 352 creatures\. From the start: 15 rooms, 11 traps, 6 doors, 2 spells\.$/,
    );
    await step(() => page.click("#statement-add"));

    // A fill over its own terrain writes nothing, so it is no step of the history either: the
    // undo walk below would meet it.
    await tab(page, "draw");
    await page.click('#terrain-palette button[data-terrain="WATER"]');
    await page.click("#tool-fill");
    await click(page, 15, 8);
    await new Promise((r) => setTimeout(r, 300));
    assert.equal(await savedText(page), texts.at(-1), "a fill of water over water");

    const final = texts.at(-1);
    for (const line of [
      "TROLL 3 3 L3 P1",
      "WOODEN_DOOR 5 5 P1 L",
      "1 17 2",
      "Band 1 PH\nKNIGHT L4",
      "TRIGGER_TIME 900\n1\nACTION_HERO_RELEASE 1 G 1",
      "START_WITH P1 PORTAL\nEOF",
      `KPR1_HEART_CENTER ${heart[0] + 1} ${heart[1]}`,
    ])
      assert.ok(final.includes(line), `the text holds ${JSON.stringify(line)}:\n${final}`);
    const rows = final.split("\n").slice(3, 15);
    assert.equal(rows[2].slice(2, 5), rows[2][2].repeat(3), "the stroke painted three squares alike");
    // Only the concerned lines changed: the header, the untouched rows and the empty sections stay.
    assert.deepEqual(final.split("\n").slice(0, 5), start.split("\n").slice(0, 5));
    assert.equal(
      ts.check(final).errors,
      0,
      ts
        .check(final)
        .diagnostics.map((d) => d.message)
        .join("\n"),
    );

    // Build: the zip holds what the native compiler writes from the saved text.
    const built = await download(page, "#build");
    const zipped = unzipSync(new Uint8Array(built.bytes));
    const native = join(work, "native");
    mkdirSync(native);
    const mapFile = join(work, "Scratch.txt");
    await import("node:fs").then((fs) => fs.writeFileSync(mapFile, final));
    spawnSync(nativeCompiler, [mapFile], { cwd: native });
    const expected = readdirSync(native).sort();
    assert.equal(expected.length, 6);
    assert.deepEqual(Object.keys(zipped).sort(), expected);
    for (const name of expected) assert.ok(Buffer.from(zipped[name]).equals(readFileSync(join(native, name))), name);

    // Undo every step from the map (Ctrl+Z), each giving back the text before it; then redo them.
    await page.focus("#map");
    for (let i = texts.length - 1; i > 0; --i) {
      await andChecked(page, () => page.keyboard.down("Control").then(() => page.keyboard.press("z")));
      await page.keyboard.up("Control");
      assert.equal(await savedText(page), texts[i - 1], `undo step ${i}`);
    }
    await page.focus("#map");
    for (let i = 1; i < texts.length; ++i) {
      await andChecked(page, async () => {
        await page.keyboard.down("Control");
        await page.keyboard.down("Shift");
        await page.keyboard.press("z");
        await page.keyboard.up("Shift");
        await page.keyboard.up("Control");
      });
      assert.equal(await savedText(page), texts[i], `redo step ${i}`);
    }
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("a reload in the middle of editing offers the map back, with its changes", async () => {
  const errors = [];
  const prompts = [];
  const page = await session.page("/?map=examples/lair1.txt", { errors, prompts });
  try {
    await checked(page);
    await tab(page, "draw");
    await page.click("#tool-place");
    await choose(page, "#place-kind", "trap");
    await choose(page, "#place-name", "TR_SPIKE");
    await andChecked(page, () => click(page, 4, 7));
    await page.click("#tool-brush");
    await page.click('#terrain-palette button[data-terrain="GOLD"]');
    await andChecked(page, () =>
      drag(page, [
        { x: 9, y: 1 },
        { x: 10, y: 1 },
      ]),
    );
    assert.ok(await page.$("body[data-unsaved]"), "the page knows the map is not saved");
    // The page keeps the map after every change; wait for the last write, then reload.
    await page.waitForFunction(
      () =>
        new Promise((resolve) => {
          const open = indexedDB.open("tunnelsmith-studio");
          open.onsuccess = () => {
            const get = open.result.transaction("open-map").objectStore("open-map").get("current");
            get.onsuccess = () =>
              resolve(get.result?.text.includes("TR_SPIKE 4 7 P1") && get.result.text.includes("gg"));
          };
        }),
    );
    await page.reload();
    await checked(page);
    assert.equal(prompts.length, 1, "leaving with unsaved changes asked first");
    await page.waitForSelector("#restore:not([hidden])");
    await andChecked(page, () => page.click("#restore-yes"));
    const restored = await savedText(page);
    assert.ok(restored.includes("TR_SPIKE 4 7 P1"), restored);
    assert.ok(restored.includes("TRAPS\n2\n"), "the count followed");
    assert.equal(restored.split("\n")[4], "#........gg#", "the painted row");
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("a map in the map-drawing tool's format stays in it", async () => {
  const errors = [];
  const page = await session.page("/?map=examples/quartet_gui.txt", { errors });
  try {
    await checked(page);
    const start = await savedText(page);
    const { width, height } = ts.outline(start).grid;
    await tab(page, "draw");
    await page.click("#tool-brush");
    await choose(page, "#draw-owner", "KPR2_");
    await page.click('#terrain-palette button[data-terrain="LIBRARY"]');
    await andChecked(page, () =>
      drag(page, [
        { x: 2, y: 2 },
        { x: 3, y: 2 },
      ]),
    );
    await page.click("#tool-place");
    await choose(page, "#place-kind", "creature");
    await andChecked(page, () => click(page, 3, 2));
    const text = await savedText(page);
    const outline = ts.outline(text);
    assert.ok(outline.grid.twoCharacters, "still two characters a square");
    assert.equal(text.split("\n")[0], start.split("\n")[0]);
    assert.ok(!text.includes("MAP_CODES"), "no legend added");
    const rowStart = outline.grid.rowStarts[2];
    assert.equal(text.slice(rowStart + 4, rowStart + 8), "2H2H");
    const library = ts.vocabulary().terrains.find((t) => t.name === "KPR2_LIBRARY").value;
    assert.equal(outline.grid.terrain[2 * width + 2], library);
    assert.equal(outline.grid.terrain.length, width * height);
    // Only the row and the creature count changed, and the creature's line came: every other line stays.
    const lines = (t) => {
      const counts = new Map();
      for (const line of t.split("\n")) counts.set(line, (counts.get(line) ?? 0) + 1);
      return counts;
    };
    const [before, now] = [lines(start), lines(text)];
    const gone = [...before].filter(([line, n]) => (now.get(line) ?? 0) < n).map(([line]) => line);
    const come = [...now].filter(([line, n]) => (before.get(line) ?? 0) < n).map(([line]) => line);
    assert.equal(gone.length, 2, `lines gone: ${gone.join(" | ")}`);
    assert.equal(come.length, 3, `lines come: ${come.join(" | ")}`);
    assert.equal(come.at(-1), "IMP 3 2 L1 P1");
    assert.ok(ts.compile(text).valid);
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("a map opened through the browser's file picker is saved back to its file, with its CR LF line ends", async () => {
  const errors = [];
  const page = await session.page("/?map=examples/lair1.txt", { errors });
  try {
    await checked(page);
    const lair = readFileSync(join(required("TUNNELSMITH_SOURCE"), "examples/lair1.txt"), "utf8");
    const original = lair.replace(/\n/g, "\r\n");
    // A file handle in memory stands for the file: what Save writes to it is kept in the page.
    await page.evaluate((text) => {
      window.written = [];
      const handle = {
        kind: "file",
        name: "lair-crlf.txt",
        getFile: async () => new File([text], "lair-crlf.txt"),
        createWritable: async () => {
          const parts = [];
          return {
            write: async (data) => void parts.push(data),
            close: async () => void window.written.push(parts.join("")),
          };
        },
      };
      window.showOpenFilePicker = async (options) => {
        window.pickerOptions = options;
        return [handle];
      };
    }, original);
    await andChecked(page, () => page.click("label[for=open-file]"));
    assert.equal(await page.evaluate(() => window.pickerOptions.multiple), true, "level files may be picked too");

    // On the canvas: a stroke of gold, and an imp placed in the solid rock of the corner, which
    // the checker warns of at the imp's line.
    await tab(page, "draw");
    await page.click("#tool-brush");
    await page.click('#terrain-palette button[data-terrain="GOLD"]');
    await andChecked(page, () =>
      drag(page, [
        { x: 9, y: 1 },
        { x: 10, y: 1 },
      ]),
    );
    await page.click("#tool-place");
    await choose(page, "#place-kind", "creature");
    await choose(page, "#place-name", "IMP");
    await andChecked(page, () => click(page, 0, 0));
    // In the text: the level's name, on the first line.
    await page.focus("#text-pane >>> .cm-content");
    await page.keyboard.down("Control");
    await page.keyboard.press("Home");
    await page.keyboard.up("Control");
    await andChecked(page, async () => {
      await page.keyboard.press("End");
      await page.keyboard.type("Crlf");
    });
    assert.equal(await page.$eval("#level-name", (e) => e.textContent), "Lair1Crlf");

    // The diagnostic stands at the imp's line, in the problem list and in the text pane.
    const lines = original.split("\r\n");
    const impLine = lines.indexOf("KNIGHT 9 8 L5 PH") + 2;
    await tab(page, "problems");
    const item = await page.waitForSelector('#problems li[data-id="creature-in-rock"]');
    assert.equal(await item.evaluate((e) => e.dataset.line), String(impLine));
    await (await item.$("button.link")).click();
    assert.equal(await page.$eval("#text-pane >>> .cm-activeLine", (e) => e.textContent), "IMP 0 0 L1 P1");

    await page.click("#save");
    await page.waitForFunction(() => document.getElementById("status-text").textContent === "Saved lair-crlf.txt.");
    const written = await page.evaluate(() => window.written);
    assert.equal(written.length, 1, "written back once, nothing downloaded");
    const saved = written[0];
    assert.doesNotMatch(saved, /(^|[^\r])\n/, "every line ends with CR LF");
    assert.ok(saved.endsWith("\r\n"));
    // The lines concerned changed and the imp's came; every other line is as it was.
    const expected = [...lines];
    expected[0] = "Lair1Crlf";
    expected[4] = "#........gg#";
    expected[lines.indexOf("CREATURES") + 1] = "3";
    expected.splice(impLine - 1, 0, "IMP 0 0 L1 P1");
    assert.deepEqual(saved.split("\r\n"), expected);
    assert.ok(!(await page.$("body[data-unsaved]")), "saved: nothing left unsaved");

    // Build: the native compiler's files from the file as written.
    const built = await download(page, "#build");
    const zipped = unzipSync(new Uint8Array(built.bytes));
    const native = join(work, "native-crlf");
    mkdirSync(native);
    writeFileSync(join(work, "Lair1Crlf.txt"), saved);
    spawnSync(nativeCompiler, [join(work, "Lair1Crlf.txt")], { cwd: native });
    const names = readdirSync(native).sort();
    assert.equal(names.length, 6);
    assert.deepEqual(Object.keys(zipped).sort(), names);
    for (const name of names) assert.ok(Buffer.from(zipped[name]).equals(readFileSync(join(native, name))), name);
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("a gate drawn half off the grid is written as drawn, and the checker's error shows at once", async () => {
  const errors = [];
  const page = await session.page("/?map=examples/lair1.txt", { errors });
  try {
    await checked(page);
    await newLevel(page, { name: "Edge", width: 16, height: 10, keepers: 1, gui: false });
    await tab(page, "draw");
    await page.click("#tool-gate");
    // From a square inside the border out past the left edge.
    await andChecked(page, () =>
      drag(page, [
        { x: 2, y: 4 },
        { x: -2, y: 4 },
      ]),
    );
    const text = await savedText(page);
    const lines = text.split("\n");
    const gateLine = lines.indexOf("1 -2 4") + 1;
    assert.ok(gateLine > 0, `the gate's entry as drawn:\n${text}`);
    assert.equal(lines[lines.indexOf("HERO_GATES") + 1], "1", "the gate is counted");
    await tab(page, "problems");
    const gateErrors = await page.$$eval(`#problems li.error`, (items) =>
      items.map((i) => ({ line: i.dataset.line, text: i.textContent })),
    );
    assert.ok(
      gateErrors.some((e) => e.line === String(gateLine)),
      `an error at the gate's line ${gateLine}: ${JSON.stringify(gateErrors)}`,
    );
    assert.notEqual(await page.$eval("#problem-count", (e) => e.textContent), "0");
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});
