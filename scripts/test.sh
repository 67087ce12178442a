#!/usr/bin/env bash
# Builds the game and its tests and runs every test: unit tests, tests in a real
# (hidden) window and end-to-end runs of the game driven by real X input, first in
# the normal build and then in a build with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, and last the participants' downloads, built and played
# from their archives (the Windows one under wine). Needs no display: it starts virtual
# X servers of its own.
#   scripts/test.sh             every pass
#   scripts/test.sh --quick     the normal build only
#   scripts/test.sh --sanitize  the sanitizer build only
#   scripts/test.sh --package   the downloads only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

passes=(normal sanitize package)
case "${1:-}" in
  "") ;;
  --quick) passes=(normal) ;;
  --sanitize) passes=(sanitize) ;;
  --package) passes=(package) ;;
  *) echo "usage: scripts/test.sh [--quick | --sanitize | --package]" >&2; exit 2 ;;
esac

# A virtual X server for the window tests, on the first free display number.
display=""
for n in $(seq 20 80); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display=":$n"
    break
  fi
done
[ -n "$display" ] || { echo "test.sh: no free X display number" >&2; exit 1; }
"$root/scripts/setup-deps.sh" >/dev/null
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$display"

for pass in "${passes[@]}"; do
  if [ "$pass" = package ]; then
    echo "== the downloads, unpacked and played"
    "$root/tests/package/run_package_test.sh"
  elif [ "$pass" = sanitize ]; then
    echo "== tests in the sanitizer build"
    build="$root/build-sanitize"
    TORVANE_BUILD_DIR="$build" "$root/scripts/build.sh" -DTORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    # The GL driver is preloaded into the window tests and the game (tests/CMakeLists.txt),
    # so it comes before the sanitizer runtime in the list of libraries.
    (
      export ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0
      export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
      export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      cd "$build" && ctest --output-on-failure
    )
  else
    echo "== tests in the normal build"
    build="$root/build"
    TORVANE_BUILD_DIR="$build" "$root/scripts/build.sh" -DTORVANE_SANITIZE=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
    (cd "$build" && ctest --output-on-failure)
  fi
done
