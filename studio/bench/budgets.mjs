// Studio's budgets, measured in headless Chromium on this machine (a benchmark, not a test):
//   - a 999 x 1000 map opened and first drawn in under 1.5 s;
//   - a pan or zoom step drawn in under 16 ms, at several zooms;
//   - edit-to-diagnostics under 100 ms on the largest benchmark maps;
//   - a brush stroke over 100 squares of the 999 x 1000 map in the text within 50 ms, and its
//     diagnostics within 100 ms after that;
//   - the page, its scripts and the module under 1 MB gzipped.
//
//   node bench/budgets.mjs STUDIO_FOLDER MAPGEN
// MAPGEN is the bench preset's tunnelsmith-mapgen (build-bench/bench/tunnelsmith-mapgen).
import { execFileSync } from "node:child_process";
import { cpSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { gzipSync } from "node:zlib";

import { checked, openBrowser, squarePoint } from "../test/browser.mjs";

const [studio, mapgen] = process.argv.slice(2);
if (!studio || !mapgen) {
  console.error("usage: node bench/budgets.mjs STUDIO_FOLDER MAPGEN");
  process.exit(2);
}
const work = mkdtempSync(join(tmpdir(), "tunnelsmith-studio-budgets-"));
const site = join(work, "site");
cpSync(studio, site, { recursive: true });
mkdirSync(join(site, "bench"));
const maps = {
  BenchText: ["--width", "999", "--height", "1000"],
  BenchGui: ["--gui", "--width", "499", "--height", "1000"],
  BenchLists: ["--width", "200", "--height", "200", "--entries", "200000", "--triggers", "65535"],
};
for (const [name, args] of Object.entries(maps))
  execFileSync(mapgen, ["--name", name, ...args, join(site, "bench", `${name}.txt`)]);

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const frame = (page) =>
  page.evaluate(
    () =>
      new Promise((resolve) =>
        requestAnimationFrame(() =>
          requestAnimationFrame(() => resolve(Number(document.getElementById("map").dataset.frame))),
        ),
      ),
  );

// Size: everything the page loads, gzipped one file at a time as a web server sends them.
let gzipped = 0;
for (const name of readdirSync(studio)) {
  const path = join(studio, name);
  if (statSync(path).isFile()) gzipped += gzipSync(readFileSync(path), { level: 9 }).length;
}
console.log(`page, scripts, styles and module: ${(gzipped / 1024).toFixed(0)} KiB gzipped (budget 1024 KiB)`);

const session = await openBrowser(site);
try {
  // Open and first draw, from the navigation's start: load the page, the module, the map; check,
  // outline and draw it. The best of three, each in a fresh page.
  for (const name of ["BenchText", "BenchGui"]) {
    const times = [];
    for (let i = 0; i < 3; ++i) {
      const page = await session.page(`/?map=bench/${name}.txt`);
      await checked(page, 120000);
      await frame(page);
      times.push(await page.evaluate(() => performance.getEntriesByName("studio:map-drawn")[0].startTime));
      await page.close();
    }
    console.log(
      `${name}: opened and first drawn in ${Math.min(...times).toFixed(0)} ms (median ${median(times).toFixed(0)}; budget 1500)`,
    );
  }

  // Pan and zoom steps on the 999 x 1000 map, and on the map of 200,000 placements: the drawing
  // time of each frame, at the whole map and at 4, 16 and 48 pixels a square.
  for (const name of ["BenchText", "BenchLists"]) {
    const page = await session.page(`/?map=bench/${name}.txt`);
    await checked(page, 120000);
    const box = await (await page.$("#map")).boundingBox();
    const cx = box.x + box.width / 2;
    const cy = box.y + box.height / 2;
    await page.mouse.move(cx, cy);
    for (const target of [null, 4, 16, 48]) {
      if (target !== null) {
        await page.evaluate(() => document.getElementById("zoom-fit").click());
        await frame(page);
        let scale = Number((await page.$eval("#map", (c) => c.dataset.view)).split(" ")[0]);
        await page.mouse.move(cx, cy);
        while (scale < target) {
          await page.mouse.wheel({ deltaY: -100 });
          await frame(page);
          scale = Number((await page.$eval("#map", (c) => c.dataset.view)).split(" ")[0]);
        }
      }
      const scale = Number((await page.$eval("#map", (c) => c.dataset.view)).split(" ")[0]);
      const pans = [];
      await page.mouse.move(cx, cy);
      await page.mouse.down();
      for (let i = 0; i < 30; ++i) {
        await page.mouse.move(cx + ((i % 10) - 5) * 12 + 6, cy + (i % 7) * 9);
        pans.push(await frame(page));
      }
      await page.mouse.up();
      const zooms = [];
      for (let i = 0; i < 10; ++i) {
        await page.mouse.wheel({ deltaY: i % 2 === 0 ? -60 : 60 });
        zooms.push(await frame(page));
      }
      console.log(
        `${name} at ${scale.toFixed(2)} px a square: pan step ${median(pans).toFixed(2)} ms (worst ${Math.max(...pans).toFixed(2)}), zoom step ${median(zooms).toFixed(2)} ms (worst ${Math.max(...zooms).toFixed(2)}); budget 16`,
      );
    }
    await page.close();
  }

  // Edit to diagnostics: a key typed into the text, until its diagnostics are shown. The key
  // adds a character to a word of the grid's legend or an entry, so the check has something new.
  for (const name of ["BenchText", "BenchGui", "BenchLists"]) {
    const edit = await session.page(`/?map=bench/${name}.txt`);
    await checked(edit, 120000);
    const latencies = [];
    const worker = [];
    for (let i = 0; i < 7; ++i) {
      await edit.focus("#text-pane >>> .cm-content");
      await edit.keyboard.press(i === 0 ? "End" : "End");
      const before = await edit.evaluate(() => {
        window.studioKeyAt = 0;
        addEventListener("keydown", () => (window.studioKeyAt ||= performance.now()), { capture: true, once: true });
        return document.body.dataset.diagnosed;
      });
      await edit.keyboard.press(i % 2 === 0 ? "x" : "Backspace");
      await edit.waitForFunction((b) => document.body.dataset.diagnosed !== b, { timeout: 60000 }, before);
      const m = await edit.evaluate(() => {
        const mark = performance.getEntriesByName("studio:diagnostics").at(-1);
        return { latency: mark.startTime - window.studioKeyAt, check: mark.detail.check };
      });
      latencies.push(m.latency);
      worker.push(m.check);
      // Let the outline of this version finish before the next key, as a designer's pause would.
      await checked(edit, 120000);
    }
    console.log(
      `${name}: edit to diagnostics ${median(latencies).toFixed(0)} ms (worst ${Math.max(...latencies).toFixed(0)}; the checker's share ${median(worker).toFixed(0)} ms; budget 100)`,
    );
    await edit.close();
  }

  // A brush stroke: pressed on one square, moved in one step over 99 more of its row and let go.
  // From the press to the last change of the text it made, and from there to its diagnostics
  // (which a stroke has once it is let go: the time from the release is given too).
  {
    const page = await session.page("/?map=bench/BenchText.txt");
    await checked(page, 120000);
    await page.click("#tab-draw");
    await page.click("#tool-brush");
    await page.click('#terrain-palette button[data-terrain="WATER"]');
    const strokes = [];
    for (let i = 0; i < 5; ++i) {
      const y = 100 + 150 * i;
      const [from, to] = [await squarePoint(page, 200, y), await squarePoint(page, 299, y)];
      const before = await page.evaluate(() => {
        window.studioPressAt = 0;
        const map = document.getElementById("map");
        map.addEventListener("pointerup", () => (window.studioUpAt = performance.now()), { capture: true, once: true });
        map.addEventListener("pointerdown", () => (window.studioPressAt = performance.now()), {
          capture: true,
          once: true,
        });
        return document.body.dataset.diagnosed;
      });
      await page.mouse.move(from.x, from.y);
      await page.mouse.down();
      await page.mouse.move(to.x, to.y);
      await page.mouse.up();
      await page.waitForFunction((b) => document.body.dataset.diagnosed !== b, { timeout: 60000 }, before);
      const m = await page.evaluate((y) => {
        const pressed = window.studioPressAt;
        const changed = performance
          .getEntriesByName("studio:change")
          .filter((e) => e.startTime >= pressed)
          .at(-1);
        const diagnosed = performance.getEntriesByName("studio:diagnostics").at(-1);
        return {
          text: changed.startTime - pressed,
          diagnostics: diagnosed.startTime - changed.startTime,
          afterRelease: diagnosed.startTime - window.studioUpAt,
          y,
        };
      }, y);
      strokes.push(m);
      await checked(page, 120000);
    }
    // The strokes must have painted their squares, or the figures measure nothing: the text as
    // Save gives it.
    const saves = join(work, "saved");
    mkdirSync(saves);
    const cdp = await page.createCDPSession();
    await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: saves });
    await page.click("#save");
    let saved = null;
    for (let i = 0; i < 600 && saved === null; ++i) {
      await new Promise((r) => setTimeout(r, 100));
      const done = readdirSync(saves).filter((n) => !n.endsWith(".crdownload"));
      if (done.length > 0) saved = readFileSync(join(saves, done[0]), "utf8");
    }
    const rows = saved?.split("\n") ?? [];
    const start = rows.findIndex((line) => /^Size /.test(line)) + 1;
    for (const { y } of strokes)
      if (new Set(rows[start + y]?.slice(200, 300)).size !== 1) throw new Error(`the stroke on row ${y} did not paint`);
    console.log(
      `BenchText: a stroke over 100 squares in the text ${median(strokes.map((s) => s.text)).toFixed(0)} ms (worst ${Math.max(...strokes.map((s) => s.text)).toFixed(0)}; budget 50), its diagnostics ${median(strokes.map((s) => s.diagnostics)).toFixed(0)} ms after (worst ${Math.max(...strokes.map((s) => s.diagnostics)).toFixed(0)}; budget 100; ${median(strokes.map((s) => s.afterRelease)).toFixed(0)} ms after the pointer was let go)`,
    );
    await page.close();
  }
} finally {
  await session.close();
  rmSync(work, { recursive: true, force: true });
}
