#!/usr/bin/env bash
# Builds the game and its tests and runs every test: unit tests, tests in a real
# (hidden) window and end-to-end runs of the game driven by real X input.
# Needs no display: it starts a virtual X server of its own.
#   scripts/test.sh             the normal build
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build="$root/build"
configure=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-sanitize"
  configure=(-DTORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
TORVANE_BUILD_DIR="$build" "$root/scripts/build.sh" "${configure[@]}"

# A virtual X server for the window tests, on the first free display number.
display=""
for n in $(seq 20 80); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display=":$n"
    break
  fi
done
[ -n "$display" ] || { echo "test.sh: no free X display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$display"

cd "$build"
ctest --output-on-failure
