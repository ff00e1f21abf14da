// What the browser tests, the budgets and the screenshot tool share: Studio served from its
// build folder on 127.0.0.1, and Debian's Chromium driven by puppeteer-core (no browser is
// downloaded), in a fresh profile.
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

import puppeteer from "puppeteer-core";

import { serveFolder } from "../serve.mjs";

export const chromium = process.env.TUNNELSMITH_CHROMIUM || "/usr/bin/chromium";

/** Serves `folder` and starts Chromium; `close()` ends both and removes the profile. */
export async function openBrowser(folder, { colorScheme = "light", width = 1400, height = 900 } = {}) {
  const server = await serveFolder(folder);
  const profile = mkdtempSync(join(tmpdir(), "tunnelsmith-studio-"));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    defaultViewport: { width, height },
    args: [
      "--headless",
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      `--user-data-dir=${profile}`,
    ],
  });
  const origin = `http://127.0.0.1:${server.address().port}`;
  return {
    browser,
    origin,
    profile,
    // `requests` collects every address the page asks for; left out, the browser's network
    // events stay off, as they slow large downloads down.
    // `prompts` collects the messages of the prompts before leaving a page, which are accepted;
    // left out, such a prompt is an error too.
    async page(path = "/", { errors = [], requests = null, prompts = null } = {}) {
      const page = await browser.newPage();
      await page.emulateMediaFeatures([{ name: "prefers-color-scheme", value: colorScheme }]);
      page.on("console", (message) => {
        if (message.type() === "error") errors.push(message.text());
      });
      page.on("pageerror", (error) => errors.push(String(error)));
      if (requests) page.on("request", (request) => requests.push(request.url()));
      page.on("dialog", async (dialog) => {
        if (prompts && dialog.type() === "beforeunload") {
          prompts.push(dialog.message());
          await dialog.accept();
          return;
        }
        errors.push(`dialog: ${dialog.message()}`);
        await dialog.dismiss();
      });
      await page.goto(origin + path);
      return page;
    },
    async close() {
      await browser.close();
      server.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

/** Waits until the page has checked the current text (after opening or editing a map). */
export async function checked(page, timeout = 60000) {
  await page.waitForFunction(
    () => document.body.dataset.checked !== undefined && !document.body.hasAttribute("data-busy"),
    { timeout },
  );
}

/** The centre of a square of the map, in page coordinates. */
export async function squarePoint(page, x, y) {
  return page.evaluate(
    (x, y) => {
      const canvas = document.getElementById("map");
      const [scale, left, top] = canvas.dataset.view.split(" ").map(Number);
      const box = canvas.getBoundingClientRect();
      return { x: box.left + (x - left + 0.5) * scale, y: box.top + (y - top + 0.5) * scale };
    },
    x,
    y,
  );
}

/** Waits for the analysis of a text other than the one checked as `before` (after an edit). */
export async function checkedAfter(page, before, timeout = 60000) {
  await page.waitForFunction(
    (b) => document.body.dataset.checked !== b && !document.body.hasAttribute("data-busy"),
    { timeout },
    before,
  );
}

/**
 * Opens files through the Open button's <input type=file>, as in a browser that lets no page
 * write back to a file (the page's showOpenFilePicker is taken away first).
 */
export async function pickThroughInput(page, paths) {
  await page.evaluate(() => {
    window.showOpenFilePicker = undefined;
  });
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("label[for=open-file]")]);
  await chooser.accept(paths);
}
