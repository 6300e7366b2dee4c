#!/usr/bin/env bash
# make dist: the user's setup program and a zip of the portable files, both
# from the 32-bit product with stripped programs, in build/dist.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" win
dist=$root/build/dist
mkdir -p "$dist"
"$root/scripts/make-setup.sh" x86-unicode i686-w64-mingw32-strip "$root/build/win/bin" \
  "$dist/LUMOS-SETUP.EXE"
# Portable: the program and its library in one folder, help files if any.
rm -f "$dist/LUMOS-PORTABLE.ZIP"
(cd "$dist/stage" &&
  cmake -E tar cf "$dist/LUMOS-PORTABLE.ZIP" --format=zip \
    $(ls LUMOS32.EXE RSTRIM32.DLL LUMOS32.HLP LUMOS32.CNT 2>/dev/null))
echo "as built:  $(cd "$root/build/win/bin" && stat -c '%n %s' LUMOS32.EXE RSTRIM32.DLL RAZUVUDE.EXE | tr '\n' ' ')"
echo "stripped:  $(cd "$dist/stage" && stat -c '%n %s' LUMOS32.EXE RSTRIM32.DLL RAZUVUDE.EXE | tr '\n' ' ')"
stat -c '%n %s' "$dist/LUMOS-SETUP.EXE" "$dist/LUMOS-PORTABLE.ZIP"
