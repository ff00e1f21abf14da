// Nothing lost: the open map is kept in the browser's storage (IndexedDB) after every change, so
// that after a reload or a crash the page can offer it back; saving writes the text to the file it
// came from where the browser gives a handle to it (the File System Access API), else downloads it.

import type { LineBreak } from "../text/line-breaks";

export interface Kept {
  /** The text as the page holds it ("\n" alone between lines). */
  text: string;
  /** The line break of the map's file (absent in what an older page kept: "\n"). */
  lineBreak?: LineBreak;
  /** Where the map came from (its file name). */
  source: string;
  /** The text differs from what was last opened or saved. */
  unsaved: boolean;
  time: number;
}

const DATABASE = "tunnelsmith-studio";
const STORE = "open-map";
const KEY = "current";

function database(): Promise<IDBDatabase> {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(DATABASE, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error ?? new Error("the browser's storage cannot be opened"));
  });
}

async function run<T>(mode: IDBTransactionMode, work: (store: IDBObjectStore) => IDBRequest<T>): Promise<T> {
  const db = await database();
  try {
    return await new Promise<T>((resolve, reject) => {
      const transaction = db.transaction(STORE, mode);
      const request = work(transaction.objectStore(STORE));
      transaction.oncomplete = () => resolve(request.result);
      transaction.onerror = () => reject(transaction.error ?? new Error("the browser's storage refused"));
    });
  } finally {
    db.close();
  }
}

/**
 * Keeps the open map: each `keep` is written, the latest one winning when several wait, so a
 * brush stroke's many changes cost one write at a time.
 */
export class MapKeeper {
  #pending: Kept | null = null;
  #writing: Promise<void> | null = null;

  keep(kept: Kept): Promise<void> {
    this.#pending = kept;
    this.#writing ??= this.#write();
    return this.#writing;
  }

  async #write(): Promise<void> {
    try {
      while (this.#pending) {
        const kept = this.#pending;
        this.#pending = null;
        await run("readwrite", (store) => store.put(kept, KEY));
      }
    } catch {
      // Private windows may refuse storage: the map is then only in the page.
    } finally {
      this.#writing = null;
    }
  }

  /** The map kept by an earlier page, if any. */
  async kept(): Promise<Kept | null> {
    try {
      return ((await run("readonly", (store) => store.get(KEY))) as Kept | undefined) ?? null;
    } catch {
      return null;
    }
  }

  /** Writes are done (for tests and before a reload). */
  async settled(): Promise<void> {
    while (this.#writing) await this.#writing;
  }
}

/** The part of the File System Access API that saving uses (Chromium has it; others do not). */
export interface WritableHandle {
  name: string;
  createWritable(): Promise<{ write(data: string): Promise<void>; close(): Promise<void> }>;
}

/** Writes the text to its file's handle, or downloads it as `name`. Says which it did. */
export async function saveText(
  text: string,
  name: string,
  handle: WritableHandle | null,
): Promise<"written" | "downloaded"> {
  if (handle) {
    const writable = await handle.createWritable();
    await writable.write(text);
    await writable.close();
    return "written";
  }
  const url = URL.createObjectURL(new Blob([text], { type: "text/plain" }));
  const link = document.createElement("a");
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
  return "downloaded";
}
