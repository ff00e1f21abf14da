// The module in headless Chromium (Debian's, driven by puppeteer-core): a page served from this
// machine's loopback imports it, compiles an example and hands back the files, which must be
// the bytes the module gives in Node. Also times the first use: fetch, instantiate, compile.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createServer } from "node:http";
import { join } from "node:path";
import { test } from "node:test";

import puppeteer from "puppeteer-core";

import { chromium, examples, loadModule, moduleDir, sameBytes, scratch } from "./support.mjs";

const types = { ".mjs": "text/javascript", ".wasm": "application/wasm", ".html": "text/html" };

// Serves the module's folder and a page that uses it, on 127.0.0.1 at a free port.
async function serve(mapText) {
  const page = `<!doctype html><script type="module">
    const started = performance.now();
    const { loadTunnelsmith } = await import("./tunnelsmith.mjs");
    const ts = await loadTunnelsmith();
    const result = ts.compile(${JSON.stringify(mapText)});
    window.firstUse = performance.now() - started;
    window.result = { valid: result.valid, version: ts.version,
                      files: result.files.map((f) => ({ name: f.name, bytes: Array.from(f.bytes) })) };
  </script>`;
  const server = createServer((request, response) => {
    const name = new URL(request.url, "http://localhost").pathname.slice(1);
    if (name === "" || name === "index.html") {
      response.writeHead(200, { "content-type": types[".html"] }).end(page);
      return;
    }
    try {
      const body = readFileSync(join(moduleDir, name.replace(/[^\w.-]/g, "")));
      response.writeHead(200, { "content-type": types[name.slice(name.lastIndexOf("."))] ?? "" });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return server;
}

test("an example compiles in headless Chromium to the bytes it compiles to in Node", async () => {
  assert.ok(chromium, "Chromium is missing: scripts/install-deps wasm installs it");
  const mapText = readFileSync(examples().find((p) => p.endsWith("lair1.txt")), "utf8");
  const server = await serve(mapText);
  const profile = scratch();
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile.dir,
    args: [
      "--headless",
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
    ],
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on("pageerror", (error) => errors.push(String(error)));
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await page.waitForFunction(() => window.result !== undefined || window.failed, { timeout: 60000 });
    const { result, firstUse } = await page.evaluate(() => ({
      result: window.result,
      firstUse: window.firstUse,
    }));
    assert.deepEqual(errors, []);
    console.log(`first use in Chromium: ${firstUse.toFixed(1)} ms (fetch, instantiate, compile)`);
    const ts = await loadModule();
    const expected = ts.compile(mapText);
    assert.equal(result.valid, true);
    assert.equal(result.version, ts.version);
    assert.deepEqual(result.files.map((f) => f.name), expected.files.map((f) => f.name));
    result.files.forEach((f, i) => assert.ok(sameBytes(Uint8Array.from(f.bytes), expected.files[i].bytes), f.name));
  } finally {
    await browser.close();
    server.close();
    profile.remove();
  }
});
