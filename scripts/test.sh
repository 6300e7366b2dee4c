#!/usr/bin/env bash
# Builds what is missing, then runs every test: the native ones, then the
# Windows ones under Wine inside one virtual display with one persistent
# wineserver.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" || exit 1
export LUMOS_BUILD=$root/build
. "$root/scripts/wine-env.sh"
status=0

echo "== native tests"
(cd "$root/build/native" && ctest --output-on-failure -j"$(nproc)") || status=1

echo "== Windows tests under ${LUMOS_WINE_BITS}-bit Wine ($(basename "$LUMOS_WINE_TREE"))"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . "$0/scripts/wine-env.sh"
  export LUMOS_IN_TESTS=1
  # A wineserver left from an earlier display would hand out no windows here.
  lumos_wineserver -k 2>/dev/null
  lumos_wine_prefix
  lumos_wineserver -p
  # Start the service processes now, away from any test output pipe.
  lumos_wine wineboot >/dev/null 2>&1 </dev/null
  cd "$LUMOS_WINE_TREE" && ctest --output-on-failure
  rc=$?
  lumos_wineserver -k 2>/dev/null
  exit $rc' "$root" || status=1
exit $status
