#!/usr/bin/env bash
# Install check: installs the build into a scratch prefix, compiles every installed header alone
# as C and as C++, then builds and runs the outside programs of toolbox/consumer through the
# CMake package and through pkg-config.
# Usage: check_install.sh <build dir> <source dir> <scratch dir> <compiler and linker flags>
set -euo pipefail
build=$1 src=$2 scratch=$3 flags=${4:-}
rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
include=$scratch/prefix/include

# Each public header stands alone: it compiles as the only include of a C and of a C++ file,
# with nothing but the installed include folder on the path.
count=0
while IFS= read -r header; do
  name=${header#"$include"/}
  printf '#include "%s"\n' "$name" >"$scratch/alone.c"
  cp "$scratch/alone.c" "$scratch/alone.cpp"
  cc -std=c11 -Wall -Wextra -Werror -fsyntax-only -I"$include" "$scratch/alone.c" ||
    { echo "check_install: $name does not compile alone as C" >&2; exit 1; }
  c++ -std=c++17 -Wall -Wextra -Werror -fsyntax-only -I"$include" "$scratch/alone.cpp" ||
    { echo "check_install: $name does not compile alone as C++" >&2; exit 1; }
  count=$((count + 1))
done < <(find "$include" -name '*.h' | sort)
if [ "$count" -eq 0 ]; then
  echo "check_install: no header was installed" >&2
  exit 1
fi
# Test-only and internal headers never reach the install.
if find "$include" \( -name 'testing.h' -o -name '*_testing.h' -o -name '*_internal.h' \) | grep .; then
  echo "check_install: the headers above are not public but were installed" >&2
  exit 1
fi

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
