#!/usr/bin/env bash
# Static install check: builds the tree once more with static libraries (BUILD_SHARED_LIBS=OFF,
# a release build without optimisation), then checks its install as check_install.sh does:
# the outside programs link statically with `pkg-config --static` and through the CMake
# package, the installed program runs from a moved prefix, and the release install is stripped.
# Usage: check_static_install.sh <source dir> <scratch dir>
set -euo pipefail
src=$1 scratch=$2
mkdir -p "$scratch"
# A release build (its install defaults) compiled without optimisation: what is checked is how
# it links and installs, and -O3 made this whole second build the longest test of the suite.
cmake -S "$src" -B "$scratch/build" -G Ninja -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
      -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; echo "check_static_install: the static build does not configure" >&2; exit 1; }
cmake --build "$scratch/build" >"$scratch/build.log" 2>&1 ||
  { tail -n 60 "$scratch/build.log"; echo "check_static_install: the static build failed" >&2; exit 1; }
exec "$src/cmake/check_install.sh" "$scratch/build" "$src" "$scratch/check" "" stripped
