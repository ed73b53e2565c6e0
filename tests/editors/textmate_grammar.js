#!/usr/bin/env node
// Tokenizes files with editors/vscode's TextMate grammar in the engine VS Code uses
// (vscode-textmate over vscode-oniguruma) and checks the innermost scope at each position of
// positions.tsv, the positions the Vim test checks. It also checks that the extension manifest
// points at the grammar for *.vn files.
//
// Usage: textmate_grammar.js SOURCE_DIR
//
// The engine comes from the npm registry: when it is not in node_modules beside this script, the
// script installs it there first (the versions pinned in package.json). Exits 77 (a skip for
// ctest) only when npm is missing or the registry cannot be reached.
'use strict';
const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');

const SKIP = 77;
const HERE = __dirname;

function loadEngine() {
  const from = (name) => require(require.resolve(name, { paths: [HERE] }));
  try {
    return { textmate: from('vscode-textmate'), oniguruma: from('vscode-oniguruma') };
  } catch (missing) {
    // Not installed yet: install it below.
  }
  console.log('installing vscode-textmate and vscode-oniguruma into ' + path.join(HERE, 'node_modules'));
  const npm = spawnSync('npm', ['install', '--no-package-lock', '--no-audit', '--no-fund',
                                '--loglevel=error'],
                        { cwd: HERE, encoding: 'utf8', timeout: 300000 });
  if (npm.error && npm.error.code === 'ENOENT') {
    console.log('SKIP: npm is not installed (.ci/run installs it)');
    process.exit(SKIP);
  }
  const said = (npm.stdout || '') + (npm.stderr || '');
  if (npm.status !== 0) {
    const unreachable = /E(NOTFOUND|AI_AGAIN|CONNREFUSED|CONNRESET|TIMEDOUT|NETUNREACH|HOSTUNREACH)|network|socket hang up/i;
    if (npm.error || unreachable.test(said)) {
      console.log('SKIP: the npm registry cannot be reached, so there is no TextMate engine to test with\n' + said);
      process.exit(SKIP);
    }
    console.log('npm install failed (status ' + npm.status + ')\n' + said);
    process.exit(1);
  }
  return { textmate: from('vscode-textmate'), oniguruma: from('vscode-oniguruma') };
}

// The rows of positions.tsv, each with its 0-based line and byte index (all the files are ASCII).
function readPositions(sourceDir) {
  const rows = fs.readFileSync(path.join(HERE, 'positions.tsv'), 'utf8').split('\n');
  const positions = [];
  for (const row of rows) {
    if (row === '' || row.startsWith('#')) continue;
    const [file, anchor, offset, , scope] = row.split('\t');
    const text = fs.readFileSync(path.join(sourceDir, file), 'utf8');
    const found = text.indexOf(anchor);
    if (found < 0 || Number(offset) >= anchor.length) {
      throw new Error(`positions.tsv: ${JSON.stringify(anchor)} (offset ${offset}) is not in ${file}`);
    }
    const at = found + Number(offset);
    const line = text.slice(0, at).split('\n').length - 1;
    const index = at - (text.lastIndexOf('\n', at - 1) + 1);
    positions.push({ file, anchor, offset, line, index, scope });
  }
  return positions;
}

// The extension manifest must offer the grammar for .vn files under the grammar's own scope name.
function checkManifest(extensionDir, grammar) {
  const manifest = JSON.parse(fs.readFileSync(path.join(extensionDir, 'package.json'), 'utf8'));
  const problems = [];
  const language = (manifest.contributes.languages || []).find((l) => l.id === 'vorn');
  if (!language || !(language.extensions || []).includes('.vn')) problems.push('no vorn language for .vn');
  if (language && language.configuration &&
      !fs.existsSync(path.join(extensionDir, language.configuration))) problems.push('language configuration missing');
  const entry = (manifest.contributes.grammars || []).find((g) => g.language === 'vorn');
  if (!entry) problems.push('no grammar for vorn');
  else {
    if (entry.scopeName !== grammar.scopeName) problems.push(`scope ${entry.scopeName} is not ${grammar.scopeName}`);
    if (path.resolve(extensionDir, entry.path) !== path.join(extensionDir, 'syntaxes', 'vorn.tmLanguage.json')) {
      problems.push(`grammar path ${entry.path}`);
    }
  }
  return problems.map((p) => 'manifest: ' + p);
}

async function main() {
  const sourceDir = path.resolve(process.argv[2] || '.');
  const extensionDir = path.join(sourceDir, 'editors', 'vscode');
  const grammarPath = path.join(extensionDir, 'syntaxes', 'vorn.tmLanguage.json');
  const grammarText = fs.readFileSync(grammarPath, 'utf8');
  const failures = checkManifest(extensionDir, JSON.parse(grammarText));

  const { textmate, oniguruma } = loadEngine();
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm', { paths: [HERE] }));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async (scopeName) =>
      scopeName === 'source.vorn' ? textmate.parseRawGrammar(grammarText, grammarPath) : null,
  });
  const grammar = await registry.loadGrammar('source.vorn');

  const positions = readPositions(sourceDir);
  const tokensOf = new Map();
  for (const file of new Set(positions.map((p) => p.file))) {
    const lines = fs.readFileSync(path.join(sourceDir, file), 'utf8').split('\n');
    let state = textmate.INITIAL;
    tokensOf.set(file, lines.map((line) => {
      const result = grammar.tokenizeLine(line, state);
      state = result.ruleStack;
      return result.tokens;
    }));
  }
  for (const p of positions) {
    const token = tokensOf.get(p.file)[p.line].find((t) => t.startIndex <= p.index && p.index < t.endIndex);
    const scope = token ? token.scopes[token.scopes.length - 1] : '(no token)';
    if (scope !== p.scope) {
      failures.push(`${p.file}:${p.line + 1}:${p.index + 1} (${JSON.stringify(p.anchor)}, offset ${p.offset}): ` +
                    `scope ${scope}, expected ${p.scope}`);
    }
  }
  for (const failure of failures) console.log('FAIL ' + failure);
  console.log(`textmate: ${positions.length} positions in ${tokensOf.size} files, ${failures.length} wrong`);
  return failures.length ? 1 : 0;
}

main().then((status) => process.exit(status), (error) => {
  console.log(error.stack || String(error));
  process.exit(1);
});
