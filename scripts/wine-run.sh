#!/usr/bin/env bash
# Test emulator for the cross builds: runs a Windows program under the
# project's Wine prefix. ctest calls it for every Wine test.
set -u
. "$(dirname "$0")/wine-env.sh"
if [ "$LUMOS_WINE_BITS" = 64 ] && [ -f "$1" ] && ! file -b "$1" | grep -q 'PE32+'; then
  echo "wine-run: this machine cannot execute 32-bit code; run the tests of the x86-64 tree (build/win64)" >&2
  exit 2
fi
lumos_wine_prefix
# Wine's service processes outlive the program and inherit its output; through
# a file they cannot keep ctest waiting on an open pipe.
out=$(mktemp)
"${LUMOS_WINE[@]}" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
