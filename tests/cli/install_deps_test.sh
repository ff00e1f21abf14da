#!/bin/sh
# scripts/install-deps against a simulated Debian machine: dpkg-query, id, apt-get and npm are
# stand-ins on PATH, and the script runs from a copy in a scratch checkout, so nothing is ever
# installed. Cases: nothing missing (nothing done); a package missing without root (the exact
# command to run, status 1); the same as root (apt-get installs exactly the missing packages);
# the editor tests' npm packages installed only while missing or older than their lock file, and
# the WebAssembly tests' and Studio's for the wasm set (Chromium and Emscripten installed with the
# others), each folder on its own; the packages set with help2man and the npm packages of vsce
# and puppeteer-core; an unknown set (status 2).
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/repo/scripts" "$work/repo/editors/vscode/node_modules" \
  "$work/repo/js/node_modules" "$work/repo/studio/node_modules"
cp "$1" "$work/repo/scripts/install-deps"
script="$work/repo/scripts/install-deps"
echo '{}' > "$work/repo/editors/vscode/package-lock.json"
echo '{}' > "$work/repo/js/package-lock.json"
echo '{}' > "$work/repo/studio/package-lock.json"
cat > "$work/bin/dpkg-query" <<'FAKE'
#!/bin/sh
for package in $FAKE_MISSING; do [ "$package" = "$3" ] && exit 1; done
printf installed
FAKE
printf '#!/bin/sh\necho "$FAKE_UID"\n' > "$work/bin/id"
printf '#!/bin/sh\necho "apt-get $*" >> "$FAKE_LOG"\n' > "$work/bin/apt-get"
printf '#!/bin/sh\necho "npm $1 $3" >> "$FAKE_LOG"\n' > "$work/bin/npm"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" FAKE_LOG="$work/apt.log"
failures=0

# check NAME EXPECTED_STATUS EXPECTED_OUTPUT EXPECTED_APT_LOG -- ARGS...
check() {
  name=$1 want_status=$2 want_out=$3 want_log=$4
  shift 5
  rm -f "$FAKE_LOG"
  out=$("$script" "$@" 2>&1)
  status=$?
  log=$(cat "$FAKE_LOG" 2>/dev/null || true)
  if [ "$status" != "$want_status" ] || [ "$out" != "$want_out" ] || [ "$log" != "$want_log" ]; then
    printf 'FAILED %s: status %s, output:\n%s\napt-get calls:\n%s\n' "$name" "$status" "$out" "$log"
    failures=$((failures + 1))
  fi
}

FAKE_MISSING="" FAKE_UID=1000 check "nothing missing but the npm packages" 0 \
  "install-deps: every package for 'dev' is installed
install-deps: installing the npm packages of editors/vscode" "npm ci $work/repo/scripts/../editors/vscode" --
touch "$work/repo/editors/vscode/node_modules/.package-lock.json"
FAKE_MISSING="" FAKE_UID=1000 check "nothing missing" 0 \
  "install-deps: every package for 'dev' is installed" "" --
FAKE_MISSING="nlohmann-json3-dev libgtest-dev" FAKE_UID=1000 check "missing, not root" 1 \
  "install-deps: missing Debian packages: nlohmann-json3-dev libgtest-dev
install them with: sudo apt-get install nlohmann-json3-dev libgtest-dev" "" -- dev
FAKE_MISSING="libgtest-dev" FAKE_UID=1000 check "tests not wanted" 0 \
  "install-deps: every package for 'release' is installed" "" -- release
FAKE_MISSING="libpng-dev" FAKE_UID=0 check "missing, root" 0 \
  "install-deps: installing libpng-dev" "apt-get update -qq
apt-get install -y -qq --no-install-recommends libpng-dev" -- release
FAKE_MISSING="emscripten chromium" FAKE_UID=0 check "the wasm set, as root" 0 \
  "install-deps: installing emscripten chromium
install-deps: installing the npm packages of js
install-deps: installing the npm packages of studio" "apt-get update -qq
apt-get install -y -qq --no-install-recommends emscripten chromium
npm ci $work/repo/scripts/../js
npm ci $work/repo/scripts/../studio" -- wasm
touch "$work/repo/js/node_modules/.package-lock.json"
FAKE_MISSING="" FAKE_UID=1000 check "the wasm set, Studio's packages missing" 0 \
  "install-deps: every package for 'wasm' is installed
install-deps: installing the npm packages of studio" "npm ci $work/repo/scripts/../studio" -- wasm
touch "$work/repo/studio/node_modules/.package-lock.json"
FAKE_MISSING="" FAKE_UID=1000 check "the wasm set, nothing missing" 0 \
  "install-deps: every package for 'wasm' is installed" "" -- wasm
rm "$work/repo/studio/node_modules/.package-lock.json"
FAKE_MISSING="help2man" FAKE_UID=0 check "the packages set, as root" 0 \
  "install-deps: installing help2man
install-deps: installing the npm packages of studio" "apt-get update -qq
apt-get install -y -qq --no-install-recommends help2man
npm ci $work/repo/scripts/../studio" -- packages
FAKE_MISSING="" FAKE_UID=0 check "unknown set" 2 \
  "usage: scripts/install-deps [compiler|release|dev|ci|windows|wasm|packages]" "" -- everything
exit $((failures > 0))
