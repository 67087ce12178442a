#!/usr/bin/env bash
# Fuzzes the map loader (ParseMapText) with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer. Not part of scripts/test.sh: the inputs it keeps are
# replayed there by tests/tools/MapFileFuzzRegressionTest.cpp.
#
#   scripts/fuzz.sh [SECONDS]     run for SECONDS (default 300)
#   scripts/fuzz.sh record [SECONDS]
#                                 the study record's reader and replay instead (ParseRecord,
#                                 then ReplayRecord): tests/fuzz/record-corpus/ and
#                                 record-crashers/, replayed by RecordFuzzRegressionTest.cpp
#
# Starts from tests/fuzz/corpus/, merges the inputs that reach new code back into it,
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
what=ParseMapText dict="$root/tests/fuzz/map.dict" max_len=4096
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

if [ "$target" = map ]; then
  fuzzer="$build/map_file_fuzz"
  clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/src" "$root/tests/fuzz/MapFileFuzz.cpp" "$root/src/board/MapFile.cpp" -o "$fuzzer"
else
  # A replay needs the whole game: a clang build of the project, every file with the fuzzer's coverage.
  cmake -S "$root" -B "$build/record" -DCMAKE_PREFIX_PATH="$("$root/scripts/setup-deps.sh")" \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DTORVANE_SANITIZE=ON -DTORVANE_FUZZ=ON -DTORVANE_TESTS=OFF -DTORVANE_BENCH=OFF >/dev/null
  cmake --build "$build/record" --target torvane_record_fuzz -j2 >/dev/null
  fuzzer="$build/record/tools/torvane_record_fuzz"
fi

# New inputs go to a scratch folder first; only those that add coverage are merged back.
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/new" "$work/artifacts"
before=$(find "$corpus" -type f | wc -l)
echo "fuzz.sh: fuzzing $what for ${seconds}s from $before corpus inputs" >&2
status=0
"$fuzzer" "$work/new" "$corpus" -dict="$dict" -max_len="$max_len" -timeout=10 \
  -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
  2>"$work/fuzz.log" || status=$?
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' "$work/fuzz.log" >&2 || true

"$fuzzer" -merge=1 "$corpus" "$work/new" >/dev/null 2>&1
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
