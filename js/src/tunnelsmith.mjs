// Tunnelsmith in JavaScript: the library compiled to WebAssembly, behind the same functions in
// browsers, workers and Node. Each call hands bytes to the C interface (tunnelsmith_c.h), which
// answers with one JSON document and, for some calls, files; the files are copied out of the
// module's memory once, as Uint8Arrays.
//
//   import { loadTunnelsmith } from "tunnelsmith";
//   const ts = await loadTunnelsmith();
//   const { valid, problems, files } = ts.compile(mapText);
//
// No function throws on a bad input: a bad map or level file is described by problems, as the
// C++ interface describes it.
import createTunnelsmithCore from "./tunnelsmith-core.mjs";

const wasmFile = "tunnelsmith-core.wasm";
const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The module's bytes: read from disk in Node, fetched beside this file elsewhere. `wasm` may
// give them (bytes, or a URL to fetch them from) where neither works.
async function wasmBytes(wasm) {
  if (wasm instanceof Uint8Array || wasm instanceof ArrayBuffer) return wasm;
  const url = wasm ?? new URL(wasmFile, import.meta.url);
  const isNode = typeof process === "object" && process.versions?.node !== undefined;
  if (isNode && String(url).startsWith("file:")) {
    const { readFile } = await import("node:fs/promises");
    return readFile(new URL(url));
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`cannot fetch ${url}: ${response.status}`);
  return response.arrayBuffer();
}

function bytesOf(text) {
  if (text instanceof Uint8Array) return text;
  if (typeof text === "string") return encoder.encode(text);
  throw new TypeError("a map text is a string or a Uint8Array");
}

// A failure inside the module (it aborts when it runs out of memory): a document of one problem,
// as the C interface gives one. The module is not used again.
function internalError(error) {
  return {
    problems: [
      {
        name: "internal-error",
        severity: "error",
        offset: null,
        message: `internal error: ${error?.message ?? error}`,
      },
    ],
  };
}

class Tunnelsmith {
  #core;
  #failure = null;

  constructor(core) {
    this.#core = core;
    this.version = core.UTF8ToString(core._tunnelsmith_version());
  }

  // Copies `inputs` (Uint8Arrays) into the module, calls `name` with a pointer and a length for
  // each (`layout` may arrange them otherwise) and returns the document and the files.
  #call(name, inputs, layout = (pointers) => pointers.flatMap((p, i) => [p, inputs[i].length])) {
    if (this.#failure !== null) return { document: internalError(this.#failure), files: [] };
    const core = this.#core;
    const pointers = [];
    let result = 0;
    try {
      for (const input of inputs) {
        const pointer = core._malloc(Math.max(input.length, 1));
        pointers.push(pointer);
        core.HEAPU8.set(input, pointer);
      }
      result = core[`_tunnelsmith_${name}`](...layout(pointers));
      const size = core._malloc(4);
      pointers.push(size);
      const json = core._tunnelsmith_result_json(result, size);
      // The heap may have grown during the call: read its views afresh.
      const length = core.HEAPU32[size >> 2];
      const document = JSON.parse(decoder.decode(core.HEAPU8.subarray(json, json + length)));
      const files = [];
      const count = core._tunnelsmith_result_file_count(result);
      for (let i = 0; i < count; ++i) {
        const data = core._tunnelsmith_result_file_data(result, i, size);
        const bytes = core.HEAPU8.slice(data, data + core.HEAPU32[size >> 2]);
        files.push({ name: core.UTF8ToString(core._tunnelsmith_result_file_name(result, i)), bytes });
      }
      return { document, files };
    } catch (error) {
      this.#failure = error;
      return { document: internalError(error), files: [] };
    } finally {
      if (this.#failure === null) {
        if (result !== 0) core._tunnelsmith_result_free(result);
        for (const pointer of pointers) core._free(pointer);
      }
    }
  }

  // A function of the C interface that takes one text and gives a document alone.
  #json(name, ...inputs) {
    return this.#call(name, inputs).document;
  }

  compile(text) {
    const { document, files } = this.#call("compile", [bytesOf(text)]);
    return { ...document, files };
  }

  check(text) {
    return this.#json("check", bytesOf(text));
  }

  // `fixes`: check's diagnostics, or their fixes arrays, one element per diagnostic. Gives the
  // mended text; a fixes list it cannot read leaves the text as it was.
  applyFixes(text, fixes) {
    const given = encoder.encode(JSON.stringify(fixes ?? []));
    const { files } = this.#call("apply_fixes", [bytesOf(text), given]);
    return files.length === 1 ? files[0].bytes : bytesOf(text).slice();
  }

  inspect(bytes) {
    return this.#json("inspect", bytesOf(bytes));
  }

  diff(bytesA, bytesB) {
    return this.#json("diff", bytesOf(bytesA), bytesOf(bytesB));
  }

  // `files`: the six level files, [{ name, bytes }] in the compiler's order (as compile gives
  // them). Gives { text, exact, damaged, problems }: problems are the decompiler's findings,
  // { file, offset, message }.
  decompile(files) {
    const six = Array.from({ length: 6 }, (_, i) => bytesOf(files?.[i]?.bytes ?? new Uint8Array()));
    const { document, files: out } = this.#call("decompile", six, (pointers) => {
      // Two arrays of six: the pointers and the sizes.
      const arrays = this.#core._malloc(48);
      pointers.push(arrays);
      const heap = this.#core.HEAPU32;
      pointers.slice(0, 6).forEach((p, i) => {
        heap[(arrays >> 2) + i] = p;
        heap[(arrays >> 2) + 6 + i] = six[i].length;
      });
      return [arrays, arrays + 24];
    });
    if (document.findings === undefined) {
      return { text: new Uint8Array(), exact: false, damaged: false, problems: document.problems };
    }
    return {
      text: out[0]?.bytes ?? new Uint8Array(),
      exact: document.exact,
      damaged: document.damaged,
      problems: document.findings,
    };
  }

  vocabulary() {
    return this.#call("vocabulary", [], () => []).document;
  }

  // The map's sections, entries with their words, grid and cross-references; the terrain of
  // every square as a Uint32Array (row 0 first), or null when the grid was not read whole.
  outline(text) {
    const { document, files } = this.#call("outline", [bytesOf(text)]);
    if (document.grid === undefined) return document;
    const bytes = files[0]?.bytes;
    const terrain =
      bytes === undefined
        ? null
        : new Uint32Array(bytes.buffer, bytes.byteOffset, bytes.byteLength / 4);
    return { ...document, grid: { ...document.grid, terrain } };
  }
}

// Resolves once the module is ready. `options.wasm`: the module's bytes or their URL, where
// the file beside this one cannot be read or fetched.
export async function loadTunnelsmith(options = {}) {
  const wasmBinary = await wasmBytes(options.wasm);
  const core = await createTunnelsmithCore({ wasmBinary });
  return new Tunnelsmith(core);
}
