#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root),
# then cross-builds the codec libraries into a cache outside the clone.
# Safe to run again: each step is skipped when its result is already there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

need_pkgs=(
  cmake make ninja-build g++ gcc clang libclang-rt-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  nasm xvfb xauth x11-apps x11-utils xclip imagemagick dpkg-dev ca-certificates file
  libgtest-dev libjpeg62-turbo-dev libpng-dev libgif-dev libtiff-dev zlib1g-dev
  liblzma-dev libzstd-dev libwebp-dev libdeflate-dev libtiff-tools liblcms2-dev liblcms2-utils
  wine wine32:i386 wine64 fonts-wine nsis
)

missing=()
have_i386=$(dpkg --print-foreign-architectures | grep -c '^i386$' || true)
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

src_list=/etc/apt/sources.list.d/lumoscope-deb-src.sources
if [ "$have_i386" = 0 ] || [ ${#missing[@]} -gt 0 ] || [ ! -f "$src_list" ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "bootstrap: missing packages (${missing[*]}); run as root" >&2
    exit 1
  fi
  [ "$have_i386" = 0 ] && dpkg --add-architecture i386
  if [ ! -f "$src_list" ]; then
    # apt-get source needs deb-src entries; the security pool serves no sources here,
    # so the sources come from the main suites.
    cat >"$src_list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

SRC
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

# The 32-bit libraries serve the product; the 64-bit ones the test build that
# runs on machines without 32-bit execution. Last two lines: both prefixes.
"$here/build-deps.sh" i686-w64-mingw32 | tail -1
"$here/build-deps.sh" x86_64-w64-mingw32 | tail -1
