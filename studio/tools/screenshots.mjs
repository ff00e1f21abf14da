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
  /** Presses on the first square, moves over the others, lets go (a shot may come before that). */
  const drag = async (squares, beforeUp = async () => {}) => {
    let p = await at(...squares[0]);
    await page.mouse.move(p.x, p.y);
    await page.mouse.down();
    for (const square of squares.slice(1)) {
      p = await at(...square);
      await page.mouse.move(p.x, p.y, { steps: 3 });
    }
    await beforeUp();
    await page.mouse.up();
  };
  const click = async (x, y) => {
    const p = await at(x, y);
    await page.mouse.click(p.x, p.y);
  };
  await page.click("#new-level");
  await shot("new-dialog");
  await act(() => page.click("#new-create"));
  await page.click("#tab-draw");
  await page.click("#tool-brush");
  await page.click('#terrain-palette button[data-terrain="LAIR"]');
  // A stroke changes the text as it goes: the analysis to wait for is the one after it all.
  await act(() =>
    drag([
      [3, 3],
      [4, 3],
      [5, 4],
      [6, 5],
      [7, 5],
    ]),
  );
  await shot("brush");
  await page.type("#terrain-search", "gate");
  await shot("palette-search");
  await page.click("#terrain-search", { clickCount: 3 });
  await page.keyboard.press("Backspace");
  await page.click('#terrain-palette button[data-terrain="WATER"]');
  await page.click("#tool-rectangle");
  await act(() =>
    drag(
      [
        [20, 14],
        [25, 18],
      ],
      () => shot("rectangle-drawing"),
    ),
  );
  await page.click('#terrain-palette button[data-terrain="LAVA"]');
  await page.click("#tool-fill");
  await act(() => click(22, 16));
  await shot("fill");
  await page.click("#tool-place");
  await page.select("#place-kind", "creature");
  await act(() => click(5, 8));
  await act(() => click(6, 8));
  await page.select("#place-kind", "door");
  await act(() => click(8, 8));
  await shot("place");
  await page.click("#tool-gate");
  await act(() =>
    drag([
      [27, 3],
      [28, 4],
    ]),
  );
  await page.click("#tool-area");
  await act(() =>
    drag([
      [24, 2],
      [25, 5],
    ]),
  );
  await shot("gate-and-area");
  await page.click("#tool-select");
  await click(5, 8);
  await page.click("#tab-properties");
  await shot("properties");
  // The heart centre moved a square within the heart, then the keeper's gold in its properties.
  const heart = await page.evaluate(() => {
    const text = document.querySelector("#text-pane").shadowRoot?.querySelector(".cm-content")?.textContent ?? "";
    return /KPR1_HEART_CENTER (\d+) (\d+)/.exec(text)?.slice(1).map(Number);
  });
  if (heart) {
    await page.click("#tab-draw");
    await page.click("#tool-heart");
    await act(() => click(heart[0] + 1, heart[1]));
    await page.click("#tool-select");
    await click(heart[0] + 1, heart[1]);
    await page.click("#tab-properties");
    await page.click("#property-gold", { clickCount: 3 });
    await page.keyboard.type("7500");
    await act(() => page.keyboard.press("Tab"));
    await shot("heart-and-gold");
  }
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
  // A gate drawn from inside the grid out past its left edge: the checker's error at once.
  await page.click("#tab-draw");
  await page.click("#tool-gate");
  await act(() =>
    drag([
      [2, 12],
      [-3, 12],
    ]),
  );
  await page.click("#tab-problems");
  await shot("gate-off-grid");
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
