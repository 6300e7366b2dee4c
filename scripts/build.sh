#!/usr/bin/env bash
# Bootstraps if needed, then configures and builds the trees:
#   build/win     i686, the product (LUMOS32.EXE, RSTRIM32.DLL) and its tests
#   build/win64   x86-64, the same sources, for 64-bit Wine where 32-bit code cannot run
#   build/native  the portable code: unit tests, fuzzers, benchmarks
# Argument: "win", "native" or nothing (all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
mapfile -t deps < <("$root/scripts/bootstrap.sh" | tail -2)
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
jobs=$(nproc)

cross() { # tree toolchain deps-prefix
  local tree=$root/build/$1
  if [ ! -f "$tree/CMakeCache.txt" ] || ! grep -q "^LUMOS_DEPS:PATH=$3\$" "$tree/CMakeCache.txt"; then
    cmake -S "$root" -B "$tree" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" -DLUMOS_DEPS="$3" >/dev/null
  fi
  cmake --build "$tree" -j"$jobs"
}

if [ "$which" != native ]; then
  cross win mingw-i686.cmake "${deps[0]}"
  cross win64 mingw-x86_64.cmake "${deps[1]}"
fi
if [ "$which" != win ]; then
  if [ ! -f "$root/build/native/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" "${gen[@]}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$root/build/native" -j"$jobs"
fi
