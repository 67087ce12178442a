#!/usr/bin/env bash
# Puts the pieces that receive.php kept back together: STORE/RUN/N.jsonl, N from 0, become
# OUT/RUN.jsonl, one record file per run for torvane-replay. Named on standard error, with
# status 1 at the end:
#   - a run with a piece missing between 0 and its highest (left out);
#   - a piece that came again with other bytes, kept as RUN/N.conflict-HASH (the first bytes
#     are the ones assembled);
#   - a run folder with no piece (nothing written);
#   - any file the receiver does not keep, such as a temp file a failure left (ignored);
#   - an OUT/RUN.jsonl the pieces would not extend (left as it is).
# A record is written aside and moved into place whole; none is ever empty.
#
#   web/assemble-records.sh torvane-received records
set -euo pipefail
if [ $# -ne 2 ] || [ ! -d "$1" ]; then
  echo "usage: web/assemble-records.sh RECEIVED_FOLDER OUT_FOLDER" >&2
  exit 2
fi
store=${1%/}
out=${2%/}
if ! mkdir -p "$out"; then
  echo "cannot make the folder $out" >&2
  exit 2
fi
shopt -s nullglob dotglob
status=0
temp=""
trap 'rm -f "$temp"' EXIT

report() {
  echo "$*" >&2
  status=1
}

# The numbers missing from a sorted list below its last: "1 4-6".
gaps() {
  local expected=0 seq text=""
  for seq in "$@"; do
    if [ "$seq" -eq $((expected + 1)) ]; then
      text+=" $expected"
    elif [ "$seq" -gt "$expected" ]; then
      text+=" $expected-$((seq - 1))"
    fi
    expected=$((seq + 1))
  done
  echo "${text# }"
}

# OUT/RUN.jsonl from the pieces in order, when it would hold something and extend what is there.
write_record() {
  local run=$1 target="$out/$1.jsonl" old_size
  shift
  temp=$(mktemp "$out/.$run.XXXXXX")
  if ! printf '%s\0' "$@" | xargs -0 cat -- >"$temp"; then
    report "$run: its pieces could not be read; nothing written"
  elif [ ! -s "$temp" ]; then
    report "$run: its pieces are empty; nothing written"
  elif [ -e "$target" ] && old_size=$(stat -c %s "$target") &&
    ! cmp -s -n "$old_size" "$target" "$temp"; then
    report "$target holds lines its pieces do not; left as it is"
  else
    chmod "$(printf '%o' $((0666 & ~$(umask))))" "$temp"
    mv -f "$temp" "$target"
    temp=""
    echo "$target: $# pieces"
  fi
  rm -f "$temp"
  temp=""
}

assemble_run() {
  local dir=$1 run=$2 path name seqs=() paths=() missing seq
  for path in "$dir"/*; do
    name=${path##*/}
    if [[ $name =~ ^(0|[1-9][0-9]{0,8})\.jsonl$ ]] && [ -f "$path" ]; then
      seqs+=("${BASH_REMATCH[1]}")
    elif [[ $name =~ ^(0|[1-9][0-9]{0,8})\.conflict-[0-9a-f]{16}$ ]] && [ -f "$path" ]; then
      report "$run: piece ${BASH_REMATCH[1]} also came with other bytes, kept in $path; the first ones are assembled"
    else
      report "$run: $name is not a piece the receiver keeps; ignored"
    fi
  done
  if [ ${#seqs[@]} -eq 0 ]; then
    report "$run: no pieces; nothing written"
    return
  fi
  mapfile -t seqs < <(printf '%s\n' "${seqs[@]}" | sort -n)
  missing=$(gaps "${seqs[@]}")
  if [ -n "$missing" ]; then
    report "$run: pieces $missing are missing; not assembled"
    return
  fi
  for seq in "${seqs[@]}"; do
    paths+=("$dir/$seq.jsonl")
  done
  write_record "$run" "${paths[@]}"
}

for path in "$store"/*; do
  name=${path##*/}
  if [[ $name =~ ^[0-9a-f]{32}$ ]] && [ -d "$path" ]; then
    assemble_run "$path" "$name"
  elif [ "$name" = .usage ] || [ "$name" = .assign ]; then
    continue  # the receiver's totals and its conditions' assignments
  elif [[ $name == .part-* ]]; then
    report "$path: a temp file left by a failed write; ignored"
  else
    report "$path: not a run the receiver keeps; ignored"
  fi
done
exit $status
