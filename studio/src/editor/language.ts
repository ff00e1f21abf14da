// The map language for CodeMirror, built from the library's vocabulary: the section keywords and
// statement words of its grammar table, and its names (terrains, creatures, objects, ...). No
// word list of its own. The header's three lines and the grid rows are told apart by position,
// as the compiler reads them: three lines of header, then rows up to the first section keyword.
import { HighlightStyle, StreamLanguage, type StreamParser } from "@codemirror/language";
import { tags } from "@lezer/highlight";
import type { Vocabulary } from "tunnelsmith";

interface State {
  /** Non-empty lines read so far, up to 4 (the header's three and beyond). */
  lines: number;
  /** In the grid: after the header, before the first section keyword. */
  grid: boolean;
}

export interface Words {
  sections: Set<string>;
  statements: Set<string>;
  names: Set<string>;
  tokens: Set<string>;
}

export function wordsOf(vocabulary: Vocabulary): Words {
  const names = new Set<string>();
  for (const list of [
    vocabulary.terrains,
    vocabulary.creatures,
    vocabulary.objects,
    vocabulary.doors,
    vocabulary.traps,
    vocabulary.rooms,
    vocabulary.spells,
  ]) {
    for (const { name } of list) names.add(name);
  }
  return {
    sections: new Set(vocabulary.sections),
    statements: new Set(vocabulary.statements.map((s) => s.word)),
    names,
    tokens: new Set([...vocabulary.players, ...vocabulary.levels].map((v) => v.name)),
  };
}

/** How one word of the map is highlighted. */
export function wordStyle(words: Words, word: string): string | null {
  if (words.sections.has(word)) return "keyword";
  if (words.statements.has(word)) return "operatorKeyword";
  if (words.names.has(word)) return "atom";
  if (words.tokens.has(word)) return "variableName";
  if (/^[+-]?\d+$/.test(word) || /^[+-]?0[xX][0-9a-fA-F]+$/.test(word)) return "number";
  return null;
}

export function mapLanguage(vocabulary: Vocabulary): StreamLanguage<State> {
  const words = wordsOf(vocabulary);
  const parser: StreamParser<State> = {
    name: "tunnelsmith-map",
    startState: () => ({ lines: 0, grid: false }),
    copyState: (state) => ({ ...state }),
    token(stream, state) {
      if (stream.sol() && state.lines < 4 && !/^\s*$/.test(stream.string)) {
        ++state.lines;
        if (state.lines === 4) state.grid = true;
      }
      if (state.grid) {
        // A row ends the grid only by being a section keyword alone on its line.
        if (stream.sol() && words.sections.has(stream.string)) {
          state.grid = false;
          stream.skipToEnd();
          return "keyword";
        }
        stream.skipToEnd();
        return "content";
      }
      if (stream.eatSpace()) return null;
      const word = stream.match(/^\S+/) as RegExpMatchArray | null;
      if (!word) {
        stream.next();
        return null;
      }
      if (state.lines === 1 && stream.start === stream.string.search(/\S/)) {
        return word[0] === "GUI_GENERATED_MAP" ? "keyword" : "heading";
      }
      if (state.lines === 1) return "heading";
      return wordStyle(words, word[0]);
    },
    languageData: {},
  };
  return StreamLanguage.define(parser);
}

/** Colours from the page's style sheet, so that they follow the light or dark scheme. */
export const mapHighlight = HighlightStyle.define([
  { tag: tags.keyword, color: "var(--syntax-section)", fontWeight: "bold" },
  { tag: tags.operatorKeyword, color: "var(--syntax-statement)" },
  { tag: tags.atom, color: "var(--syntax-name)" },
  { tag: tags.variableName, color: "var(--syntax-token)" },
  { tag: tags.number, color: "var(--syntax-number)" },
  { tag: tags.heading, color: "var(--syntax-heading)", fontWeight: "bold" },
  { tag: tags.content, color: "var(--syntax-grid)" },
]);
