// Each keeper's scenario tables, against the checker, which knows what the compiler makes of the
// statements: a statement changes nothing exactly when the tables already hold what it says, and
// a statement as the form suggests it always changes something.
import assert from "node:assert/strict";
import { test } from "node:test";

import { newLevelText } from "../../src/edit/new-level";
import { defaultTables, keeperTables, suggestedStatement, type Availability } from "../../src/model/scenario";
import { library } from "./library";

const level = newLevelText({ name: "Tables", width: 24, height: 12, keepers: 2, gui: false });

/** The new level with these statements, and whether the checker says each changes nothing. */
async function changesNothing(statements: string[]): Promise<boolean[]> {
  const ts = await library();
  const text = level.replace("\nEOF\n", `\n${statements.map((s) => s + "\n").join("")}EOF\n`);
  const check = ts.check(text);
  const lines = text.split("\n");
  const first = lines.indexOf("SCENARIO_DESCRIPTION") + 2;
  return statements.map((_, i) =>
    check.diagnostics.some((d) => d.id === "statement-changes-nothing" && d.line === first + i),
  );
}

const wordOf: Record<Exclude<Availability, "none">, string> = {
  start: "START_WITH",
  research: "MUST_RESEARCH",
  no: "NO",
};

test("a new level's tables: a statement changes nothing exactly where they already hold it", async () => {
  const vocabulary = (await library()).vocabulary();
  const tables = defaultTables(vocabulary);
  assert.equal(
    tables.available.size,
    vocabulary.rooms.length + vocabulary.traps.length + vocabulary.doors.length + vocabulary.spells.length,
  );
  for (const [state, word] of Object.entries(wordOf)) {
    const names = [...tables.available.keys()];
    const found = await changesNothing(names.map((n) => `${word} P1 ${n}`));
    names.forEach((name, i) =>
      assert.equal(found[i], tables.available.get(name) === state, `${word} P1 ${name} on a new level`),
    );
  }
  for (const count of [0, 5, 32]) {
    const creatures = vocabulary.creatures.map((c) => c.name);
    const found = await changesNothing(creatures.map((c) => `CREATURE_COUNT P1 ${c} ${count}`));
    creatures.forEach((creature, i) =>
      assert.equal(found[i], tables.pool.get(creature) === count, `CREATURE_COUNT P1 ${creature} ${count}`),
    );
  }
});

test("statements change one keeper's tables in their order, and the suggested next statement changes them again", async () => {
  const vocabulary = (await library()).vocabulary();
  const written: string[] = [];
  const own: string[][] = [];
  const words = ["START_WITH", "MUST_RESEARCH", "NO", "CREATURE_COUNT"];
  for (let round = 0; round < 24; ++round) {
    const word = words[round % words.length]!;
    const tables = keeperTables(vocabulary, own);
    const suggestion = suggestedStatement(tables, vocabulary, word);
    // A count the form's field starts at is the pool's now: the designer changes it.
    const statement =
      word === "CREATURE_COUNT"
        ? [word, suggestion.name, String((suggestion.count ?? 0) + 1)]
        : [word, suggestion.name];
    if (word === "CREATURE_COUNT") assert.equal(suggestion.count, tables.pool.get(suggestion.name) ?? 0);
    own.push(statement);
    written.push([statement[0], "P2", ...statement.slice(1)].join(" "));
    const found = await changesNothing(written);
    assert.equal(found.at(-1), false, `${written.at(-1)} after ${written.slice(0, -1).join(", ")}`);
    // The statement took effect in the tables the way the checker reads it: written again, it changes nothing.
    const again = await changesNothing([...written, written.at(-1)!]);
    assert.equal(again.at(-1), true, `${written.at(-1)} twice`);
  }
  // Keeper 1 was not concerned.
  const first = await changesNothing([...written, "START_WITH P1 TREASURY"]);
  assert.equal(first.at(-1), true);
});
