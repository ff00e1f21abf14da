// Screenshots of Studio for a person to look at: every example, light and dark, any map given at
// several zooms, and every editing tool in use on a new level.
//   node tools/screenshots.mjs BUILD_FOLDER OUT_FOLDER [MAP_URL...]
import { mkdirSync, readdirSync } from "node:fs";
import { join } from "node:path";

import { checked, checkedAfter, openBrowser, squarePoint } from "../test/browser.mjs";

/** Each tool in use on a new level, one screenshot each. */
async function toolShots(page, out, scheme) {
  const shot = (name) => page.screenshot({ path: join(out, `tool-${name}-${scheme}.png`) });
  const act = async (work) => {
    const before = await page.evaluate(() => document.body.dataset.checked);
    await work();
    await checkedAfter(page, before);
  };
  const at = (x, y) => squarePoint(page, x, y);
  await page.click("#new-level");
  await shot("new-dialog");
  await act(() => page.click("#new-create"));
  await page.click("#tab-draw");
  await page.click("#tool-brush");
  await page.click('#terrain-palette button[data-terrain="LAIR"]');
  let p = await at(3, 3);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  for (const [x, y] of [
    [4, 3],
    [5, 4],
    [6, 5],
    [7, 5],
  ]) {
    p = await at(x, y);
    await page.mouse.move(p.x, p.y, { steps: 3 });
  }
  await act(() => page.mouse.up());
  await shot("brush");
  await page.type("#terrain-search", "gate");
  await shot("palette-search");
  await page.click("#tool-rectangle");
  p = await at(20, 14);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  p = await at(25, 18);
  await page.mouse.move(p.x, p.y, { steps: 3 });
  await shot("rectangle-drawing");
  await act(() => page.mouse.up());
  await page.click("#tool-place");
  await page.select("#place-kind", "creature");
  for (const [x, y] of [
    [5, 8],
    [6, 8],
  ]) {
    p = await at(x, y);
    await act(() => page.mouse.click(p.x, p.y));
  }
  await page.select("#place-kind", "door");
  p = await at(8, 8);
  await act(() => page.mouse.click(p.x, p.y));
  await shot("place");
  await page.click("#tool-gate");
  p = await at(27, 3);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  p = await at(28, 4);
  await page.mouse.move(p.x, p.y, { steps: 2 });
  await act(() => page.mouse.up());
  await page.click("#tool-area");
  p = await at(24, 2);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  p = await at(25, 5);
  await page.mouse.move(p.x, p.y, { steps: 2 });
  await act(() => page.mouse.up());
  await shot("gate-and-area");
  await page.click("#tool-select");
  p = await at(5, 8);
  await page.mouse.click(p.x, p.y);
  await page.click("#tab-properties");
  await shot("properties");
  await page.click("#tab-bands");
  await act(() => page.click("#band-add"));
  await act(() => page.click("#band-1-add"));
  await shot("bands");
  await page.click("#tab-triggers");
  await act(() => page.click("#trigger-add"));
  await act(() => page.click("#trigger-1-action-add"));
  await shot("triggers");
  await page.click("#tab-scenario");
  await act(() => page.click("#statement-add"));
  await shot("scenario");
}

const [folder, out, ...maps] = process.argv.slice(2);
mkdirSync(out, { recursive: true });
const examples = readdirSync(join(folder, "examples")).filter((n) => n.endsWith(".txt"));
for (const colorScheme of ["light", "dark"]) {
  const session = await openBrowser(folder, { colorScheme });
  try {
    for (const name of examples) {
      const page = await session.page(`/?map=examples/${name}`);
      await checked(page);
      await new Promise((r) => setTimeout(r, 300));
      await page.screenshot({ path: join(out, `${name.replace(/\.txt$/, "")}-${colorScheme}.png`) });
      await page.close();
    }
    const page = await session.page("/?map=examples/lair1.txt");
    await checked(page);
    await toolShots(page, out, colorScheme);
    await page.close();
    for (const map of maps) {
      const page = await session.page(`/?map=${encodeURIComponent(map)}`);
      await checked(page, 120000);
      const base = map.replace(/.*\//, "").replace(/\.txt$/, "");
      await page.screenshot({ path: join(out, `${base}-fit-${colorScheme}.png`) });
      const box = await (await page.$("#map")).boundingBox();
      await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
      for (const steps of [6, 10]) {
        for (let i = 0; i < steps; ++i) await page.mouse.wheel({ deltaY: -300 });
        await new Promise((r) => setTimeout(r, 300));
        await page.screenshot({ path: join(out, `${base}-zoom${steps}-${colorScheme}.png`) });
      }
      await page.close();
    }
  } finally {
    await session.close();
  }
}
