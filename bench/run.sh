#!/usr/bin/env bash
# Full-size benchmark: a 24-megapixel JPEG and a 12-megapixel PNG through the
# decoding core and through the plain libraries; prints times, ratios and
# peak memory. Builds the program first if needed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$root/build/native
if [ ! -f "$tree/CMakeCache.txt" ]; then
  gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  CC=clang CXX=clang++ cmake -S "$root" -B "$tree" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
cmake --build "$tree" --target rstrim_bench -j2 >/dev/null || { echo "bench: build failed" >&2; exit 1; }
exec "$tree/bench/rstrim_bench" --dir "${TMPDIR:-/tmp}" "$@"
