#!/usr/bin/env bash
# Full-size benchmarks. The decoding core: a 24-megapixel JPEG and a
# 12-megapixel PNG through the core and through the plain libraries (times,
# ratios, peak memory). Then, where Wine is installed, every Windows benchmark
# of the Wine tree (bench_*.exe) under a virtual display. Builds what is
# missing first; prints figures and asserts nothing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
LUMOS_ROOT=$root
. "$root/scripts/configure.sh"
tree=$lumos_native_tree
lumos_configure_native || exit 1
cmake --build "$tree" --target rstrim_bench -j"$lumos_jobs" >/dev/null || { echo "bench: build failed" >&2; exit 1; }
"$tree/bench/rstrim_bench" --dir "${TMPDIR:-/tmp}" "$@" || exit 1

if ! command -v xvfb-run >/dev/null || { ! command -v wine >/dev/null && [ ! -x /usr/lib/wine/wine64 ]; }; then
  echo "bench: no Wine here; the Windows benchmarks are skipped"
  exit 0
fi
"$root/scripts/build.sh" win >/dev/null || { echo "bench: Windows build failed" >&2; exit 1; }
export LUMOS_BUILD=$root/build
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . "$0/scripts/wine-env.sh"
  lumos_wineserver -k 2>/dev/null
  lumos_wine_prefix
  lumos_wineserver -p
  lumos_wine wineboot >/dev/null 2>&1 </dev/null
  status=0
  cd "$LUMOS_WINE_TREE/bin" || exit 1
  for exe in bench_*.exe; do
    [ -e "$exe" ] || continue
    echo "== $exe ($(basename "$LUMOS_WINE_TREE"))"
    # Through a file: Wine services would hold a pipe open.
    out=$(mktemp)
    lumos_wine "./$exe" >"$out" 2>&1 </dev/null || status=1
    cat "$out"
    rm -f "$out"
  done
  lumos_wineserver -k 2>/dev/null
  exit $status' "$root"
