#!/usr/bin/env bash
# Runs the Windows tests under Wine: one virtual display, one wineserver, the
# private prefix. The arguments go to ctest, so they pick a few, e.g.
#   scripts/wine-ctest.sh -R 'wine\.uninstall_tests$'
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export LUMOS_BUILD=$root/build
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  root=$1; shift
  . "$root/scripts/wine-env.sh"
  export LUMOS_IN_TESTS=1
  # A wineserver left from an earlier display would hand out no windows here.
  lumos_wineserver -k 2>/dev/null
  lumos_wine_prefix
  lumos_wineserver -p
  # Start the service processes now, away from any test output pipe.
  lumos_wine wineboot >/dev/null 2>&1 </dev/null
  cd "$LUMOS_WINE_TREE" && ctest --output-on-failure "$@"
  rc=$?
  lumos_wineserver -k 2>/dev/null
  exit $rc' bash "$root" "$@"
