#!/usr/bin/env bash
# Bootstraps if needed, then configures and builds the cross tree (build/win)
# and the native tree (build/native). Argument: "win", "native" or nothing (both).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
deps=$("$root/scripts/bootstrap.sh" | tail -1)
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
jobs=$(nproc)

if [ "$which" != native ]; then
  if [ ! -f "$root/build/win/CMakeCache.txt" ] || ! grep -q "LUMOS_DEPS:PATH=$deps\$" "$root/build/win/CMakeCache.txt"; then
    cmake -S "$root" -B "$root/build/win" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DLUMOS_DEPS="$deps" >/dev/null
  fi
  cmake --build "$root/build/win" -j"$jobs"
fi
if [ "$which" != win ]; then
  if [ ! -f "$root/build/native/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" "${gen[@]}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$root/build/native" -j"$jobs"
fi
