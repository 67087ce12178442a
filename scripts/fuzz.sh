#!/usr/bin/env bash
# Fuzzes the map pipeline with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer: the loader, and short games on every map it accepts
# (tests/fuzz/MapPipeline.h). Not part of scripts/test.sh: the inputs it keeps are
# replayed there by tests/tools/MapFileFuzzRegressionTest.cpp.
#
#   scripts/fuzz.sh [SECONDS]     run for SECONDS (default 300)
#   scripts/fuzz.sh record [SECONDS]
#                                 the study record's reader and replay instead (ParseRecord,
#                                 then ReplayRecord): tests/fuzz/record-corpus/ and
#                                 record-crashers/, replayed by RecordFuzzRegressionTest.cpp
#
# Starts from tests/fuzz/corpus/, keeps there the fewest inputs that reach all the code reached,
# and copies every crashing input into tests/fuzz/crashers/ (exit status 1 then).
# Installs Debian's clang and its sanitizer/fuzzer runtime when they are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=map
case ${1:-} in map | record) target=$1; shift ;; esac
seconds=${1:-300}
case $seconds in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [map|record] [SECONDS]" >&2; exit 2 ;;
esac

build="$root/build-fuzz"
corpus="$root/tests/fuzz/corpus"
crashers="$root/tests/fuzz/crashers"
what="the map pipeline" dict="$root/tests/fuzz/map.dict" max_len=4096
if [ "$target" = record ]; then
  corpus="$root/tests/fuzz/record-corpus" crashers="$root/tests/fuzz/record-crashers"
  what="ParseRecord and ReplayRecord" dict="$root/tests/fuzz/record.dict" max_len=8192
fi
mkdir -p "$build" "$corpus" "$crashers"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo >/dev/null 2>&1; then sudo "$@"; else
    echo "fuzz.sh: need root (or sudo) to run: $*" >&2; exit 1
  fi
}

# clang with -fsanitize=fuzzer needs the compiler-rt libraries (Debian: libclang-rt-dev).
can_build_fuzzers() {
  command -v clang++ >/dev/null 2>&1 || return 1
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$build/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$build/probe.cpp" -o "$build/probe" >/dev/null 2>&1
}
if ! can_build_fuzzers; then
  echo "fuzz.sh: installing clang and its fuzzer runtime" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-dev >/dev/null
  can_build_fuzzers || { echo "fuzz.sh: clang still cannot build a fuzzer" >&2; exit 1; }
fi

# The game's library is built with clang inside the fuzz project (tests/fuzz/CMakeLists.txt).
prefix=$("$root/scripts/setup-deps.sh")
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$build" --target "${target}_fuzz" -j"$(nproc)" >/dev/null
fuzzer="$build/${target}_fuzz"

# New inputs go to a scratch folder first; only those that add coverage are merged back.
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/new" "$work/artifacts"
before=$(find "$corpus" -type f | wc -l)
echo "fuzz.sh: fuzzing $what for ${seconds}s from $before corpus inputs" >&2
status=0
# The map target writes each input to a scratch map file under TMPDIR.
TMPDIR="$work" "$fuzzer" "$work/new" "$corpus" -dict="$dict" -max_len="$max_len" -timeout=10 \
  -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
  2>"$work/fuzz.log" || status=$?
grep -E '^(#[0-9]+[[:space:]]+DONE|Done [0-9]+ runs|stat::number_of_executed_units|stat::average_exec_per_sec)' \
  "$work/fuzz.log" >&2 || true

# The corpus kept is the smallest set of old and new inputs that still reaches every branch
# reached so far (hit counts aside): the test suite plays a game on each of them.
mkdir -p "$work/kept"
if TMPDIR="$work" "$fuzzer" -merge=1 -use_counters=0 "$work/kept" "$corpus" "$work/new" >/dev/null 2>&1; then
  find "$corpus" -type f -delete
  cp "$work/kept"/* "$corpus/"
else
  echo "fuzz.sh: the merge failed; the corpus is left as it was" >&2
fi
after=$(find "$corpus" -type f | wc -l)
echo "fuzz.sh: corpus $before -> $after inputs" >&2

found=0
for artifact in "$work/artifacts"/*; do
  [ -e "$artifact" ] || continue
  cp "$artifact" "$crashers/"
  echo "fuzz.sh: crashing input kept as ${crashers#"$root"/}/$(basename "$artifact")" >&2
  found=1
done
if [ "$found" -eq 1 ] || [ "$status" -ne 0 ]; then
  tail -n 40 "$work/fuzz.log" >&2
  exit 1
fi
echo "fuzz.sh: no crash in ${seconds}s" >&2
