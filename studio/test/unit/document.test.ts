// The document's two workers: diagnostics of every version the checker reads, in order; a map
// model only from a check and an outline of the same text; and, however the answers interleave,
// the last text always ends checked and modelled. The workers are stand-ins that answer after
// delays chosen by a seeded generator.
import assert from "node:assert/strict";
import { test } from "node:test";

import type { CheckResult, Outline } from "tunnelsmith";

import { CHECK_DELAY, GESTURE_CHECK_DELAY, MapDocument, type Analysed, type Checked } from "../../src/model/document";
import { packOutline } from "../../src/model/entries";
import type { LibraryClient } from "../../src/worker/client";

function random(seed: number): () => number {
  let s = seed;
  return () => (s = (s * 1103515245 + 12345) & 0x7fffffff) / 0x7fffffff;
}

/** A worker that checks or outlines a text: its answer names the text it read. */
function standIn(next: () => number, calls: string[]): LibraryClient {
  const answer = (operation: string, text: string): unknown => {
    if (operation === "check")
      return { check: { diagnostics: [], errors: text.length, warnings: 0 } as CheckResult, milliseconds: 1 };
    const outline = {
      levelName: text,
      players: 1,
      grid: { width: 0, height: 0, twoCharacters: false, rowStarts: [], terrain: null },
      sections: [],
      entries: [],
      references: [],
    } as Outline;
    return { outline: packOutline(outline), milliseconds: 1 };
  };
  return {
    call: (operation: string, text: string) => {
      calls.push(`${operation} ${text}`);
      return new Promise((resolve) => setTimeout(() => resolve(answer(operation, text)), Math.floor(next() * 8)));
    },
  } as unknown as LibraryClient;
}

const settle = (ms: number): Promise<void> => new Promise((resolve) => setTimeout(resolve, ms));

/** Waits until `done` holds, looking every few milliseconds: a busy machine's timers run late. */
async function until(done: () => boolean, limit = 10000): Promise<void> {
  const start = Date.now();
  while (!done() && Date.now() - start < limit) await settle(5);
}

test("checks and outlines pair by version and always reach the latest text", async () => {
  for (let seed = 1; seed <= 12; ++seed) {
    const next = random(seed);
    const checkerCalls: string[] = [];
    const outlinerCalls: string[] = [];
    const document = new MapDocument(standIn(next, checkerCalls), standIn(next, outlinerCalls), {});
    const checked: Checked[] = [];
    const analysed: Analysed[] = [];
    document.onChecked((c) => checked.push(c));
    document.onAnalysed((a) => analysed.push(a));
    const texts = Array.from({ length: 8 }, (_, i) => "x".repeat(i + 1));
    document.setText(texts[0]!, true);
    for (const text of texts.slice(1)) {
      await settle(Math.floor(next() * 15));
      document.setText(text);
    }
    const last = texts.at(-1)!;
    await until(() => checked.at(-1)?.text === last && analysed.at(-1)?.text === last);
    await settle(20);
    assert.equal(checked.at(-1)?.text, last, `seed ${seed}: the last text is checked`);
    assert.equal(analysed.at(-1)?.text, last, `seed ${seed}: the last text is modelled`);
    for (const c of checked) assert.equal(c.check.errors, c.text.length, "a check answers its own text");
    for (const a of analysed)
      assert.equal(a.model.outline.levelName, a.text, `seed ${seed}: a model pairs one text's check and outline`);
    const versions = analysed.map((a) => a.version);
    assert.deepEqual(
      versions,
      [...versions].sort((a, b) => a - b),
      "models come in order",
    );
    assert.equal(new Set(versions).size, versions.length, "each version once");
    // An outline starts only once that text's check is out: never ahead of the checker.
    for (const call of outlinerCalls)
      assert.ok(checkerCalls.includes(call.replace("outline", "check")), `seed ${seed}: ${call}`);
  }
});

test("a gesture's changes are checked once, at its end or at a pause in it", async () => {
  const checkerCalls: string[] = [];
  const next = random(7);
  const document = new MapDocument(standIn(next, checkerCalls), standIn(next, []), {});
  const checked: string[] = [];
  document.onChecked((c) => checked.push(c.text));
  document.setText("a", true);
  await until(() => checked.length === 1);
  document.beginGesture();
  for (const text of ["ab", "abc", "abcd"]) {
    document.setText(text);
    await settle(CHECK_DELAY + 20);
  }
  assert.deepEqual(checked, ["a"], "nothing checked while the stroke goes on");
  document.endGesture();
  await until(() => checked.length === 2);
  assert.deepEqual(checked, ["a", "abcd"], "the stroke's last text, checked at its end");
  // A pause in a long stroke checks what it has drawn so far; changes after the end, as usual.
  document.beginGesture();
  document.setText(() => "abcde");
  await settle(GESTURE_CHECK_DELAY);
  await until(() => checked.length === 3);
  assert.deepEqual(checked.at(-1), "abcde");
  document.endGesture();
  document.endGesture();
  document.setText("abcdef");
  await until(() => checked.length === 4);
  assert.deepEqual(checked, ["a", "abcd", "abcde", "abcdef"]);
  assert.deepEqual(checkerCalls, ["check a", "check abcd", "check abcde", "check abcdef"]);
});
