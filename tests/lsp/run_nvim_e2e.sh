#!/bin/sh
# Runs the Neovim end-to-end test of the language server: a copy of examples/lair1.txt with one
# misspelt creature, opened in a headless Neovim (Debian package neovim) with tunnelsmith-lsp.
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
mkdir -p "$work"
sed 's/^TROLL 3 3 L4 P1$/TROL 3 3 L4 P1/' "$source_dir/examples/lair1.txt" > "$work/lair1.txt"
grep -q '^TROL 3 3' "$work/lair1.txt"
status=0
TUNNELSMITH_LSP=$server TUNNELSMITH_MAP=$work/lair1.txt HOME=$work XDG_STATE_HOME=$work \
  timeout 120 nvim --headless --clean -c "luafile $source_dir/tests/lsp/nvim_e2e.lua" \
  </dev/null || status=$?
rm -rf "$work"
exit $status
