#!/bin/sh
# The Debian package as a user meets it: installed with dpkg -i, then the compiler found on PATH
# with its banner, tunnelsmith-build on an example (the files equal those of a native build's
# compiler), the tools' release version, a man page read with man, and a find_package(Tunnelsmith)
# consumer (tests/install) built against /usr alone. The package is removed again at the end.
#   tests/release/deb.sh DEB NATIVE_TUNNELSMITH
# A fresh root would need a container runtime that answers or debootstrap with a reachable
# mirror; the script says which of those it finds, and installs on this machine (as root) in
# every case, removing the package with dpkg -r afterwards. Exit status 0 when every check passed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
native=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
. "$here/checks.sh"

runtimes=""
for tool in debootstrap docker podman; do
  command -v "$tool" >/dev/null 2>&1 && runtimes="$runtimes $tool"
done
answering=""
for tool in docker podman; do
  command -v "$tool" >/dev/null 2>&1 && "$tool" info >/dev/null 2>&1 && answering="$answering $tool"
done
echo "deb: fresh root tools found:${runtimes:- none}; container runtimes answering:${answering:- none}"
echo "deb: installing on this machine with dpkg -i, removed with dpkg -r afterwards"
if [ "$(id -u)" != 0 ]; then
  echo "deb: dpkg -i needs root"
  exit 1
fi
if dpkg-query -W -f='${db:Status-Status}' tunnelsmith 2>/dev/null | grep -q installed; then
  echo "deb: a tunnelsmith package is installed already; remove it first (dpkg -r tunnelsmith)"
  exit 1
fi
trap 'dpkg -r tunnelsmith >/dev/null 2>&1; rm -rf "$work"' EXIT

version=$(dpkg-deb -f "$deb" Version)
if ! dpkg -i "$deb" >"$work/dpkg.out" 2>&1; then
  cat "$work/dpkg.out"
  echo "deb: dpkg -i failed"
  exit 1
fi

# Every program, the headers, the CMake package and a man page per program, where Debian keeps them.
for file in /usr/include/tunnelsmith/tunnelsmith.h /usr/include/tunnelsmith/version.h \
  /usr/lib/cmake/Tunnelsmith/TunnelsmithConfig.cmake /usr/lib/libtunnelsmith.a \
  /usr/share/doc/tunnelsmith/map-format.md /usr/share/doc/tunnelsmith/CHANGELOG.md; do
  [ -f "$file" ] || fail "the package has no $file"
done
for program in tunnelsmith tunnelsmith-build tunnelsmith-check tunnelsmith-inspect \
  tunnelsmith-preview tunnelsmith-decompile tunnelsmith-lsp tunnelsmith-docgen; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
  [ -f "/usr/share/man/man1/$program.1.gz" ] || fail "no man page for $program"
done

# The compiler keeps its own interface: its banner and version line stay as they always were.
out=$(cd "$work" && tunnelsmith --version)
[ "$out" = "Tunnelsmith version: 1.2
tunnelsmith 1.2" ] || fail "tunnelsmith --version printed: $out"
out=$(tunnelsmith-check --version)
[ "$out" = "tunnelsmith-check $version" ] || fail "tunnelsmith-check --version printed '$out', the package is $version"

# The build command on an example, against the native compiler's files.
mkdir "$work/native"
(cd "$work/native" && "$native" "$source/examples/lair1.txt" >/dev/null)
out=$(cd "$work" && tunnelsmith-build -o built "$source/examples/lair1.txt")
status=$?
[ "$status" = 0 ] || fail "tunnelsmith-build exited with $status: $out"
diff -r "$work/native" "$work/built" >/dev/null || fail "tunnelsmith-build's files differ from the native compiler's"
echo "deb: $out"

# The man page as man shows it: the name line and the options from --help.
page=$(MANPAGER=cat MANWIDTH=100 man tunnelsmith-check 2>&1)
echo "$page" | grep -q "tunnelsmith-check - report every problem of a map text" ||
  fail "man tunnelsmith-check has no name line: $(echo "$page" | head -n 5)"
echo "$page" | grep -q -- "--format=FORMAT" || fail "man tunnelsmith-check lists no options"
echo "$page" | grep -q "tunnelsmith-check $version" || fail "man tunnelsmith-check has no version $version"

# A program outside the project, built against the installed package alone.
if ! cmake -DPREFIX=/usr -DWORK_DIR="$work/consumer" -DGENERATOR=Ninja -DC_COMPILER=cc \
  -DCXX_COMPILER=c++ -DBUILD_TYPE=Release -DMAP="$source/examples/lair1.txt" -DLEVEL=Lair1 \
  -P "$source/tests/install/run_install_test.cmake" >"$work/consumer.out" 2>&1; then
  cat "$work/consumer.out"
  fail "the find_package(Tunnelsmith) consumer"
fi

dpkg -r tunnelsmith >/dev/null 2>&1 || fail "dpkg -r tunnelsmith"
[ ! -e /usr/bin/tunnelsmith ] || fail "dpkg -r left /usr/bin/tunnelsmith"
[ "$failures" -eq 0 ] && echo "deb: $version installed, used and removed" && exit 0
exit 1
