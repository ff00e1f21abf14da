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
    async page(path = "/", { errors = [], requests = null } = {}) {
      const page = await browser.newPage();
      await page.emulateMediaFeatures([{ name: "prefers-color-scheme", value: colorScheme }]);
      page.on("console", (message) => {
        if (message.type() === "error") errors.push(message.text());
      });
      page.on("pageerror", (error) => errors.push(String(error)));
      if (requests) page.on("request", (request) => requests.push(request.url()));
      page.on("dialog", async (dialog) => {
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
