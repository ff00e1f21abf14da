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

/** The part of the File System Access API that opening uses: a file's handle, to read and to write. */
interface FileHandle {
  kind: "file";
  name: string;
  getFile(): Promise<File>;
  createWritable(): Promise<{ write(data: string): Promise<void>; close(): Promise<void> }>;
}

type OpenFilePicker = (options: {
  multiple: boolean;
  types: { description: string; accept: Record<string, string[]> }[];
}) => Promise<FileHandle[]>;

/**
 * Asks for map texts or level files through the browser's own file picker, which gives a handle
 * that a map text can be saved back through: null where the browser has none (open them with an
 * <input type=file> there). Resolves to the files and, for one file, its handle; to null when
 * the designer cancels.
 */
export function pickFiles(): Promise<{ files: File[]; handle: FileHandle | null } | null> | null {
  const picker = (window as unknown as { showOpenFilePicker?: OpenFilePicker }).showOpenFilePicker;
  if (typeof picker !== "function") return null;
  return picker
    .call(window, {
      multiple: true,
      types: [
        {
          description: "Map texts and level files",
          accept: { "text/plain": [".txt"], "application/octet-stream": [".kld", ".kwd"] },
        },
      ],
    })
    .then(async (handles) => ({
      files: await Promise.all(handles.map((h) => h.getFile())),
      handle: handles.length === 1 && handles[0]!.kind === "file" ? handles[0]! : null,
    }))
    .catch((error: unknown) => {
      // Cancelling the picker rejects with an AbortError: nothing to open.
      if ((error as Error).name === "AbortError") return null;
      throw error;
    });
}
