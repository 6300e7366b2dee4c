# Sourced by the scripts that build: the one place that configures a build
# tree. Each tree is configured once and again only when its arguments change;
# building is left to the caller (cmake --build TREE -j"$lumos_jobs").
: "${LUMOS_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
lumos_jobs=$(nproc)

lumos_configure() { # tree-directory cmake-arguments...
  local tree=$1
  shift
  local stamp=$tree/lumos-configure.args gen=()
  if [ -f "$tree/CMakeCache.txt" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$*" ]; then
    return 0
  fi
  command -v ninja >/dev/null && gen=(-G Ninja)
  cmake -S "$LUMOS_ROOT" -B "$tree" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null &&
    echo "$*" >"$stamp"
}

# build/native: the portable code with clang (unit tests, fuzzers, benchmarks).
lumos_native_tree=$LUMOS_ROOT/build/native
lumos_configure_native() { CC=clang CXX=clang++ lumos_configure "$lumos_native_tree"; }
