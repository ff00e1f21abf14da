// A static file server for Studio on 127.0.0.1: the page needs nothing else. Serves one folder,
// with each file's type and the page's Content-Security-Policy as a header too (a header also
// covers the worker, which a page's <meta> policy does not reach).
//
//   node serve.mjs FOLDER [--port N]     prints the address; port 0 (the default) takes a free one
import { createReadStream, statSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join, normalize, sep } from "node:path";
import { fileURLToPath } from "node:url";
import { parseArgs } from "node:util";

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm",
  ".json": "application/json; charset=utf-8",
  ".txt": "text/plain; charset=utf-8",
};

export const contentSecurityPolicy =
  "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; worker-src 'self'; connect-src 'self' https:; " +
  "style-src 'self'; img-src 'self' data:; font-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

/** Serves `folder` on 127.0.0.1 at `port` (0: a free one); resolves to the listening server. */
export function serveFolder(folder, port = 0) {
  const root = normalize(folder + sep);
  const server = createServer((request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url ?? "/", "http://localhost").pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (path.endsWith("/")) path += "index.html";
    const file = normalize(join(root, path));
    let size = -1;
    try {
      if (file.startsWith(root)) {
        const stat = statSync(file);
        if (stat.isFile()) size = stat.size;
      }
    } catch {
      // missing: 404 below
    }
    if (request.method !== "GET" && request.method !== "HEAD") {
      response.writeHead(405, { allow: "GET, HEAD" }).end();
      return;
    }
    if (size < 0) {
      response.writeHead(404, { "content-type": "text/plain; charset=utf-8" }).end("not found\n");
      return;
    }
    response.writeHead(200, {
      "content-type": types[extname(file)] ?? "application/octet-stream",
      "content-length": size,
      "content-security-policy": contentSecurityPolicy,
      "x-content-type-options": "nosniff",
      "cache-control": "no-cache",
    });
    if (request.method === "HEAD") response.end();
    else createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, "127.0.0.1", () => resolve(server));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const { values, positionals } = parseArgs({
    options: { port: { type: "string", default: "0" } },
    allowPositionals: true,
  });
  if (positionals.length !== 1) {
    console.error("usage: node serve.mjs FOLDER [--port N]");
    process.exit(2);
  }
  const server = await serveFolder(positionals[0], Number(values.port));
  console.log(`Tunnelsmith Studio: http://127.0.0.1:${server.address().port}/  (Ctrl-C stops it)`);
}
