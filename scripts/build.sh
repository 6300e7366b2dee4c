#!/usr/bin/env bash
# Bootstraps if needed, then configures and builds the trees:
#   build/win     i686, the product (LUMOS32.EXE, RSTRIM32.DLL) and its tests
#   build/win64   x86-64, the same sources, for 64-bit Wine where 32-bit code cannot run
#   build/native  the portable code: unit tests, fuzzers, benchmarks
# Argument: "win", "native" or nothing (all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
LUMOS_ROOT=$root
. "$root/scripts/configure.sh"
# The bootstrap's last two lines name the codec prefixes (i686, x86-64). A
# failed bootstrap stops the build here.
if ! bootstrap=$("$root/scripts/bootstrap.sh"); then
  echo "build: the bootstrap failed" >&2
  exit 1
fi
mapfile -t deps < <(tail -2 <<<"$bootstrap")
if [ "${#deps[@]}" -ne 2 ] || [ ! -d "${deps[0]}" ] || [ ! -d "${deps[1]}" ]; then
  echo "build: the bootstrap named no codec libraries" >&2
  exit 1
fi

cross() { # tree toolchain deps-prefix
  lumos_configure "$root/build/$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" -DLUMOS_DEPS="$3"
  cmake --build "$root/build/$1" -j"$lumos_jobs"
}

if [ "$which" != native ]; then
  cross win mingw-i686.cmake "${deps[0]}"
  cross win64 mingw-x86_64.cmake "${deps[1]}"
fi
if [ "$which" != win ]; then
  lumos_configure_native
  cmake --build "$lumos_native_tree" -j"$lumos_jobs"
fi
