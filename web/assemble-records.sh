#!/usr/bin/env bash
# Puts the pieces that receive.php kept back together: RECEIVED/RUN/N.jsonl, N from 0, become
# OUT/RUN.jsonl, one record file per run for torvane-replay. A run with a piece missing is
# named and left out; the status is then 1.
#
#   web/assemble-records.sh torvane-received records
set -euo pipefail
if [ $# -ne 2 ] || [ ! -d "$1" ]; then
  echo "usage: web/assemble-records.sh RECEIVED_FOLDER OUT_FOLDER" >&2
  exit 2
fi
mkdir -p "$2"
status=0
for dir in "$1"/*/; do
  [ -d "$dir" ] || continue
  run=$(basename "$dir")
  count=$(find "$dir" -maxdepth 1 -name '*.jsonl' | wc -l)
  missing=()
  for ((seq = 0; seq < count; seq++)); do
    [ -f "$dir/$seq.jsonl" ] || missing+=("$seq")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "$run: pieces ${missing[*]} are missing; not assembled" >&2
    status=1
    continue
  fi
  for ((seq = 0; seq < count; seq++)); do
    cat "$dir/$seq.jsonl"
  done >"$2/$run.jsonl"
  echo "$2/$run.jsonl: $count pieces"
done
exit $status
