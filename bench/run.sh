#!/usr/bin/env bash
# Full-size benchmark: a 24-megapixel JPEG and a 12-megapixel PNG through the
# decoding core and through the plain libraries; prints times, ratios and
# peak memory. Then every bench_*.exe of the Windows tree under Wine (the real
# program measured from outside). Builds the programs first if needed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$root/build/native
if [ ! -f "$tree/CMakeCache.txt" ]; then
  gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  CC=clang CXX=clang++ cmake -S "$root" -B "$tree" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
cmake --build "$tree" --target rstrim_bench -j2 >/dev/null || { echo "bench: build failed" >&2; exit 1; }
"$tree/bench/rstrim_bench" --dir "${TMPDIR:-/tmp}" "$@" || exit 1

"$root/scripts/build.sh" win >/dev/null || { echo "bench: Windows build failed" >&2; exit 1; }
export LUMOS_BUILD=$root/build
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . "$0/scripts/wine-env.sh"
  lumos_wineserver -k 2>/dev/null
  lumos_wine_prefix
  lumos_wineserver -p
  lumos_wine wineboot >/dev/null 2>&1 </dev/null
  rc=0
  cd "$LUMOS_WINE_TREE/bin" || exit 1
  for b in bench_*.exe; do
    [ -f "$b" ] || continue
    echo "== $b"
    "$0/scripts/wine-run.sh" "./$b" || rc=1
  done
  lumos_wineserver -k 2>/dev/null
  exit $rc' "$root"
