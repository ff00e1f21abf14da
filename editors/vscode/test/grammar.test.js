// Tokenizes map lines with the grammar through the engine the editor uses (vscode-textmate on
// the Oniguruma regular expressions of vscode-oniguruma) and checks the scopes of their words.
//   node test/grammar.test.js        (after npm ci in editors/vscode)
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
let vsctm;
let oniguruma;
try {
  vsctm = require('vscode-textmate');
  oniguruma = require('vscode-oniguruma');
} catch (e) {
  console.error(`${e.message}\nthe grammar test needs its packages: npm ci --prefix editors/vscode`);
  process.exit(1);
}

const root = path.join(__dirname, '..');
const scopeName = 'source.tunnelsmith-map';
const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm')).buffer;
const onigLib = oniguruma.loadWASM(wasm).then(() => ({
  createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
  createOnigString: (s) => new oniguruma.OnigString(s),
}));

const registry = new vsctm.Registry({
  onigLib,
  loadGrammar: async (name) => {
    if (name !== scopeName) return null;
    const file = path.join(root, 'syntaxes', 'tunnelsmith-map.tmLanguage.json');
    return vsctm.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
  },
});

// Each line, and the scope (or none: null) that each of its words must get.
const cases = [
  ['HERO_GATES', { HERO_GATES: 'keyword.control.section' }],
  ['HERO_GATES ', { HERO_GATES: 'support.constant.name' }],  // not a keyword with a blank
  ['TROLL 3 3 L4 P1', { TROLL: null, 3: 'constant.numeric', L4: 'constant.language.level', P1: 'constant.language.player' }],
  ['TRIGGER_CONTROL_AREA PH 1', { TRIGGER_CONTROL_AREA: 'keyword.control.trigger', PH: 'constant.language.player' }],
  ['ACTION_HERO_RELEASE 1 G 2', { ACTION_HERO_RELEASE: 'keyword.control.action', G: null }],
  ['ACTION_ADD_ROOM P1 MANA_VAULT', { MANA_VAULT: 'support.constant.name' }],
  ['KPR1_HEART_CENTER 0x1F 3', { KPR1_HEART_CENTER: 'variable.other.property', '0x1F': 'constant.numeric' }],
  ['START_WITH P2 PORTAL', { START_WITH: 'keyword.other.statement', PORTAL: null }],
  ['EOF', { EOF: 'keyword.control.end' }],
  ['GUI_GENERATED_MAP Lair1', { GUI_GENERATED_MAP: 'keyword.other.format', Lair1: null }],
  ['L11 P5 TH_BARREL', { L11: null, P5: null, TH_BARREL: 'support.constant.name' }],
];

registry.loadGrammar(scopeName).then((grammar) => {
  let failures = 0;
  for (const [line, expected] of cases) {
    const { tokens } = grammar.tokenizeLine(line, vsctm.INITIAL);
    const scopes = {};
    for (const t of tokens) {
      const word = line.substring(t.startIndex, t.endIndex).trim();
      if (word) scopes[word] = t.scopes.filter((s) => s !== scopeName);
    }
    for (const [word, scope] of Object.entries(expected)) {
      const got = scopes[word] || [];
      try {
        if (scope === null) {
          assert.deepStrictEqual(got, [], `'${word}' in '${line}'`);
        } else {
          assert.deepStrictEqual(got, [`${scope}.tunnelsmith-map`], `'${word}' in '${line}'`);
        }
      } catch (e) {
        ++failures;
        console.error(e.message);
      }
    }
  }
  console.log(`${cases.length} lines, ${failures} failures`);
  process.exitCode = failures === 0 ? 0 : 1;
}).catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
