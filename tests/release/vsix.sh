#!/bin/sh
# The VS Code extension package: what `vsce ls` says goes into it is what the .vsix holds; it
# has the manifest with the release version, the client, the grammar and its own README; and its
# node_modules are exactly the language client's production dependencies (no test tools, no
# packager), each package whole enough to load (its package.json and main file).
#   tests/release/vsix.sh VSIX
# Exit status 0 when every check passed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
extension=$(cd "$here/../../editors/vscode" && pwd)
vsix=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
. "$here/checks.sh"

# vsce packs the README as readme.md.
(cd "$extension" && npx --no-install vsce ls 2>/dev/null) | sed 's|^README\.md$|readme.md|' |
  sort >"$work/listed"
(cd "$work" && mkdir unpacked && cd unpacked && cmake -E tar xf "$vsix") ||
  { echo "vsix: cannot unpack $vsix"; exit 1; }
(cd "$work/unpacked/extension" && find . -type f | sed 's|^\./||' | sort) >"$work/packed"
cmp -s "$work/listed" "$work/packed" || {
  fail "vsce ls and the .vsix disagree"
  diff "$work/listed" "$work/packed" | head -n 10
}

for file in package.json extension.js readme.md language-configuration.json \
  syntaxes/tunnelsmith-map.tmLanguage.json node_modules/vscode-languageclient/node.js; do
  grep -qx "$file" "$work/packed" || fail "the .vsix has no extension/$file"
done
grep -q '^test/' "$work/packed" && fail "the .vsix holds the tests"

version=$(basename "$vsix" | sed 's/^tunnelsmith-map-\(.*\)\.vsix$/\1/')
packed_version=$(node -p "require('$work/unpacked/extension/package.json').version")
[ "$packed_version" = "$version" ] || fail "the manifest says $packed_version, the file name $version"

# The packages in node_modules against the production dependency tree npm computes: each of its
# folders is packed with its package.json, and nothing else is.
(cd "$extension" && npm ls --omit=dev --all --parseable 2>/dev/null) | sed -n "s|^$extension/||p" |
  grep '^node_modules/' | sort -u >"$work/needed"
while read -r module; do
  grep -qx "$module/package.json" "$work/packed" || fail "the .vsix lacks the client's $module"
done <"$work/needed"
top_level='s|^node_modules/\(@[^/]*/[^/]*\)/.*|\1|p; s|^node_modules/\([^@/][^/]*\)/.*|\1|p'
sed -n "$top_level" "$work/packed" | sort -u >"$work/packed-modules"
sed 's|$|/|' "$work/needed" | sed -n "$top_level" | sort -u >"$work/needed-modules"
cmp -s "$work/packed-modules" "$work/needed-modules" || {
  fail "the .vsix's node_modules are not the client's dependencies"
  diff "$work/needed-modules" "$work/packed-modules"
}

[ "$failures" -eq 0 ] &&
  echo "vsix: $(wc -l <"$work/packed") files, node_modules: $(tr '\n' ' ' <"$work/packed-modules")" &&
  exit 0
exit 1
