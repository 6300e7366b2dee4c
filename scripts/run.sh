#!/usr/bin/env bash
# Starts LUMOS32.EXE under Wine. With a DISPLAY the window opens there. Without
# one it runs under Xvfb, waits for the main window, writes screenshot.png into
# the build tree whose program ran (build/win, or build/win64 where 32-bit code
# cannot run), prints its path and closes the program. "--screenshot" forces
# that path on the current display (the end-to-end test uses it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-auto}
[ "$mode" = "--no-build" ] || [ "${LUMOS_NO_BUILD:-}" = 1 ] || "$root/scripts/build.sh" win >&2
export LUMOS_BUILD=$root/build
. "$root/scripts/wine-env.sh"
exe=$LUMOS_WINE_TREE/bin/LUMOS32.EXE

if [ "$mode" = auto ] && [ -n "${DISPLAY:-}" ]; then
  lumos_wineserver -k 2>/dev/null || true
  lumos_wine_prefix
  exec "${LUMOS_WINE[@]}" "$exe"
fi
if [ -z "${DISPLAY:-}" ]; then
  LUMOS_NO_BUILD=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --screenshot
fi

# A wineserver left from an earlier display would hand out no windows here.
[ -n "${LUMOS_IN_TESTS:-}" ] || lumos_wineserver -k 2>/dev/null || true
lumos_wine_prefix
title='Lumoscope32 - [Noname]'
# The program's output goes to a log: Wine's service processes would hold a
# pipe open after the program ends.
log=$LUMOS_WINE_TREE/run.log
lumos_wine "$exe" >"$log" 2>&1 </dev/null &
pid=$!
id=
for _ in $(seq 1 240); do
  id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" | awk '{print $1}' | head -1 || true)
  [ -n "$id" ] && break
  sleep 0.25
done
if [ -z "$id" ]; then
  echo "run: the main window did not appear (see $log)" >&2
  kill "$pid" 2>/dev/null
  exit 1
fi
sleep 1  # let it paint
out=$LUMOS_WINE_TREE/screenshot.png
import -window "$id" "$out"
echo "$out"
lumos_wine taskkill /IM LUMOS32.EXE >/dev/null 2>&1 || true
for _ in $(seq 1 40); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.25
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
