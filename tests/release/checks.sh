# What the package tests share, sourced by each: a scratch folder `$work`, removed on exit, and
# `fail MESSAGE`, which says what failed and counts it in `$failures`.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
