// Studio end to end in headless Chromium (Debian's, through puppeteer-core), for every example:
// it opens without a console error or a request beyond its own files; a square's pixel has its
// terrain's colour and hovering it names the terrain; a broken copy shows its diagnostic at the
// right line and square; "Build level" downloads the native compiler's six files, byte for byte;
// and a hostile level name stays text. CTest sets the folders (ctest --preset wasm).
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";

import { unzipSync } from "fflate";

import { checked, openBrowser, pickThroughInput } from "./browser.mjs";

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the tests with ctest --preset wasm`);
  return value;
}
const studio = required("TUNNELSMITH_STUDIO");
const sourceDir = required("TUNNELSMITH_SOURCE");
const nativeCompiler = join(required("TUNNELSMITH_NATIVE_BUILD"), "tunnelsmith");
const { loadTunnelsmith } = await import(pathToFileURL(join(required("TUNNELSMITH_MODULE"), "tunnelsmith.mjs")).href);
const { Palette } = await import(pathToFileURL(join(studio, "../studio-tests/lib/palette.mjs")).href);

const ts = await loadTunnelsmith();
const vocabulary = ts.vocabulary();
const palette = new Palette(vocabulary.terrains);
const terrainName = new Map();
for (const { name, value } of vocabulary.terrains) if (!terrainName.has(value)) terrainName.set(value, name);
const examples = readdirSync(join(sourceDir, "examples"))
  .filter((n) => n.endsWith(".txt"))
  .sort();

let session;
let work;
before(async () => {
  assert.ok(existsSync(nativeCompiler), `no native compiler at ${nativeCompiler}: build the dev preset`);
  session = await openBrowser(studio);
  work = mkdtempSync(join(tmpdir(), "tunnelsmith-studio-test-"));
});
after(async () => {
  await session?.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

/** Opens a page, with its console errors and requests collected. */
async function open(path) {
  const errors = [];
  const requests = [];
  const page = await session.page(path, { errors, requests });
  await checked(page);
  return { page, errors, requests };
}

/** Opens a map text through the file picker. */
async function pick(page, name, text) {
  const path = join(work, name);
  writeFileSync(path, text);
  const before = await page.evaluate(() => document.body.dataset.checked);
  await pickThroughInput(page, [path]);
  await page.waitForFunction(
    (b) => document.body.dataset.checked !== b && !document.body.hasAttribute("data-busy"),
    { timeout: 60000 },
    before,
  );
}

/** The canvas point at the centre of a square, in page coordinates and in canvas pixels. */
async function squarePoint(page, x, y) {
  return page.evaluate(
    (x, y) => {
      const canvas = document.getElementById("map");
      const [scale, left, top] = canvas.dataset.view.split(" ").map(Number);
      const box = canvas.getBoundingClientRect();
      const px = (x - left + 0.5) * scale;
      const py = (y - top + 0.5) * scale;
      return { pageX: box.left + px, pageY: box.top + py, px, py, scale };
    },
    x,
    y,
  );
}

async function pixel(page, px, py) {
  return page.evaluate(
    (px, py) => {
      const canvas = document.getElementById("map");
      const ratio = canvas.width / canvas.getBoundingClientRect().width;
      return Array.from(
        canvas
          .getContext("2d")
          .getImageData(Math.floor(px * ratio), Math.floor(py * ratio), 1, 1)
          .data.slice(0, 3),
      );
    },
    px,
    py,
  );
}

async function hoverText(page) {
  return page.$eval("#hover", (e) => e.textContent);
}

async function setLayers(page, on) {
  for (const box of await page.$$("#layers input[type=checkbox]")) {
    const id = await box.evaluate((b) => b.id.replace(/^layer-/, ""));
    const checked = await box.evaluate((b) => b.checked);
    if (checked !== on.includes(id)) await box.click();
  }
}

function lineOf(text, byteOffset) {
  return Buffer.from(text).subarray(0, byteOffset).toString().split("\n").length;
}

for (const example of examples) {
  test(`${example}: opens cleanly, draws and names its squares, shows a broken copy's diagnostic, builds the native files`, async () => {
    const text = readFileSync(join(sourceDir, "examples", example), "utf8");
    const outline = ts.outline(text);
    const { width, height, terrain } = outline.grid;
    const { page, errors, requests } = await open(`/?map=examples/${example}`);
    try {
      assert.deepEqual(errors, [], "no console error");
      const origin = session.origin;
      assert.deepEqual(
        requests.filter((url) => !url.startsWith(`${origin}/`) && !url.startsWith("data:")),
        [],
        "no request beyond the page's own files",
      );
      assert.equal(await page.$eval("#level-name", (e) => e.textContent), outline.levelName);

      // Terrain and ownership alone: a square's centre pixel is its terrain's colour. The squares:
      // the first heart centre (or the middle) and the top-left one.
      await setLayers(page, ["terrain", "ownership"]);
      const heart = outline.entries.find((e) => e.section === "HEARTS_AND_GOLD" && e.square)?.square ?? {
        x: width >> 1,
        y: height >> 1,
      };
      for (const square of [heart, { x: 0, y: 0 }, { x: width - 1, y: height - 1 }]) {
        const code = terrain[square.y * width + square.x];
        const point = await squarePoint(page, square.x, square.y);
        assert.deepEqual(
          await pixel(page, point.px, point.py),
          [...palette.look(code).fill],
          `${example}: the colour of (${square.x}, ${square.y})`,
        );
        await page.mouse.move(point.pageX, point.pageY);
        const hover = await hoverText(page);
        assert.ok(hover.startsWith(`(${square.x}, ${square.y})`), hover);
        assert.ok(
          hover.includes(terrainName.get(code)),
          `${example}: hovering (${square.x}, ${square.y}) names ${terrainName.get(code)}: ${hover}`,
        );
      }

      // Build level: the zip holds the native compiler's six files.
      const downloads = join(work, example, "downloads");
      mkdirSync(downloads, { recursive: true });
      const cdp = await page.createCDPSession();
      await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
      await page.click("#build");
      const zipName = `${outline.levelName}.zip`;
      await page.waitForFunction(() => /^Built /.test(document.getElementById("status-text").textContent), {
        timeout: 60000,
      });
      for (let i = 0; i < 200 && !existsSync(join(downloads, zipName)); ++i)
        await new Promise((r) => setTimeout(r, 50));
      const zipped = unzipSync(new Uint8Array(readFileSync(join(downloads, zipName))));
      const native = join(work, example, "native");
      mkdirSync(native, { recursive: true });
      spawnSync(nativeCompiler, [join(sourceDir, "examples", example)], { cwd: native });
      const expected = readdirSync(native).sort();
      assert.equal(expected.length, 6);
      assert.deepEqual(Object.keys(zipped).sort(), expected);
      for (const name of expected)
        assert.ok(Buffer.from(zipped[name]).equals(readFileSync(join(native, name))), `${example}: ${name}`);

      // A broken copy: the first creature moved into solid rock, opened through the file picker.
      const creature = outline.entries.find((e) => e.section === "CREATURES" && e.square);
      const rock = vocabulary.terrains.find((t) => t.name === "SOLID_ROCK").value;
      const inRock = terrain.findIndex((code) => code === rock);
      if (creature && inRock >= 0) {
        const target = { x: inRock % width, y: Math.floor(inRock / width) };
        const [xWord, yWord] = ["x", "y"].map((k) => creature.words.find((w) => w.kind === k));
        const bytes = Buffer.from(text);
        const broken = Buffer.concat([
          bytes.subarray(0, xWord.start),
          Buffer.from(`${target.x}`),
          bytes.subarray(xWord.end, yWord.start),
          Buffer.from(`${target.y}`),
          bytes.subarray(yWord.end),
        ]).toString();
        const line = lineOf(broken, creature.span.start);
        await pick(page, `broken-${example}`, broken);
        await setLayers(page, ["terrain", "ownership", "diagnostics"]);
        const item = await page.$(`#problems li[data-id="creature-in-rock"]`);
        assert.ok(item, `${example}: the problem list shows the creature in the rock`);
        assert.equal(await item.evaluate((e) => e.dataset.line), String(line));
        await (await item.$("button.link")).click();
        const active = await page.$eval("#text-pane >>> .cm-activeLineGutter", (e) => e.textContent);
        assert.equal(active, String(line), `${example}: the text pane goes to line ${line}`);
        assert.ok(await page.$("#text-pane >>> .cm-lintRange-warning"), "the text pane marks the diagnostic");
        const point = await squarePoint(page, target.x, target.y);
        await page.mouse.move(point.pageX, point.pageY);
        assert.match(await hoverText(page), new RegExp(`warning \\(line ${line}\\): .*stands inside solid rock`));
        // The mark around the square, in the warning colour (3 pixels wide, 2 outside the square).
        const warning = await page.evaluate(() =>
          getComputedStyle(document.documentElement).getPropertyValue("--warning").trim(),
        );
        const mark = await pixel(page, point.px - Math.max(point.scale, 8) / 2 - 2, point.py);
        assert.equal(
          `#${mark.map((c) => c.toString(16).padStart(2, "0")).join("")}`,
          warning,
          `${example}: the square is marked`,
        );
      }
      assert.deepEqual(errors, [], "no console error");
    } finally {
      await page.close();
    }
  });
}

test("a hostile level name and messages stay text", async () => {
  const lair = readFileSync(join(sourceDir, "examples/lair1.txt"), "utf8");
  const { page, errors } = await open("/?map=examples/lair1.txt");
  try {
    for (const name of ["<img src=x onerror=alert(1)>", "<img/src=x/onerror=alert(1)>"]) {
      const text = lair.replace(/^Lair1/, name).replace("TROLL 3 3 L4", "<b>TROLL</b> 3 3 L4");
      await pick(page, "hostile.txt", text);
      const expected = ts.outline(text).levelName;
      assert.equal(await page.$eval("#level-name", (e) => e.textContent), expected);
      assert.ok((await page.$eval("#problems", (e) => e.textContent)).includes("<b>TROLL</b>"));
      await page.click("#build");
      await page.waitForFunction(() => !document.body.hasAttribute("data-busy"));
      const elements = await page.evaluate(() => document.querySelectorAll("img, b, script:not([src])").length);
      assert.equal(elements, 0, "no element made from the map's text");
    }
    assert.deepEqual(errors, [], "no alert, no console error");
  } finally {
    await page.close();
  }
});

test("a fix offered as a button mends the text where the checker said, after text beyond ASCII", async () => {
  const lair = readFileSync(join(sourceDir, "examples/lair1.txt"), "utf8");
  // A remark between the grid and MAP_CODES (skipped by the compiler) moves every later byte
  // offset away from its string index.
  const remark = "Höhle der Drachen \u{1f409}, ночь\n";
  const broken = lair.replace("MAP_CODES\n", `${remark}MAP_CODES\n`).replace("\nTRAPS\n", "\nTRAPS  \n");
  const expected = ts.check(broken).diagnostics.find((d) => d.id === "keyword-with-blanks");
  assert.ok(expected && expected.fixes.length > 0);
  const { page, errors } = await open("/?map=examples/lair1.txt");
  try {
    await pick(page, "blanks.txt", broken);
    const item = await page.$(`#problems li[data-id="keyword-with-blanks"]`);
    assert.equal(await item.evaluate((e) => e.dataset.line), String(expected.line));
    const before = await page.evaluate(() => document.body.dataset.checked);
    await (await item.$("button.fix")).click();
    await page.waitForFunction(
      (b) => document.body.dataset.checked !== b && !document.body.hasAttribute("data-busy"),
      { timeout: 60000 },
      before,
    );
    assert.equal(
      await page.$eval("#problems", (e) => e.textContent),
      "No problems: the map compiles without a warning.",
    );
    const lines = await page.$$eval("#text-pane >>> .cm-line", (all) => all.map((l) => l.textContent));
    assert.deepEqual(lines.slice(0, 40), lair.replace("MAP_CODES\n", `${remark}MAP_CODES\n`).split("\n").slice(0, 40));
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("the six level files open as the decompiled map text", async () => {
  const native = join(work, "six");
  mkdirSync(native, { recursive: true });
  spawnSync(nativeCompiler, [join(sourceDir, "examples/showcase.txt")], { cwd: native });
  const names = readdirSync(native).sort();
  const { page, errors } = await open("/?map=examples/lair1.txt");
  try {
    const before = await page.evaluate(() => document.body.dataset.checked);
    await pickThroughInput(
      page,
      names.map((name) => join(native, name)),
    );
    await page.waitForFunction(
      (b) => document.body.dataset.checked !== b && !document.body.hasAttribute("data-busy"),
      { timeout: 60000 },
      before,
    );
    const order = ["Map.kld", "Triggers.kld", "Things.kld", "Players.kld", "Variables.kld", ".kwd"].map((suffix) =>
      names.find((n) => n.endsWith(suffix) && !(suffix === ".kwd" && n.endsWith(".kld"))),
    );
    const expected = ts.decompile(
      order.map((name) => ({ name, bytes: new Uint8Array(readFileSync(join(native, name))) })),
    );
    assert.equal(expected.exact, true);
    // The lines in view (the editor draws only those): the start of the decompiled text.
    const shown = await page.$$eval("#text-pane >>> .cm-line", (lines) => lines.slice(0, 20).map((l) => l.textContent));
    assert.deepEqual(shown, new TextDecoder().decode(expected.text).split("\n").slice(0, 20));
    assert.match(await page.$eval("#console-output", (e) => e.textContent), /compiles to the same six files/);
    assert.equal(await page.$eval("#level-name", (e) => e.textContent), "Showcase");
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("keyboard alone: every control is labelled, the canvas takes focus and moves its cursor", async () => {
  const { page, errors } = await open("/?map=examples/lair1.txt");
  try {
    const unlabelled = await page.evaluate(() =>
      [...document.querySelectorAll("button, input, select, canvas, [tabindex]")]
        .filter((e) => {
          const labelled =
            e.getAttribute("aria-label") || e.getAttribute("aria-labelledby") || (e.labels && e.labels.length > 0);
          return !labelled && e.textContent.trim() === "";
        })
        .map((e) => e.outerHTML.slice(0, 80)),
    );
    assert.deepEqual(unlabelled, []);
    // Tab from the start of the page reaches the canvas.
    let reached = false;
    for (let i = 0; i < 40 && !reached; ++i) {
      await page.keyboard.press("Tab");
      reached = await page.evaluate(() => document.activeElement?.id === "map");
    }
    assert.ok(reached, "the canvas is reached with Tab");
    const first = (await hoverText(page)).match(/^\((\d+), (\d+)\)/);
    await page.keyboard.press("ArrowRight");
    await page.keyboard.press("ArrowDown");
    const moved = (await hoverText(page)).match(/^\((\d+), (\d+)\)/);
    assert.deepEqual([Number(moved[1]), Number(moved[2])], [Number(first[1]) + 1, Number(first[2]) + 1]);
    // Enter on the troll's square selects its line in the text.
    for (const [key, count] of [
      ["ArrowLeft", 40],
      ["ArrowUp", 40],
      ["ArrowRight", 3],
      ["ArrowDown", 3],
    ])
      for (let i = 0; i < count; ++i) await page.keyboard.press(key);
    await page.keyboard.press("Enter");
    assert.equal(await page.$eval("#text-pane >>> .cm-activeLine", (e) => e.textContent), "TROLL 3 3 L4 P1");
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});
