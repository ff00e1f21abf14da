#!/bin/sh
# Runs the Neovim end-to-end test of the language server: the README's Neovim block, taken from
# the README as it stands, set up in a headless Neovim (Debian package neovim), which then opens a
# copy of examples/lair1.txt with one misspelt creature in a maps folder, and a second map.
#   tests/lsp/run_nvim_e2e.sh SERVER SOURCE_DIR WORK_DIR
set -eu
server=$1
source_dir=$2
work=$3
if ! command -v nvim >/dev/null 2>&1; then
  echo "nvim not found: install Debian's neovim package" >&2
  exit 1
fi
rm -rf "$work"
mkdir -p "$work/maps"
sed 's/^TROLL 3 3 L4 P1$/TROL 3 3 L4 P1/' "$source_dir/examples/lair1.txt" > "$work/maps/lair1.txt"
grep -q '^TROL 3 3' "$work/maps/lair1.txt"
cp "$source_dir/examples/lair1.txt" "$work/second.tsmap"
status=0
# The block starts the server by its name, as an installed one is found.
PATH="$(dirname "$server"):$PATH" TUNNELSMITH_README=$source_dir/README.md \
  TUNNELSMITH_MAP=$work/maps/lair1.txt TUNNELSMITH_SECOND_MAP=$work/second.tsmap \
  HOME=$work XDG_STATE_HOME=$work \
  timeout 120 nvim --headless --clean -c "luafile $source_dir/tests/lsp/nvim_e2e.lua" \
  </dev/null || status=$?
rm -rf "$work"
exit $status
