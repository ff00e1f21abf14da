// A map file's line break: found when it is opened, taken out of the text the page holds and put
// back when the text leaves the page, so that a file comes back with its own line ends.
import assert from "node:assert/strict";
import { test } from "node:test";

import { fileText, lineBreakOf, pageText } from "../../src/text/line-breaks";

test("a file's line break is the one most of its lines end with, and comes back on the way out", () => {
  const cases: { name: string; file: string; lineBreak: "\n" | "\r\n"; page: string; saved: string }[] = [
    { name: "LF", file: "Lair\nPlayers 1\n", lineBreak: "\n", page: "Lair\nPlayers 1\n", saved: "Lair\nPlayers 1\n" },
    {
      name: "CR LF",
      file: "Lair\r\nPlayers 1\r\n",
      lineBreak: "\r\n",
      page: "Lair\nPlayers 1\n",
      saved: "Lair\r\nPlayers 1\r\n",
    },
    { name: "CR LF, no line end at the end", file: "a\r\nb", lineBreak: "\r\n", page: "a\nb", saved: "a\r\nb" },
    { name: "mostly CR LF", file: "a\r\nb\nc\r\n", lineBreak: "\r\n", page: "a\nb\nc\n", saved: "a\r\nb\r\nc\r\n" },
    { name: "mostly LF", file: "a\r\nb\nc\n", lineBreak: "\n", page: "a\nb\nc\n", saved: "a\nb\nc\n" },
    { name: "as many of each: LF", file: "a\r\nb\n", lineBreak: "\n", page: "a\nb\n", saved: "a\nb\n" },
    // A CR alone is a line break to the text pane, so it is one in the page's text too.
    { name: "a CR alone", file: "a\rb\r\nc\r\n", lineBreak: "\r\n", page: "a\nb\nc\n", saved: "a\r\nb\r\nc\r\n" },
    { name: "a CR at the start", file: "\r\nx", lineBreak: "\r\n", page: "\nx", saved: "\r\nx" },
    { name: "no line break", file: "x", lineBreak: "\n", page: "x", saved: "x" },
    { name: "empty", file: "", lineBreak: "\n", page: "", saved: "" },
  ];
  for (const c of cases) {
    const lineBreak = lineBreakOf(c.file);
    assert.equal(lineBreak, c.lineBreak, c.name);
    const page = pageText(c.file);
    assert.equal(page, c.page, c.name);
    assert.doesNotMatch(page, /\r/, c.name);
    assert.equal(fileText(page, lineBreak), c.saved, c.name);
  }
});
