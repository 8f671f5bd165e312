#!/usr/bin/env bash
# Install check: installs a build into a scratch prefix and moves the prefix elsewhere (the
# install must be relocatable), then uses it as a user would:
#   - every installed header compiles alone as C and as C++; no internal or test header is there;
#   - shared: each library has its SONAME and RUNPATH $ORIGIN, QM7300_Test RUNPATH $ORIGIN/../lib;
#   - the outside programs of toolbox/consumer build and run: through the CMake package from a
#     C-only project, and with one pkg-config line each for C and C++ (with --static for a static
#     install), whose --cflags is the include folder alone; shared, the C program is small and
#     links neither the graphics nor the screen libraries;
#   - the installed QM7300_Test finds its panel file under share/ and plays the demo session
#     headless from the moved prefix; without an operator script it says that none is attached
#     and keeps running; without a screen it ends with -1 after one line;
#   - the man pages render without warnings, the README is under share/doc;
#   - with "stripped", the programs and shared libraries carry no symbol table.
# Usage: check_install.sh <build dir> <source dir> <scratch dir> <compiler and linker flags> [stripped]
set -euo pipefail
build=$1 src=$2 scratch=$3 flags=${4:-} stripped=${5:-}
fail() { echo "check_install: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/installed" >/dev/null
mv "$scratch/installed" "$scratch/prefix"
prefix=$scratch/prefix
include=$prefix/include
pcdir=$(dirname "$(find "$prefix" -name toolbox.pc)")
libdir=$(dirname "$pcdir")

# Each public header stands alone: it compiles as the only include of a C and of a C++ file,
# with nothing but the installed include folder on the path.
count=0
while IFS= read -r header; do
  name=${header#"$include"/}
  printf '#include "%s"\n' "$name" >"$scratch/alone.c"
  cp "$scratch/alone.c" "$scratch/alone.cpp"
  cc -std=c11 -Wall -Wextra -Werror -fsyntax-only -I"$include" "$scratch/alone.c" ||
    fail "$name does not compile alone as C"
  c++ -std=c++17 -Wall -Wextra -Werror -fsyntax-only -I"$include" "$scratch/alone.cpp" ||
    fail "$name does not compile alone as C++"
  count=$((count + 1))
done < <(find "$include" -name '*.h' | sort)
[ "$count" -gt 0 ] || fail "no header was installed"
if find "$include" \( -name 'testing.h' -o -name '*_testing.h' -o -name '*_internal.h' \) | grep .; then
  fail "the headers above are not public but were installed"
fi

dynamic() { readelf -d "$1" | sed -n "s/.*($2).*\[\(.*\)\]/\1/p"; }
if [ -e "$libdir/libtoolbox.so" ]; then
  kind=shared
  for lib in rte win32 toolbox qm7300; do
    [ "$(dynamic "$libdir/lib$lib.so" SONAME)" = "lib$lib.so.1" ] || fail "lib$lib.so has no SONAME lib$lib.so.1"
    [ "$(dynamic "$libdir/lib$lib.so" RUNPATH)" = '$ORIGIN' ] || fail "lib$lib.so has no RUNPATH \$ORIGIN"
  done
  [ "$(dynamic "$prefix/bin/QM7300_Test" RUNPATH)" = '$ORIGIN/../lib' ] || fail "QM7300_Test has no RUNPATH \$ORIGIN/../lib"
else
  kind=static
fi

# The outside programs. Through the CMake package, from a project that enables C alone.
cmake -S "$src/toolbox/consumer" -B "$scratch/tour" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$scratch/tour" >/dev/null || fail "the C-only CMake project does not build"
export LD_LIBRARY_PATH=$libdir
"$scratch/tour/tour" >/dev/null || fail "the tour built through the CMake package failed"

# With one pkg-config line, as the README shows.
export PKG_CONFIG_PATH=$pcdir
pcflags=()
[ "$kind" = static ] && pcflags=(--static)
cflags=$(pkg-config --cflags toolbox)
# shellcheck disable=SC2086
set -- $cflags
[ $# -eq 1 ] && [ "$(realpath "${1#-I}")" = "$(realpath "$include")" ] ||
  fail "pkg-config --cflags toolbox gives more than the include folder: $cflags"
# shellcheck disable=SC2046,SC2086
cc $flags "$src/toolbox/consumer/tour.c" -o "$scratch/tour_c" $(pkg-config --cflags --libs "${pcflags[@]}" toolbox) ||
  fail "cc tour.c \$(pkg-config --cflags --libs ${pcflags[*]} toolbox) does not build"
"$scratch/tour_c" >/dev/null || fail "the tour built with pkg-config failed"
# shellcheck disable=SC2046,SC2086
c++ $flags "$src/toolbox/consumer/tour.cpp" -o "$scratch/tour_cpp" $(pkg-config --cflags --libs "${pcflags[@]}" toolbox) ||
  fail "c++ tour.cpp \$(pkg-config ...) does not build"
"$scratch/tour_cpp" >/dev/null || fail "the C++ tour built with pkg-config failed"
if [ "$kind" = shared ]; then
  # The static line works on a shared install too (it links the shared libraries).
  # shellcheck disable=SC2046,SC2086
  cc $flags "$src/toolbox/consumer/tour.c" -o "$scratch/tour_static_line" $(pkg-config --cflags --libs --static toolbox) ||
    fail "cc tour.c \$(pkg-config --cflags --libs --static toolbox) does not build on a shared install"
  "$scratch/tour_static_line" >/dev/null || fail "the tour built with pkg-config --static failed"
  if readelf -d "$scratch/tour_c" | grep -E 'NEEDED.*(SDL|pango|cairo|X11)'; then
    fail "a list-and-string program links the libraries above"
  fi
  size=$(stat -c %s "$scratch/tour_c")
  [ "$size" -lt 200000 ] || fail "a list-and-string program is $size bytes"
fi
unset LD_LIBRARY_PATH

# The installed program, from the moved prefix and another folder, headless.
[ -f "$prefix/share/QM7300_Test/QM7300_Test.uir" ] || fail "the panel file is not under share/QM7300_Test"
[ ! -e "$prefix/bin/QM7300_Test.uir" ] || fail "the panel file was installed beside the program"
# Runs the installed program in an environment of no screen and no engine settings but VAR=VALUE...
program() { env -u RTE_SCRIPT -u RTE_DISPLAY -u QM7300_SIM -u QM7300_DEVICES -u DISPLAY -u WAYLAND_DISPLAY "$@" "$prefix/bin/QM7300_Test"; }
mkdir -p "$scratch/elsewhere"
cd "$scratch/elsewhere"
program RTE_DISPLAY=headless RTE_SCRIPT="$src/app/demo_session.txt" >"$scratch/session.out" ||
  fail "the installed QM7300_Test did not play the demo session"
expected='PANEL_DEVICE_COUNT=2
PANEL_DEVICES=QM7300-0
PANEL_DEVICES.items=QM7300-0|QM7300-1
PANEL_STATUS=
PANEL_PORT0_READ=165
PANEL_PORT1_READ=60
PANEL_PORT16_READ=165
PANEL_PORT17_READ=60
PANEL_VERSION=1.0.0'
[ "$(cat "$scratch/session.out")" = "$expected" ] || fail "the demo session showed: $(cat "$scratch/session.out")"

# No screen and no headless display: one line, exit code -1.
status=0
program >/dev/null 2>"$scratch/noscreen.err" || status=$?
[ "$status" -eq 255 ] && [ "$(wc -l <"$scratch/noscreen.err")" -eq 1 ] &&
  grep -q 'RTE_DISPLAY=headless' "$scratch/noscreen.err" ||
  fail "without a screen: exit $status, $(cat "$scratch/noscreen.err")"

# Headless without a script: one line saying no operator is attached; the program runs on.
program RTE_DISPLAY=headless >/dev/null 2>"$scratch/nooperator.err" &
pid=$!
for _ in $(seq 600); do  # up to a minute: the machine may be busy
  grep -q . "$scratch/nooperator.err" && break
  sleep 0.1
done
running=0
kill -0 "$pid" 2>/dev/null && running=1
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ "$running" -eq 1 ] || fail "headless without a script, the program did not keep running"
grep -q '^rte: no operator is attached.*RTE_SCRIPT=' "$scratch/nooperator.err" ||
  fail "headless without a script, it said: $(cat "$scratch/nooperator.err")"
cd "$scratch"

# qm7300-sim runs from the moved prefix: it says where it listens, and ends on SIGTERM with 0.
env -u QM7300_SIM -u QM7300_DEVICES "$prefix/bin/qm7300-sim" --listen 127.0.0.1:0 >"$scratch/sim.out" 2>&1 &
pid=$!
for _ in $(seq 600); do
  grep -q 'listening on' "$scratch/sim.out" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
grep -q '^qm7300-sim: listening on 127\.0\.0\.1:[0-9]*, units 1-2: QM7300-0, QM7300-1$' "$scratch/sim.out" &&
  [ "$status" -eq 0 ] || fail "the installed qm7300-sim: exit $status, $(cat "$scratch/sim.out")"

# Documentation.
for page in man1/QM7300_Test.1.gz man7/rte-script.7.gz man1/rtereg.1.gz man1/qm7300-sim.1.gz; do
  [ -f "$prefix/share/man/$page" ] || fail "share/man/$page is not installed"
  warnings=$(zcat "$prefix/share/man/$page" | groff -t -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "share/man/$page: $warnings"
done
[ -f "$prefix/share/doc/qm7300-suite/README.md" ] || fail "share/doc/qm7300-suite/README.md is not installed"

if [ "$stripped" = stripped ]; then
  for file in "$prefix/bin/QM7300_Test" "$prefix/bin/rtereg" "$prefix/bin/qm7300-sim" "$libdir"/lib*.so.1; do
    [ -e "$file" ] || continue
    if readelf -S "$file" | grep -q -E '\.symtab|\.debug_info'; then fail "$file is not stripped"; fi
  done
fi
echo "check_install: $kind install in $prefix works"
