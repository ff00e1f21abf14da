// The two letters that tell the kinds of a list apart on the map: unique within each of the
// library's lists, two letters each, and from the name where it allows.
import assert from "node:assert/strict";
import { test } from "node:test";

import { abbreviations } from "../../src/view/abbreviations";
import { library } from "./library";

test("every creature, object, door and trap kind has two letters of its own within its list", async () => {
  const vocabulary = (await library()).vocabulary();
  for (const list of [vocabulary.creatures, vocabulary.objects, vocabulary.doors, vocabulary.traps]) {
    const names = list.map((v) => v.name);
    const labels = abbreviations(names);
    assert.equal(new Set(labels.values()).size, names.length, "unique");
    for (const [name, label] of labels) {
      assert.match(label, /^[A-Z0-9]{2}$/, name);
      assert.ok(name.includes(label[0]!), `${label} starts with a letter of ${name}`);
    }
  }
  assert.deepEqual(
    ["TR_BOULDER", "WOOD_BARRICADE", "STEEL_DOOR"].map((n) => abbreviations([n]).get(n)),
    ["BO", "WB", "ST"],
  );
});
