#!/usr/bin/env bash
# Install check: installs the build into a scratch prefix, then builds and runs the outside
# programs of toolbox/consumer through the CMake package and through pkg-config.
# Usage: check_install.sh <build dir> <source dir> <scratch dir> <compiler and linker flags>
set -euo pipefail
build=$1 src=$2 scratch=$3 flags=${4:-}
rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null

cmake -S "$src/toolbox/consumer" -B "$scratch/consumer" -G Ninja \
      -DCMAKE_PREFIX_PATH="$scratch/prefix" \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
"$scratch/consumer/consumer_c"
"$scratch/consumer/consumer_cpp"

export PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig"
# shellcheck disable=SC2046,SC2086
cc $flags "$src/toolbox/consumer/main.c" -o "$scratch/consumer_pc" $(pkg-config --cflags --static --libs toolbox)
"$scratch/consumer_pc"
