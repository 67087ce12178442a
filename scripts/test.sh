#!/usr/bin/env bash
# Builds the game and its tests and runs every test: unit tests, tests in a real
# (hidden) window and end-to-end runs of the game driven by real X input, first in
# the normal build and then in a build with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer; then the whole study in the web build, played in
# headless Chromium with real mouse events; last the participants' downloads, built and
# played from their archives (the Windows one under wine). Needs no display: it starts
# virtual X servers of its own (xvfb-run).
#   scripts/test.sh             every pass
#   scripts/test.sh --quick     the normal build only
#   scripts/test.sh --sanitize  the sanitizer build only
#   scripts/test.sh --web       the web build only
#   scripts/test.sh --package   the downloads only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

passes=(normal sanitize web package)
case "${1:-}" in
  "") ;;
  --quick) passes=(normal) ;;
  --sanitize) passes=(sanitize) ;;
  --web) passes=(web) ;;
  --package) passes=(package) ;;
  *) echo "usage: scripts/test.sh [--quick | --sanitize | --web | --package]" >&2; exit 2 ;;
esac

# The web pass: the PHP receiver on its own under Debian's Apache and PHP's server; then the plans
# of both web builds compared with the desktop's; then the site from build-web.sh, served and
# played in headless Chromium (with SIMD, and once on the plain build); the records it sends go to that
# receiver and to one in the driver, and are replayed.
web_pass() {
  local missing=() p site replay="$root/build/tools/torvane-replay"
  for p in chromium nodejs python3 php-cli apache2 libapache2-mod-php curl; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  command -v npm >/dev/null 2>&1 || missing+=(npm)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    apt-get update -qq >/dev/null
    apt-get install -y -qq -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
  fi
  "$root/tests/web/receiver.sh"
  TORVANE_BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTORVANE_SANITIZE=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  site=$("$root/scripts/build-web.sh" | tail -n 1)
  "$root/tests/web/plans.sh" "$(dirname "$site")" "$root/build/bench/torvane_bench" 16
  (cd "$root/tests/web" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  timeout -k 10 900 node "$root/tests/web/study.mjs" "$site" "$root/tests/web/artifacts" "$replay"
}

# The window and end-to-end tests draw on a virtual X server of their own.
with_x() { xvfb-run -a -s "-screen 0 1600x900x24 -noreset" "$@"; }

if [ "${passes[*]}" != web ]; then
  "$root/scripts/setup-deps.sh" >/dev/null
fi

for pass in "${passes[@]}"; do
  start=$SECONDS
  if [ "$pass" = web ]; then
    echo "== tests in the web build"
    web_pass
  elif [ "$pass" = package ]; then
    echo "== the downloads, unpacked and played"
    "$root/tests/package/run_package_test.sh"
  elif [ "$pass" = sanitize ]; then
    echo "== tests in the sanitizer build"
    build="$root/build-sanitize"
    # The benchmark is not run here: not built either.
    TORVANE_BUILD_DIR="$build" "$root/scripts/build.sh" -DTORVANE_SANITIZE=ON -DTORVANE_TESTS=ON -DCMAKE_BUILD_TYPE=Debug \
      -DTORVANE_BENCH=OFF
    # The GL driver is preloaded into the window tests and the game (tests/CMakeLists.txt),
    # so it comes before the sanitizer runtime in the list of libraries.
    (
      export ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0
      export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
      export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      # One test at a time: a replay test runs for minutes under the sanitizers, near its deadline
      # on a busy machine when it shares the cores.
      cd "$build" && with_x ctest --output-on-failure --no-tests=error
    )
  else
    echo "== tests in the normal build"
    build="$root/build"
    # scripts/run.sh builds here without the tests: they are asked for, and finding none is a failure.
    TORVANE_BUILD_DIR="$build" "$root/scripts/build.sh" -DTORVANE_SANITIZE=OFF -DTORVANE_TESTS=ON \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo
    (cd "$build" && with_x ctest --output-on-failure --no-tests=error -j"$(nproc)")
  fi
  echo "$pass pass: $((SECONDS - start)) s"
done
