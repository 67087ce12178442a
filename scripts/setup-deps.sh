#!/usr/bin/env bash
# Installs Torvane's build/test dependencies and prints a CMake prefix that
# holds raylib (and the GLFW it needs). Safe to run repeatedly.
#
#   cmake -S . -B build -DCMAKE_PREFIX_PATH="$(scripts/setup-deps.sh)"
#   scripts/setup-deps.sh --windows   # the same, cross-built for 64-bit Windows
#
# stdout carries only the prefix (last line); progress goes to stderr.
# TORVANE_DEPS_PREFIX overrides the cache location.
set -euo pipefail

TARGET=linux
case "${1:-}" in
  "") ;;
  --windows) TARGET=windows ;;
  *) echo "usage: scripts/setup-deps.sh [--windows]" >&2; exit 2 ;;
esac
TOOLCHAIN="$(cd "$(dirname "$0")/.." && pwd)/cmake/mingw-w64.cmake"

# Keep stdout clean for $(...) callers: everything else goes to stderr.
exec 3>&1 1>&2

RAYLIB_MIN=5.5
GLFW_MIN=3.4
# Debian 12 lacks raylib and has GLFW 3.3.8; newer suites carry both sources.
GLFW_SUITES=(trixie sid unstable forky testing)
RAYLIB_SUITES=(sid unstable trixie testing forky experimental)

PKGS=(
  g++ cmake make pkg-config libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-apps
  libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxi-dev
  libxext-dev libxkbcommon-dev
  libgl1-mesa-dev libegl1-mesa-dev mesa-common-dev libgl1-mesa-dri
  dpkg-dev nlohmann-json3-dev libtomlplusplus-dev
)
if [ "$TARGET" = windows ]; then
  # The cross-compiler, and wine to try the result.
  PKGS+=(g++-mingw-w64-x86-64-posix wine wine64 zip unzip)
fi

log() { printf 'setup-deps: %s\n' "$*" >&2; }
die() { printf 'setup-deps: ERROR: %s\n' "$*" >&2; exit 1; }
emit() { printf '%s\n' "$1" >&3; exit 0; }

# version_ge, upstream_version, as_root, install_packages, the private apt source fetch, run_logged.
source "$(dirname "${BASH_SOURCE[0]}")/debian-source.sh"

# ---------------------------------------------------------------- raylib already present?
# Prints the prefix of a system-wide raylib >= RAYLIB_MIN CMake config.
find_system_raylib() {
  local d v
  for d in /usr/lib/cmake/raylib /usr/lib/*/cmake/raylib /usr/lib64/cmake/raylib \
           /usr/local/lib/cmake/raylib /usr/local/lib/*/cmake/raylib \
           /usr/local/lib64/cmake/raylib; do
    [ -f "$d/raylib-config.cmake" ] && [ -f "$d/raylib-config-version.cmake" ] || continue
    v=$(sed -n 's/^ *set(PACKAGE_VERSION "\([^"]*\)").*/\1/p' "$d/raylib-config-version.cmake" | head -n1)
    [ -n "$v" ] && version_ge "$v" "$RAYLIB_MIN" || continue
    log "using system raylib $v ($d)"
    printf '%s\n' "${d%%/lib*/cmake/raylib}"
    return 0
  done
  return 1
}

cache_ok() {
  local c
  [ -f "$1/.complete" ] || return 1
  for c in "$1"/lib*/cmake/raylib/raylib-config.cmake; do
    [ -f "$c" ] && return 0
  done
  return 1
}

# Only ever delete a prefix this script could have made (empty or marked complete).
clear_prefix() {
  [ -e "$PREFIX" ] || return 0
  if [ -f "$PREFIX/.complete" ] || [ -z "$(ls -A "$PREFIX")" ]; then
    rm -rf "$PREFIX"
  else
    die "$PREFIX exists without .complete; remove it, or add .complete if it holds a raylib >= $RAYLIB_MIN install"
  fi
}

# re-add them so consumers only need to link `raylib`.
patch_raylib_config() {
  local cfg=$1/lib/cmake/raylib/raylib-config.cmake
  grep -q 'torvane-link-deps' "$cfg" && return 0
  cat >>"$cfg" <<'EOF'

# torvane-link-deps: the static raylib export omits its private link deps.
if(NOT TARGET glfw)
  if(NOT glfw3_DIR AND EXISTS "${CMAKE_CURRENT_LIST_DIR}/../glfw3/glfw3Config.cmake")
    set(glfw3_DIR "${CMAKE_CURRENT_LIST_DIR}/../glfw3")
  endif()
  find_dependency(glfw3 3.4)
endif()
if(NOT DEFINED OpenGL_GL_PREFERENCE)
  set(OpenGL_GL_PREFERENCE GLVND)
endif()
find_dependency(OpenGL)
find_dependency(Threads)
set_property(TARGET raylib APPEND PROPERTY INTERFACE_LINK_LIBRARIES
  glfw OpenGL::GL Threads::Threads ${CMAKE_DL_LIBS} m)
if(WIN32)
  set_property(TARGET raylib APPEND PROPERTY INTERFACE_LINK_LIBRARIES winmm gdi32)
endif()
EOF
}

# Links a tiny program against the staged prefix so a broken export is caught
# before the cache is marked complete.
link_test() {
  local pfx=$1 t="$WORK/linktest"
  mkdir -p "$t"
  cat >"$t/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.20)
project(raylib_link_test C)
find_package(raylib 5.5 CONFIG REQUIRED)
add_executable(t main.c)
target_link_libraries(t PRIVATE raylib)
EOF
  cat >"$t/main.c" <<'EOF'
#include <raylib.h>
int main(int argc, char **argv) {
  (void)argv;
  if (argc > 99) { InitWindow(8, 8, "t"); CloseWindow(); } /* linked, never run */
  return 0;
}
EOF
  run_logged link-test-configure cmake -S "$t" -B "$t/b" "${CROSS[@]+"${CROSS[@]}"}" -DCMAKE_PREFIX_PATH="$pfx" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
  run_logged link-test-build cmake --build "$t/b"
}

# ================================================================ main
install_packages "${PKGS[@]}"

CROSS=()
if [ "$TARGET" = windows ]; then
  CROSS=(-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN")
  PREFIX=${TORVANE_DEPS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/torvane/deps-windows}
elif sys_prefix=$(find_system_raylib); then
  emit "$sys_prefix"
fi

PREFIX=${PREFIX:-${TORVANE_DEPS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/torvane/deps}}
PREFIX=${PREFIX%/}
if cache_ok "$PREFIX"; then
  log "using cached $(tr '\n' ' ' <"$PREFIX/.complete")"
  emit "$PREFIX"
fi

mkdir -p "$(dirname "$PREFIX")"
# Serialise concurrent runs (e.g. CI and a developer's configure).
exec 9>"$PREFIX.lock"
if command -v flock >/dev/null 2>&1; then
  flock -n 9 || { log "waiting for another setup-deps run ($PREFIX.lock)"; flock 9; }
  if cache_ok "$PREFIX"; then
    emit "$PREFIX"
  fi
fi

clear_prefix
STAGE="$PREFIX.tmp.$$"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/torvane-deps.XXXXXX")
trap 'rm -rf "$WORK" "$STAGE"' EXIT
# Installed with DESTDIR so files (pkg-config too) name the final prefix.
STAGED="$STAGE$PREFIX"
start=$SECONDS
JOBS=$(nproc 2>/dev/null || echo 2)

command -v apt-get >/dev/null 2>&1 ||
  die "no apt-get: install raylib >= $RAYLIB_MIN (built with GLFW >= $GLFW_MIN) system-wide, or put a build under $PREFIX and create $PREFIX/.complete"
setup_private_apt

fetch_source glfw3 "$GLFW_MIN" "$WORK/glfw" "${GLFW_SUITES[@]}" ||
  die "could not fetch glfw3 >= $GLFW_MIN source from suites ${GLFW_SUITES[*]} on ${MIRRORS[*]}; install raylib >= $RAYLIB_MIN system-wide, or install raylib + glfw3 >= $GLFW_MIN under $PREFIX and create $PREFIX/.complete"
GLFW_VERSION=$FETCHED_VERSION GLFW_SUITE=$FETCHED_SUITE

fetch_source raylib "$RAYLIB_MIN" "$WORK/raylib" "${RAYLIB_SUITES[@]}" ||
  die "could not fetch raylib >= $RAYLIB_MIN source from suites ${RAYLIB_SUITES[*]} on ${MIRRORS[*]}; install raylib >= $RAYLIB_MIN system-wide, or install it under $PREFIX and create $PREFIX/.complete"
RAYLIB_VERSION=$FETCHED_VERSION RAYLIB_SUITE=$FETCHED_SUITE

log "building glfw $GLFW_VERSION"
run_logged glfw-configure cmake -S "$WORK/glfw" -B "$WORK/build-glfw" "${CROSS[@]+"${CROSS[@]}"}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_INSTALL_LIBDIR=lib \
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
  -DGLFW_BUILD_WAYLAND=OFF -DGLFW_BUILD_X11=ON -DBUILD_SHARED_LIBS=OFF \
  -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
run_logged glfw-build cmake --build "$WORK/build-glfw" -j"$JOBS"
DESTDIR="$STAGE" run_logged glfw-install cmake --install "$WORK/build-glfw"

log "building raylib $RAYLIB_VERSION"
# glfw3_DIR pins our GLFW so an older system one is never picked up.
run_logged raylib-configure cmake -S "$WORK/raylib" -B "$WORK/build-raylib" "${CROSS[@]+"${CROSS[@]}"}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_INSTALL_LIBDIR=lib \
  -DCMAKE_PREFIX_PATH="$STAGED" -Dglfw3_DIR="$STAGED/lib/cmake/glfw3" \
  -DPLATFORM=Desktop -DUSE_EXTERNAL_GLFW=ON -DBUILD_EXAMPLES=OFF -DBUILD_SHARED_LIBS=OFF \
  -DOpenGL_GL_PREFERENCE=GLVND -DWITH_PIC=ON -DCMAKE_POSITION_INDEPENDENT_CODE=ON
run_logged raylib-build cmake --build "$WORK/build-raylib" -j"$JOBS"
DESTDIR="$STAGE" run_logged raylib-install cmake --install "$WORK/build-raylib"

[ -f "$STAGED/lib/cmake/raylib/raylib-config.cmake" ] ||
  die "raylib built but $STAGED/lib/cmake/raylib/raylib-config.cmake is missing"
patch_raylib_config "$STAGED"
log "link test"
link_test "$STAGED"

printf 'raylib %s (%s)\nglfw3 %s (%s)\n' \
  "$RAYLIB_VERSION" "$RAYLIB_SUITE" "$GLFW_VERSION" "$GLFW_SUITE" >"$STAGED/.complete"
# Swap in atomically (same filesystem, so mv is a rename).
clear_prefix
mv "$STAGED" "$PREFIX"
cache_ok "$PREFIX" || die "install at $PREFIX is incomplete"
log "built raylib $RAYLIB_VERSION + glfw3 $GLFW_VERSION in $((SECONDS - start))s"
emit "$PREFIX"
