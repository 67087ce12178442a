#!/usr/bin/env bash
# The opponents plan the same turns, byte for byte, in both web builds (with WebAssembly SIMD and
# without) as on the desktop: each build's benchmark prints its plans for every benchmark
# position, and the three outputs must be identical. Builds the two web benchmarks first.
#   tests/web/plans.sh <web build folder> <desktop torvane_bench> [max hps steps, default 16]
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 <web build folder> <desktop torvane_bench> [max hps steps]" >&2
  exit 2
fi
web=$1 desktop=$2 steps=${3:-16}
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH} \
  cmake --build "$web" --target torvane_bench torvane_bench_plain -j2 >/dev/null
work=$(mktemp -d /tmp/torvane-plans.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The three at once: the machine's cores share them.
start=$SECONDS
declare -A pids
"$desktop" --plan-once all --max-hps-steps "$steps" >"$work/desktop" &
pids[desktop]=$!
for bench in torvane_bench torvane_bench_plain; do
  node --no-experimental-fetch "$web/$bench.js" --plan-once all --max-hps-steps "$steps" >"$work/$bench" &
  pids[$bench]=$!
done
status=0
for run in desktop torvane_bench torvane_bench_plain; do
  wait "${pids[$run]}" || { echo "plans: $run exited with status $?" >&2; status=1; }
done
[ "$status" -eq 0 ] || exit 1
[ -s "$work/desktop" ] || { echo "plans: the desktop printed no plans" >&2; exit 1; }
for bench in torvane_bench torvane_bench_plain; do
  if ! cmp -s "$work/desktop" "$work/$bench"; then
    echo "plans: $bench.js plans differently from the desktop (< desktop, > web):" >&2
    diff "$work/desktop" "$work/$bench" | head -n 20 >&2
    status=1
  fi
done
[ "$status" -eq 0 ] || exit 1
echo "plans: the same in both web builds and on the desktop ($(wc -l <"$work/desktop") plans," \
  "two-candidate search up to $steps steps, $((SECONDS - start)) s)"
