// Byte offsets of the UTF-8 text against string indices, for every position of texts with each
// width of character, checked against TextEncoder's own lengths.
import assert from "node:assert/strict";
import { test } from "node:test";

import { ByteIndex } from "../../src/text/bytes";

const encoder = new TextEncoder();
const texts = {
  ascii: "Lair1\nPlayers 2\nSize 12 x 10\n",
  twoBytes: "Caf\u00e9 \u00e0 la carte\n",
  threeBytes: "\u5730\u56f3 TROLL 3 3\n\u20ac",
  pairs: "\ud83d\udc09 dragon \ud83c\udff0\n",
  loneSurrogate: "a\ud800b\udc00c",
  mixed: "x\u00e9\u5730\ud83d\udc09y",
};

test("byte offsets and string indices convert both ways at every character boundary", () => {
  for (const [name, text] of Object.entries(texts)) {
    const index = new ByteIndex(text);
    assert.equal(index.byteLength, encoder.encode(text).length, name);
    assert.equal(index.ascii, name === "ascii", name);
    for (let i = 0; i <= text.length; ++i) {
      // The middle of a surrogate pair is no boundary.
      const inPair = i > 0 && /[\ud800-\udbff]/.test(text[i - 1]!) && /[\udc00-\udfff]/.test(text[i] ?? "");
      if (inPair) continue;
      const byte = encoder.encode(text.slice(0, i)).length;
      assert.equal(index.toByte(i), byte, `${name}: index ${i}`);
      assert.equal(index.toIndex(byte), i, `${name}: byte ${byte}`);
    }
  }
});

test("an offset inside a character gives the character's start, and the ends are clamped", () => {
  const index = new ByteIndex(texts.mixed);
  // x (1 byte), é (2), 地 (3), 🐉 (4), y.
  assert.equal(index.toIndex(2), 1);
  assert.equal(index.toIndex(4), 2);
  assert.equal(index.toIndex(5), 2);
  assert.equal(index.toIndex(7), 3);
  assert.equal(index.toByte(4), index.toByte(3));
  assert.equal(index.toIndex(1000), texts.mixed.length);
  assert.equal(index.toByte(1000), index.byteLength);
});
