// Where a map comes from: a map text, or the six level files of a built level (decompiled back
// to a map text), picked or dropped; an address (?map=); a built-in example.
import type { LevelFile } from "tunnelsmith";

/** The level files' name endings, in the compiler's order. */
export const levelSuffixes = ["Map.kld", "Triggers.kld", "Things.kld", "Players.kld", "Variables.kld", ".kwd"];

export type Opened =
  | { kind: "text"; name: string; text: string }
  | { kind: "level"; name: string; files: LevelFile[] }
  | { kind: "error"; message: string };

/** What a set of picked or dropped files holds: one map text, or the six files of one level. */
export async function readPicked(files: readonly File[]): Promise<Opened> {
  const levelFiles = files.filter((f) => /\.(kld|kwd)$/i.test(f.name));
  if (levelFiles.length === 0) {
    if (files.length !== 1) return { kind: "error", message: "Open one map text, or the six files of one level." };
    const file = files[0]!;
    return { kind: "text", name: file.name, text: await file.text() };
  }
  const ordered: LevelFile[] = [];
  let level = "";
  for (const suffix of levelSuffixes) {
    const file = levelFiles.find((f) => f.name.endsWith(suffix) && (suffix !== ".kwd" || !f.name.endsWith(".kld")));
    if (!file)
      return { kind: "error", message: `The level's ${suffix} file is missing: open all six level files together.` };
    if (suffix === "Map.kld") level = file.name.slice(0, -suffix.length);
    ordered.push({ name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) });
  }
  return { kind: "level", name: level, files: ordered };
}

/** Fetches the map at `address`, relative to the page. Only the text is used. */
export async function fetchMap(address: string, base: string): Promise<Opened> {
  let url: URL;
  try {
    url = new URL(address, base);
  } catch {
    return { kind: "error", message: `Not an address: ${address}` };
  }
  if (url.protocol !== "http:" && url.protocol !== "https:")
    return { kind: "error", message: `Cannot open ${url.protocol} addresses.` };
  try {
    const response = await fetch(url, { credentials: "same-origin", redirect: "follow" });
    if (!response.ok)
      return { kind: "error", message: `Could not open ${url.href}: ${response.status} ${response.statusText}` };
    const name = decodeURIComponent(url.pathname.split("/").pop() || url.href);
    return { kind: "text", name, text: await response.text() };
  } catch (error) {
    return { kind: "error", message: `Could not open ${url.href}: ${(error as Error).message}` };
  }
}
