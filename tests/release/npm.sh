#!/bin/sh
# The npm package as a web developer installs it: `npm install TARBALL` into a new project, with
# no registry (the package has no dependencies), then a five-line script that compiles an example
# with it; the six files must equal those of the native compiler.
#   tests/release/npm.sh TARBALL NATIVE_TUNNELSMITH
# Exit status 0 when every check passed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
tarball=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
native=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
. "$here/checks.sh"

mkdir "$work/project" "$work/native"
cd "$work/project" || exit 1
echo '{ "name": "scratch", "private": true, "type": "module" }' >package.json
if ! npm install --offline --no-audit --no-fund --loglevel=error "$tarball" >"$work/npm.out" 2>&1; then
  cat "$work/npm.out"
  echo "npm: npm install $tarball failed"
  exit 1
fi
version=$(basename "$tarball" | sed 's/^tunnelsmith-\(.*\)\.tgz$/\1/')
installed=$(node -p "require('./node_modules/tunnelsmith/package.json').version")
[ "$installed" = "$version" ] || fail "the installed package says $installed, the tarball $version"
[ -z "$(ls node_modules | grep -v -x -e tunnelsmith -e .package-lock.json)" ] ||
  fail "npm installed more than tunnelsmith: $(ls node_modules)"

cat >compile.mjs <<'EOF'
import { loadTunnelsmith } from "tunnelsmith";
import { readFileSync, writeFileSync } from "node:fs";
const ts = await loadTunnelsmith();
const { valid, files } = ts.compile(readFileSync(process.argv[2]));
for (const { name, bytes } of valid ? files : []) writeFileSync(name, bytes);
EOF
mkdir out
(cd out && node ../compile.mjs "$source/examples/showcase.txt") || fail "node compile.mjs exited with $?"
(cd "$work/native" && "$native" "$source/examples/showcase.txt" >/dev/null)
[ "$(ls out | wc -l)" = 6 ] || fail "the script wrote $(ls out | wc -l) files, not 6"
diff -r "$work/native" out >/dev/null || fail "the module's files differ from the native compiler's"

[ "$failures" -eq 0 ] && echo "npm: $installed installed offline; showcase.txt compiled to the native files" && exit 0
exit 1
