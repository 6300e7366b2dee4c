#!/usr/bin/env bash
# Builds a setup program from a build tree's programs: stripped copies (no
# debug information) go to a staging folder beside the output, then makensis.
#   make-setup.sh <x86-unicode|amd64-unicode> <strip tool> <bin folder> <setup.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=$1 strip=$2 bin=$3 out=$4
stage=$(dirname "$out")/stage
rm -rf "$stage"
mkdir -p "$stage"
for f in LUMOS32.EXE RSTRIM32.DLL RAZUVUDE.EXE; do
  "$strip" -o "$stage/$f" "$bin/$f"
done
# The help files are not built here; they go along when someone put them there.
for f in LUMOS32.HLP LUMOS32.CNT; do
  if [ -f "$bin/$f" ]; then cp "$bin/$f" "$stage/"; fi
done
makensis -V2 -DTARGET="$target" -DSRCDIR="$stage" -DOUTFILE="$out" "$root/setup/Lumoscope.nsi"
