// The worker: loads the library (tunnelsmith.mjs and its .wasm, beside the page) and answers the
// page's requests one at a time, in the order they came.
import { loadTunnelsmith, type Tunnelsmith } from "tunnelsmith";

import { packOutline, transferablesOf } from "../model/entries";
import type { OperationName, Operations, Request, Response } from "./protocol";

declare const self: DedicatedWorkerGlobalScope;

const decoder = new TextDecoder();
const library: Promise<Tunnelsmith> = loadTunnelsmith();

type Handlers = {
  [N in OperationName]: (ts: Tunnelsmith, argument: Operations[N]["argument"]) => Operations[N]["result"];
};

const handlers: Handlers = {
  ready: (ts) => ({ version: ts.version, vocabulary: ts.vocabulary() }),
  check: (ts, text) => {
    const started = performance.now();
    const check = ts.check(text);
    return { check, milliseconds: performance.now() - started };
  },
  outline: (ts, text) => {
    const started = performance.now();
    const outline = packOutline(ts.outline(text));
    return { outline, milliseconds: performance.now() - started };
  },
  compile: (ts, text) => ts.compile(text),
  applyFixes: (ts, { text, fixes }) => decoder.decode(ts.applyFixes(text, fixes)),
  inspect: (ts, bytes) => ts.inspect(bytes),
  diff: (ts, [a, b]) => ts.diff(a, b),
  decompile: (ts, files) => {
    const result = ts.decompile(files);
    return {
      text: decoder.decode(result.text),
      exact: result.exact,
      damaged: result.damaged,
      problems: result.problems,
    };
  },
};

// Large results travel without a copy: the terrain grid and the level files' bytes.
function transferables(result: unknown): Transferable[] {
  const list: Transferable[] = [];
  const outline = (result as { outline?: Parameters<typeof transferablesOf>[0] }).outline;
  if (outline?.entries instanceof Int32Array) list.push(...transferablesOf(outline));
  const files = (result as { files?: { bytes: Uint8Array }[] }).files;
  if (Array.isArray(files)) for (const file of files) list.push(file.bytes.buffer);
  return list;
}

let queue = Promise.resolve();
self.onmessage = (event: MessageEvent<Request>) => {
  const { id, operation, argument } = event.data;
  queue = queue.then(async () => {
    let response: Response;
    let transfer: Transferable[] = [];
    try {
      const ts = await library;
      const handler = handlers[operation] as (ts: Tunnelsmith, argument: unknown) => unknown;
      const result = handler(ts, argument);
      transfer = transferables(result);
      response = { id, ok: true, result };
    } catch (error) {
      response = { id, ok: false, error: String((error as Error)?.message ?? error) };
    }
    self.postMessage(response, transfer);
  });
};
