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
"$root/scripts/wine-ctest.sh" || status=1
exit $status
