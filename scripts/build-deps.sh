#!/usr/bin/env bash
# Cross-builds the codec libraries (zlib, libpng, libjpeg-turbo, giflib, liblzma,
# zstd, libwebp, libdeflate, libtiff, Little CMS 2) for i686-w64-mingw32 from
# Debian's source packages, patches applied, as static libraries; for the 32-bit
# host with SSE2 code (every x86 processor since 2004 has it), libpng with its
# Intel SSE filters. Beside them a plain libpng built with its own default flags
# and its names prefixed (lumosref_), the reference the benchmarks time against. The result lands in a cache outside the clone, keyed by the package
# versions and this script, so later runs (and fresh clones) reuse it.
# Argument: the host triplet (default i686-w64-mingw32). Prints the prefix on
# its last line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
host=${1:-i686-w64-mingw32}
case "$host" in
  i686-w64-mingw32) processor=i686 simd="-msse2 -mfpmath=sse" ;;
  x86_64-w64-mingw32) processor=x86_64 simd="" ;; # SSE2 is part of x86-64
  *) echo "build-deps: unknown host $host" >&2; exit 1 ;;
esac
cache_root=${LUMOS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lumoscope}

versions=$(dpkg-query -W -f='${Package}=${Version}\n' zlib1g-dev libpng-dev libjpeg62-turbo-dev libgif-dev libtiff-dev \
  liblzma-dev libzstd-dev libwebp-dev libdeflate-dev liblcms2-dev | sort)
key=$( (echo "$versions"; cat "$0"; ${host}-gcc-posix --version | head -1) | sha256sum | cut -c1-16)
prefix=$cache_root/deps-$processor-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/lumos-deps.XXXXXX")
log=$work/build.log
trap 'rm -rf "$work"' EXIT
trap 'echo "deps: failed, log tail:" >&2; tail -30 "$log" >&2' ERR
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib"
jobs=$(nproc)
export CC=${host}-gcc-posix CXX=${host}-g++-posix AR=${host}-ar RANLIB=${host}-ranlib

cat >"$work/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $processor)
set(CMAKE_C_COMPILER ${host}-gcc-posix)
set(CMAKE_CXX_COMPILER ${host}-g++-posix)
set(CMAKE_RC_COMPILER ${host}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${host} $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC

fetch() { # source package name -> prints the unpacked directory
  (cd "$work" && apt-get source -qq "$1" >>"$log" 2>&1) || { tail -20 "$log" >&2; exit 1; }
  find "$work" -maxdepth 1 -mindepth 1 -type d -name "$2*" | head -1
}

step() { echo "deps: $*" >&2; }

cflags="-O2 -g0 $simd"
# The CMake builds take their optimisation from the build type; only the target flags go in.
cmake_simd=(-DCMAKE_C_FLAGS="$simd" -DCMAKE_CXX_FLAGS="$simd")

step "zlib"
src=$(fetch zlib zlib-)
# Debian's dfsg tarball has no win32 makefile; the library is a plain set of C files.
mkdir -p "$work/z-obj"
for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
         inftrees trees uncompr zutil; do
  $CC $cflags -c "$src/$f.c" -I"$src" -o "$work/z-obj/$f.o" >>"$log" 2>&1
done
$AR rcs "$prefix/lib/libz.a" "$work"/z-obj/*.o
cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"

step "libpng"
src=$(fetch libpng1.6 libpng1.6-)
cp -a "$src" "$work/png-ref"
(cd "$src" && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
   --enable-intel-sse=yes CFLAGS="$cflags" CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" >>"$log" 2>&1 &&
 grep -q '^#define PNG_INTEL_SSE_OPT 1' config.h &&
 make -j"$jobs" libpng16.la >>"$log" 2>&1 && cp .libs/libpng16.a "$prefix/lib/" &&
 cp png.h pngconf.h pnglibconf.h "$prefix/include/") ||
 { tail -40 "$log"; exit 1; }
# The reference: configure's own default flags, no SSE filters, every name prefixed
# so that it links beside the one above.
mkdir -p "$prefix/include/pngref"
(cd "$work/png-ref" && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
   --with-libpng-prefix=lumosref_ CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" >>"$log" 2>&1 &&
 ! grep -q '^#define PNG_INTEL_SSE_OPT 1' config.h &&
 make -j"$jobs" libpng16.la >>"$log" 2>&1 && cp .libs/libpng16.a "$prefix/lib/libpng16ref.a" &&
 cp png.h pngconf.h pnglibconf.h "$prefix/include/pngref/") ||
 { tail -40 "$log"; exit 1; }

step "libjpeg-turbo"
src=$(fetch libjpeg-turbo libjpeg-turbo-)
cmake -S "$src" -B "$work/jpeg-build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
  -DCMAKE_ASM_NASM_COMPILER=nasm "${cmake_simd[@]}" >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
cmake --build "$work/jpeg-build" -j"$jobs" --target jpeg-static >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
cp "$work/jpeg-build/libjpeg.a" "$prefix/lib/"
cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$work/jpeg-build/jconfig.h" "$prefix/include/"

step "giflib"
src=$(fetch giflib giflib-)
mkdir -p "$work/gif-obj"
for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
  [ -f "$src/$f.c" ] && $CC $cflags -c "$src/$f.c" -I"$src" -o "$work/gif-obj/$f.o" >>"$log" 2>&1
done
$AR rcs "$prefix/lib/libgif.a" "$work"/gif-obj/*.o
cp "$src/gif_lib.h" "$prefix/include/"

step "liblzma"
src=$(fetch xz-utils xz-utils-)
# Only the library: no tools, translations or threads (libtiff decodes one strip at a time).
(cd "$src" && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
   --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
   --disable-scripts --disable-doc --disable-nls --enable-threads=no CFLAGS="$cflags" >>"$log" 2>&1 &&
 make -C src/liblzma -j"$jobs" >>"$log" 2>&1 && cp src/liblzma/.libs/liblzma.a "$prefix/lib/" &&
 cp -r src/liblzma/api/lzma src/liblzma/api/lzma.h "$prefix/include/") ||
 { tail -40 "$log"; exit 1; }

step "zstd"
src=$(fetch libzstd libzstd-)
# A plain set of C files like zlib; the amd64 assembly is for ELF targets only.
mkdir -p "$work/zstd-obj"
for f in "$src"/lib/common/*.c "$src"/lib/compress/*.c "$src"/lib/decompress/*.c; do
  $CC $cflags -DZSTD_MULTITHREAD=0 -DZSTD_DISABLE_ASM -c "$f" -I"$src/lib" -I"$src/lib/common" \
    -o "$work/zstd-obj/$(basename "$(dirname "$f")")-$(basename "$f" .c).o" >>"$log" 2>&1
done
$AR rcs "$prefix/lib/libzstd.a" "$work"/zstd-obj/*.o
cp "$src/lib/zstd.h" "$src/lib/zstd_errors.h" "$src/lib/zdict.h" "$prefix/include/"

step "libwebp"
src=$(fetch libwebp libwebp-)
cmake -S "$src" -B "$work/webp-build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
  -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
  -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF \
  -DWEBP_BUILD_EXTRAS=OFF -DWEBP_USE_THREAD=OFF "${cmake_simd[@]}" >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
cmake --build "$work/webp-build" -j"$jobs" --target webp >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
cp "$work/webp-build/libwebp.a" "$prefix/lib/"
mkdir -p "$prefix/include/webp"
cp "$src"/src/webp/{decode,encode,types}.h "$prefix/include/webp/"

step "libdeflate"
src=$(fetch libdeflate libdeflate-)
mkdir -p "$work/deflate-obj"
for f in "$src"/lib/*.c "$src"/lib/x86/*.c; do
  $CC $cflags -std=c99 -c "$f" -I"$src" -o "$work/deflate-obj/$(basename "$f" .c).o" >>"$log" 2>&1
done
$AR rcs "$prefix/lib/libdeflate.a" "$work"/deflate-obj/*.o
cp "$src/libdeflate.h" "$prefix/include/"

step "libtiff"
src=$(fetch tiff tiff-)
cmake -S "$src" -B "$work/tiff-build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-opengl=OFF -Dcxx=OFF \
  -Djbig=OFF -Dlerc=OFF -Djpeg12=OFF -Djpeg=ON -Dzlib=ON -Dlzma=ON -Dzstd=ON -Dwebp=ON -Dlibdeflate=ON \
  -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
  -DLIBLZMA_INCLUDE_DIR="$prefix/include" -DLIBLZMA_LIBRARY="$prefix/lib/liblzma.a" \
  -DZSTD_INCLUDE_DIR="$prefix/include" -DZSTD_LIBRARY="$prefix/lib/libzstd.a" \
  -DWebP_INCLUDE_DIR="$prefix/include" -DWebP_LIBRARY="$prefix/lib/libwebp.a" \
  -DDeflate_INCLUDE_DIR="$prefix/include" -DDeflate_LIBRARY="$prefix/lib/libdeflate.a" \
  "${cmake_simd[@]}" >>"$log" 2>&1
for codec in LZMA ZSTD WEBP LIBDEFLATE; do # a codec that silently drops out would refuse files
  cat "$work"/tiff-build/libtiff/{tif_config,tiffconf}.h | grep -q "^#define ${codec}_SUPPORT 1" ||
    { echo "deps: libtiff without $codec" >&2; exit 1; }
done
cmake --build "$work/tiff-build" -j"$jobs" --target tiff >>"$log" 2>&1
cp "$work/tiff-build/libtiff/libtiff.a" "$prefix/lib/"
cp "$src/libtiff/tiff.h" "$src/libtiff/tiffio.h" "$src/libtiff/tiffvers.h" \
   "$work/tiff-build/libtiff/tiffconf.h" "$prefix/include/"

step "lcms2"
src=$(fetch lcms2 lcms2-)
# A plain set of C files; on Windows it locks with critical sections, no pthreads.
mkdir -p "$work/lcms-obj"
for f in "$src"/src/*.c; do
  $CC $cflags -c "$f" -I"$src/include" -o "$work/lcms-obj/$(basename "$f" .c).o" >>"$log" 2>&1
done
$AR rcs "$prefix/lib/liblcms2.a" "$work"/lcms-obj/*.o
cp "$src/include/lcms2.h" "$prefix/include/"

rm -rf "$prefix/lib/pkgconfig" "$prefix/share" "$prefix/bin"
rm -f "$prefix"/lib/*.la
touch "$prefix/.complete"
echo "$prefix"
