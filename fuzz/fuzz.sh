#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 60) on the generated seed
# corpus, the committed regression inputs (fuzz/regressions/TARGET) and what
# earlier runs found. Builds the targets first if needed.
# Usage: fuzz/fuzz.sh [SECONDS]   (LUMOS_FUZZ_TARGETS="profile png" runs only those)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
LUMOS_ROOT=$root
. "$root/scripts/configure.sh"
tree=$lumos_native_tree
lumos_configure_native || exit 1
cmake --build "$tree" --target fuzz_all -j"$lumos_jobs" >/dev/null || { echo "fuzz: build failed" >&2; exit 1; }

out=$tree/fuzz
"$out/fuzz_seeds" "$out/corpus" >/dev/null || exit 1
status=0
for target in ${LUMOS_FUZZ_TARGETS:-jpeg png gif tiff bmp pcx info profile icon metafile dibres msgfile}; do
  mkdir -p "$out/work/$target"
  regressions=()
  [ -d "$root/fuzz/regressions/$target" ] && regressions=("$root/fuzz/regressions/$target")
  log=$out/fuzz-$target.log
  "$out/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/crash-$target-" "$out/work/$target" "$out/corpus/$target" \
    "${regressions[@]}" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  corpus=$(find "$out/work/$target" "$out/corpus/$target" -type f | wc -l)
  if [ $rc -eq 0 ]; then
    echo "fuzz $target: clean, ${seconds}s, ${runs:-?} runs, corpus $corpus files"
  else
    echo "fuzz $target: FAILED (exit $rc), see $log"
    status=1
  fi
done
exit $status
