// Tunnelsmith Studio: starts the two workers that hold the library (one checks, builds and
// inspects; the other outlines the map for the canvas) and fetches the first map at once, while
// the rest of the page's code (./studio) loads, then hands them to the page.
import { byId, el } from "./ui/dom";
import { fetchMap, type Opened } from "./ui/open";
import { say } from "./ui/status";
import { LibraryClient } from "./worker/client";

/** The example maps' names, listed in the examples menu. */
async function loadExamples(): Promise<string[]> {
  try {
    const response = await fetch(new URL("examples/index.json", location.href));
    const names = (await response.json()) as string[];
    const select = byId<HTMLSelectElement>("examples");
    for (const name of names) select.append(el("option", { value: name }, name));
    return names;
  } catch {
    return [];
  }
}

/** The map to show first: the ?map= address, else an example. Fetched while the library loads. */
async function firstMap(): Promise<Opened | null> {
  const address = new URLSearchParams(location.search).get("map");
  if (address) return fetchMap(address, location.href);
  const examples = await loadExamples();
  if (examples.length === 0) return null;
  const name = examples.includes("lair1.txt") ? "lair1.txt" : examples[0]!;
  return fetchMap(`examples/${encodeURIComponent(name)}`, location.href);
}

async function start(): Promise<void> {
  const address = new URLSearchParams(location.search).get("map");
  say(address ? `Loading the library and ${address}…` : "Loading the library…", true);
  const worker = new URL("worker.js", import.meta.url);
  const checker = new LibraryClient(worker);
  const outliner = new LibraryClient(worker);
  const first = firstMap();
  // The page's own code (the editor above all) loads while the worker loads the library.
  const page = import("./studio");
  if (address) void loadExamples();
  const [{ version, vocabulary }] = await Promise.all([checker.call("ready", null), outliner.call("ready", null)]);
  performance.mark("studio:library-ready");
  byId("version").textContent = `library ${version}`;
  const { Studio } = await page;
  const studio = new Studio(checker, outliner, vocabulary);
  // What the page held when it was last closed, read before anything of this page is kept.
  const kept = await studio.keeper.kept();
  const opened = await first;
  if (opened) await studio.open(opened);
  else say("Open a map text or the six files of a level.");
  studio.offerRestore(kept);
}

start().catch((error: unknown) => say(`Studio could not start: ${(error as Error).message ?? error}`));
