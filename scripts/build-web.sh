#!/usr/bin/env bash
# Builds Torvane for web browsers (WebAssembly and WebGL through emscripten) and
# writes a folder of static files that any web server can serve: index.html, the
# game with WebAssembly SIMD (index.js, index.wasm) and without (index-plain.js,
# index-plain.wasm), the packed files both load (index.data), beside them the study
# files (study.toml, studies/*.toml) and the maps as plain files. Installs what is missing first; raylib for
# the web is built once and cached under ~/.cache/torvane/web-deps.
#
#   scripts/build-web.sh        the last line of output is the site folder
#
# TORVANE_WEB_BUILD_DIR overrides the build folder (default build-web/),
# TORVANE_WEB_DEPS_PREFIX the raylib cache.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The site folder goes to stdout as the last line; everything else to stderr.
exec 3>&1 1>&2

log() { printf 'build-web: %s\n' "$*" >&2; }
die() { printf 'build-web: ERROR: %s\n' "$*" >&2; exit 1; }

# version_ge, upstream_version, as_root, install_packages, the private apt source fetch, run_logged.
source "$root/scripts/debian-source.sh"

RAYLIB_MIN=5.5
RAYLIB_SUITES=(sid unstable trixie testing forky experimental)
PKGS=(emscripten cmake make dpkg-dev nlohmann-json3-dev libtomlplusplus-dev)

install_packages "${PKGS[@]}"

# Debian's emscripten needs Debian's node modules (acorn) for its JavaScript passes.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
EMSCRIPTEN_VERSION=$(emcc --version | sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p')

# ---------------------------------------------------------------- raylib for the web
PREFIX=${TORVANE_WEB_DEPS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/torvane/web-deps}
PREFIX=${PREFIX%/}
STAND_INS="$root/web/GlfwStandIns.h"
# The cache is rebuilt when the compiler or the GLFW stand-ins change.
STAMP="emscripten $EMSCRIPTEN_VERSION, stand-ins $(sha256sum "$STAND_INS" | cut -c1-16)"

web_cache_ok() {
  [ -f "$PREFIX/.complete" ] && [ -f "$PREFIX/lib/libraylib.a" ] &&
    [ -f "$PREFIX/lib/cmake/raylib/raylib-config.cmake" ] &&
    grep -qxF "$STAMP" "$PREFIX/.complete"
}

build_web_raylib() {
  mkdir -p "$(dirname "$PREFIX")"
  exec 9>"$PREFIX.lock"
  flock 9
  web_cache_ok && return 0
  if [ -e "$PREFIX" ]; then
    # Only ever delete a prefix this script made.
    [ -f "$PREFIX/.complete" ] || [ -z "$(ls -A "$PREFIX")" ] ||
      die "$PREFIX exists without .complete; remove it"
    rm -rf "$PREFIX"
  fi
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/torvane-web-deps.XXXXXX")
  STAGE="$PREFIX.tmp.$$"
  trap 'rm -rf "$WORK" "$STAGE"' EXIT
  local start=$SECONDS
  setup_private_apt
  fetch_source raylib "$RAYLIB_MIN" "$WORK/raylib" "${RAYLIB_SUITES[@]}" ||
    die "could not fetch raylib >= $RAYLIB_MIN source from suites ${RAYLIB_SUITES[*]}"
  log "building raylib $FETCHED_VERSION for the web"
  run_logged raylib-configure emcmake cmake -S "$WORK/raylib" -B "$WORK/build" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_INSTALL_LIBDIR=lib \
    -DPLATFORM=Web -DBUILD_EXAMPLES=OFF -DBUILD_SHARED_LIBS=OFF \
    "-DCMAKE_C_FLAGS=-include $STAND_INS"
  run_logged raylib-build cmake --build "$WORK/build" -j"$(nproc)"
  DESTDIR="$STAGE" run_logged raylib-install cmake --install "$WORK/build"
  printf 'raylib %s (%s)\n%s\n' "$FETCHED_VERSION" "$FETCHED_SUITE" "$STAMP" >"$STAGE$PREFIX/.complete"
  mv "$STAGE$PREFIX" "$PREFIX"
  web_cache_ok || die "raylib for the web at $PREFIX is incomplete"
  log "built raylib for the web in $((SECONDS - start))s"
}

if web_cache_ok; then
  log "using cached $(head -n1 "$PREFIX/.complete") for the web"
else
  build_web_raylib
fi

# ---------------------------------------------------------------- the game
build=${TORVANE_WEB_BUILD_DIR:-$root/build-web}
emcmake cmake -S "$root/web" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_FIND_ROOT_PATH="$PREFIX" >/dev/null
cmake --build "$build" -j"$(nproc)"

site="$build/site"
rm -rf "$site"
mkdir -p "$site"
for f in index.html index.js index.wasm index-plain.js index-plain.wasm index.data; do
  cp "$build/$f" "$site/$f"
done
# The study files and the maps stay plain files that a researcher edits on the site.
cp "$root"/data/study.toml "$root"/data/*.txt "$site/"
mkdir -p "$site/studies"
cp "$root"/data/studies/*.toml "$site/studies/"
printf '%s\n' "$site" >&3
