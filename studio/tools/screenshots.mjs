// Screenshots of Studio for a person to look at: every example, light and dark, and any map
// given, at several zooms.
//   node tools/screenshots.mjs BUILD_FOLDER OUT_FOLDER [MAP_URL...]
import { mkdirSync, readdirSync } from "node:fs";
import { join } from "node:path";

import { checked, openBrowser } from "../test/browser.mjs";

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
