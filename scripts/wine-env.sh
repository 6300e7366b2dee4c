# Sourced by the scripts that start Wine: one private prefix per build folder,
# no Mono/Gecko prompts, no debug chatter.
#
# The product is 32-bit. Where the kernel cannot execute 32-bit code (no IA-32
# emulation, as on some virtual machines) 32-bit Wine cannot start at all; the
# Windows tests and `make run` then use the x86-64 build of the same sources
# under 64-bit Wine. LUMOS_WINE_TREE names the build tree whose programs run.
: "${LUMOS_BUILD:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"

if [ -z "${LUMOS_WINE_BITS:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    LUMOS_WINE_BITS=32
  else
    LUMOS_WINE_BITS=64
  fi
fi
export LUMOS_WINE_BITS
# Always the private prefix: one inherited from the shell (common where Wine
# is in use) is of the other architecture or holds other programs' state.
unset WINESERVER
if [ "$LUMOS_WINE_BITS" = 32 ]; then
  export WINEARCH=win32
  export WINEPREFIX="$LUMOS_BUILD/wineprefix"
  unset WINELOADER
  LUMOS_WINE=(wine)
  LUMOS_WINESERVER=wineserver
  export LUMOS_WINE_TREE="$LUMOS_BUILD/win"
else
  export WINEARCH=win64
  export WINEPREFIX="$LUMOS_BUILD/wineprefix64"
  export WINELOADER=/usr/lib/wine/wine64
  LUMOS_WINE=(/usr/lib/wine/wine64)
  LUMOS_WINESERVER=/usr/lib/wine/wineserver64
  export LUMOS_WINE_TREE="$LUMOS_BUILD/win64"
fi

lumos_wine() { "${LUMOS_WINE[@]}" "$@"; }
lumos_wineserver() { "$LUMOS_WINESERVER" "$@"; }

# Creates the prefix once; later calls return at once.
lumos_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    lumos_wine wineboot -i >/dev/null 2>&1 || true
    # Wine draws the window frames itself, so screenshots show the caption.
    lumos_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    lumos_wineserver -w
  fi
}
