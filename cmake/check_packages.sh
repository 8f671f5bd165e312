#!/usr/bin/env bash
# Package check: makes the .deb packages of a build with CPack and checks them with dpkg-deb
# (and lintian where it is installed): names, computed dependencies, what each package holds,
# stripped files. Then unpacks both into a throw-away root, runs the packaged QM7300_Test
# headless from there, and builds the outside C program against the unpacked dev package.
# Usage: check_packages.sh <build dir> <source dir> <scratch dir> <compiler and linker flags>
set -euo pipefail
build=$1 src=$2 scratch=$3 flags=${4:-}
fail() { echo "check_packages: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/debs" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip \
  >"$scratch/cpack.log" || { cat "$scratch/cpack.log"; fail "cpack -G DEB failed"; }
runtime=$(ls "$scratch"/debs/qm7300-suite_*.deb)
dev=$(ls "$scratch"/debs/qm7300-suite-dev_*.deb)

field() { dpkg-deb --field "$1" "$2"; }
[ "$(field "$runtime" Package)" = qm7300-suite ] || fail "the runtime package is not named qm7300-suite"
[ "$(field "$dev" Package)" = qm7300-suite-dev ] || fail "the dev package is not named qm7300-suite-dev"
depends=$(field "$runtime" Depends)
for needed in libc6 libstdc++6 libsdl2-2.0-0 libpango-1.0-0 libcairo2 libsqlite3-0 libglib2.0-0; do
  [[ "$depends" == *"$needed "* ]] || fail "the runtime package does not depend on $needed: $depends"
done
[[ "$depends" == *libdecor-0-plugin-1-cairo* ]] ||
  fail "the runtime package does not depend on SDL's decoration plugin (title bars on Wayland): $depends"
[[ "$(field "$dev" Depends)" == *"qm7300-suite (= $(field "$runtime" Version))"* ]] ||
  fail "the dev package does not depend on the runtime package of its version"
dpkg-deb --info "$runtime" shlibs | grep -q '^libtoolbox 1 qm7300-suite' || fail "the runtime package has no shlibs entry for libtoolbox"

contents() { dpkg-deb --contents "$1" | awk '{print $6}' | sed 's|^\./||'; }
contents "$runtime" >"$scratch/runtime.list"
contents "$dev" >"$scratch/dev.list"
for path in usr/bin/QM7300_Test usr/bin/rtereg usr/bin/qm7300-sim usr/lib/libtoolbox.so.1 usr/lib/librte.so.1 usr/lib/libwin32.so.1 \
            usr/lib/libqm7300.so.1 usr/share/QM7300_Test/QM7300_Test.uir usr/share/man/man1/QM7300_Test.1.gz \
            usr/share/man/man7/rte-script.7.gz usr/share/man/man1/qm7300-sim.1.gz usr/share/doc/qm7300-suite/README.md; do
  grep -qx "$path" "$scratch/runtime.list" || fail "the runtime package lacks $path"
done
for path in usr/include/toolbox/toolbox.h usr/include/rte/rte.h usr/include/win32/windows.h usr/include/qm7300/QM7300.h \
            usr/lib/libtoolbox.so usr/lib/librte_main.a usr/lib/pkgconfig/toolbox.pc \
            usr/lib/cmake/toolbox/toolboxConfig.cmake usr/lib/cmake/qm7300/qm7300Config.cmake; do
  grep -qx "$path" "$scratch/dev.list" || fail "the dev package lacks $path"
done
if grep -E '^usr/include/|\.pc$' "$scratch/runtime.list"; then fail "the runtime package holds the development files above"; fi
if grep -E '^usr/bin/|\.so\.1' "$scratch/dev.list"; then fail "the dev package holds the runtime files above"; fi

if command -v lintian >/dev/null; then
  # The packages are built straight from CMake, not from a Debian source package: what only a
  # Debian source tree provides (a copyright file, a changelog) is not asked of them.
  lintian --fail-on error --suppress-tags no-copyright-file,no-changelog \
    "$runtime" "$dev" || fail "lintian found errors"
fi

root=$scratch/root
dpkg-deb -x "$runtime" "$root"
dpkg-deb -x "$dev" "$root"
for file in "$root/usr/bin/QM7300_Test" "$root/usr/bin/qm7300-sim" "$root"/usr/lib/lib*.so.1; do
  if readelf -S "$file" | grep -q -E '\.symtab|\.debug_info'; then fail "$file is not stripped"; fi
done

mkdir -p "$scratch/elsewhere"
cd "$scratch/elsewhere"
env -u QM7300_SIM -u QM7300_DEVICES RTE_DISPLAY=headless RTE_SCRIPT="$src/app/demo_session.txt" "$root/usr/bin/QM7300_Test" \
  >"$scratch/session.out" || fail "the packaged QM7300_Test did not play the demo session"
grep -qx 'PANEL_PORT16_READ=165' "$scratch/session.out" || fail "the demo session showed: $(cat "$scratch/session.out")"

export PKG_CONFIG_PATH=$root/usr/lib/pkgconfig LD_LIBRARY_PATH=$root/usr/lib
# shellcheck disable=SC2046,SC2086
cc $flags "$src/toolbox/consumer/tour.c" -o "$scratch/tour" $(pkg-config --cflags --libs toolbox) ||
  fail "the outside C program does not build against the dev package"
"$scratch/tour" >/dev/null || fail "the outside C program built against the dev package failed"
cmake -S "$src/toolbox/consumer" -B "$scratch/tour_cmake" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$scratch/tour_cmake" >/dev/null || fail "the C-only CMake project does not build against the dev package"
"$scratch/tour_cmake/tour" >/dev/null || fail "the tour built through the dev package's CMake package failed"
echo "check_packages: $(basename "$runtime") and $(basename "$dev") work"
