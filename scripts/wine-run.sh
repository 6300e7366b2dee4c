#!/usr/bin/env bash
# Test emulator for the cross build: runs a Windows program under the project's
# Wine prefix. ctest calls it for every Wine test.
set -u
. "$(dirname "$0")/wine-env.sh"
lumos_wine_prefix
exec wine "$@"
