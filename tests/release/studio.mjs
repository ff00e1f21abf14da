// Studio's zip as a web host serves it: its unpacked folder, served by a plain static server,
// opened in headless Chromium. The page must load its module, check the first example and build
// the level without a single console error, a failed request or an uncaught exception.
//   node tests/release/studio.mjs FOLDER VERSION
import { openBrowser, checked } from "../../studio/test/browser.mjs";

const [folder, version] = process.argv.slice(2);
const session = await openBrowser(folder);
const errors = [];
const failed = [];
let problem = null;
try {
  const page = await session.page("/", { errors });
  page.on("requestfailed", (request) => failed.push(request.url()));
  page.on("response", (response) => {
    if (response.status() >= 400)
      failed.push(`${response.status()} ${response.url()}`);
  });
  await checked(page);
  const label = await page.$eval("#version", (e) => e.textContent);
  const map = await page.evaluate(
    () => document.getElementById("map")?.dataset.view ?? "",
  );
  await page.click("#build");
  await page.waitForFunction(
    () => /^Built /.test(document.getElementById("status-text").textContent),
    {
      timeout: 60000,
    },
  );
  const status = await page.$eval("#status-text", (e) => e.textContent);
  if (!label.startsWith("library "))
    problem = `the page shows no library version: "${label}"`;
  else if (map === "") problem = "the map was not drawn";
  console.log(`studio ${version}: ${label}; ${status}`);
} catch (error) {
  problem = String(error);
} finally {
  await session.close();
}
if (errors.length > 0) problem = `console errors:\n  ${errors.join("\n  ")}`;
if (failed.length > 0) problem = `failed requests:\n  ${failed.join("\n  ")}`;
if (problem) {
  console.log(`FAILED: ${problem}`);
  process.exit(1);
}
