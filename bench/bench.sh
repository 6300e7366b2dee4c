#!/usr/bin/env bash
# Full-size benchmarks. The decoding core: a 24-megapixel JPEG (untagged and
# with embedded colour profiles) and a 12-megapixel PNG through the core and
# through the plain libraries (times, ratios, peak memory). Then, where Wine is installed, every Windows benchmark
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
# bench_png compares its two libpngs' pixels on the test pictures and on
# PngSuite, taken once from Debian's libpng source package.
pngsuite=$LUMOS_BUILD/pngsuite
if [ ! -d "$pngsuite" ]; then
  fetched=$(mktemp -d)
  (cd "$fetched" && apt-get source -qq libpng1.6 >/dev/null 2>&1 &&
    cp -r libpng1.6-*/contrib/pngsuite "$pngsuite") || echo "bench: no PngSuite (apt-get source libpng1.6 failed)"
  rm -rf "$fetched"
fi
winpath() { echo "Z:${1//\//\\}"; }
export LUMOS_PNG_FOLDERS="$(winpath "$root/tests/data")"
[ -d "$pngsuite" ] && LUMOS_PNG_FOLDERS+="|$(winpath "$pngsuite")"
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
    args=()
    [ "$exe" = bench_png.exe ] && IFS="|" read -ra args <<<"$LUMOS_PNG_FOLDERS"
    lumos_wine "./$exe" "${args[@]}" >"$out" 2>&1 </dev/null || status=1
    cat "$out"
    rm -f "$out"
  done
  lumos_wineserver -k 2>/dev/null
  exit $status' "$root"
