#!/usr/bin/env bash
# Checks web/receive.php, where participants' records arrive, under Debian's stock Apache with
# mod_php (set up as the README says) and under PHP's own server: pieces are kept outside the
# web's reach and web/assemble-records.sh gives back what was sent; malformed, conflicting and
# oversized pieces get their status and change nothing; a store inside the document root or on
# a full disk keeps nothing; the assembler reports what it cannot put together.
# Needs root (Apache drops to www-data; the full disk is a small tmpfs), apache2,
# libapache2-mod-php, php-cli, curl and python3.
#   tests/web/receiver.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
web=$(cd "$here/../../web" && pwd)
work=$(mktemp -d /tmp/torvane-receiver.XXXXXX)
chmod 755 "$work"
pids=()
mounted=""
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -z "$mounted" ] || umount "$mounted"
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAIL: $*" >&2
}
check() { # check WHAT COMMAND...
  if "${@:2}"; then pass; else fail "$1"; fi
}

RUN=0123456789abcdef0123456789abcdef
OTHER_RUN=fedcba9876543210fedcba9876543210
LIMIT=262144 # the documented TORVANE_MAX_PIECE_BYTES
bodies="$work/bodies"
mkdir "$bodies"
printf '{"format":"torvane-record","version":1,"participant":{"note":"a b&c<d>#é ü—文"}}\n' >"$bodies/0"
printf '{"t":12,"tb":3,"event":"move","side":0,"from":[4,8],"to":[3,8]}\n{"t":40,"event":"endTurn"}\n' >"$bodies/1"
printf '{"t":90,"event":"code","code":"a11b02"}\n' >"$bodies/2"
{ head -c $((LIMIT - 1)) /dev/zero | tr '\0' x; echo; } >"$bodies/limit"
{ head -c "$LIMIT" /dev/zero | tr '\0' x; echo; } >"$bodies/over"
head -c $((20 << 20)) /dev/zero | tr '\0' y >"$bodies/huge"
printf '{"t":12,"event":"move","note":"not what came first"}\n' >"$bodies/other"
: >"$bodies/empty"
for n in 10 70 80 101; do head -c "$n" /dev/zero | tr '\0' z >"$bodies/$n"; done
head -c 40960 /dev/zero | tr '\0' f >"$bodies/40k"

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Waits until the server behind URL answers anything; shows its output LOG if it cannot.
wait_for() {
  local url=$1 pid=$2 log=$3 deadline=$((SECONDS + 60))
  until [ "$(curl -s -o /dev/null -w '%{http_code}' "$url")" != 000 ]; do
    if ! kill -0 "$pid" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
      echo "no server at $url:" >&2
      cat "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

# POSTs BODY (a name in $bodies) to URL?QUERY the way the page does; prints the status.
post() {
  curl -s -o /dev/null -w '%{http_code}' -H 'Content-Type: text/plain;charset=UTF-8' \
    --data-binary @"$bodies/$3" "${@:4}" "$1?$2" || true
}

expect() { # expect STATUS WHAT URL QUERY BODY [CURL OPTIONS...]
  local got
  got=$(post "${@:3}")
  if [ "$got" = "$1" ]; then pass; else fail "$2: answered $got, not $1"; fi
}

# Every file and folder of a store with its mode, and each file's size and hash.
snapshot() {
  [ -d "$1" ] || { echo "no folder $1"; return; }
  (cd "$1" && find . -printf '%y %p %m\n' | sort && find . -type f -print0 | sort -z | xargs -0r sha256sum)
}

unchanged() { # unchanged WHAT STORE BEFORE
  if [ "$(snapshot "$2")" = "$3" ]; then pass; else fail "$1 changed the store"; fi
}

# Assembles STORE into a fresh folder; prints the status and leaves the output in $work/out.
assemble() {
  rm -rf "$work/out"
  "$web/assemble-records.sh" "$1" "$work/out" >/dev/null 2>"$work/assemble.err" && echo 0 || echo $?
}

# The rules that hold on every server; SERVER names it in failures.
strictness() {
  local server=$1 url=$2 store=$3 before seq want body query how extra
  for seq in 0 1 2; do
    expect 204 "$server: piece $seq" "$url" "run=$RUN&seq=$seq" "$seq"
  done
  expect 204 "$server: piece 1 again with its bytes" "$url" "run=$RUN&seq=1" 1
  expect 204 "$server: a piece of exactly $LIMIT bytes" "$url" "run=$RUN&seq=3" limit
  check "$server: assembled cleanly" [ "$(assemble "$store")" = 0 ]
  check "$server: the assembled record is what was sent" \
    cmp -s "$work/out/$RUN.jsonl" <(cat "$bodies/0" "$bodies/1" "$bodies/2" "$bodies/limit")
  check "$server: pieces readable by the store's group, no one else" \
    [ "$(stat -c %a "$store/$RUN/0.jsonl")" = 640 ]

  before=$(snapshot "$store")
  while read -r want body how query; do
    extra=()
    [ "$how" = plain ] || extra=(-H 'Transfer-Encoding: chunked')
    expect "$want" "$server: $how POST ?$query ($body)" "$url" "$query" "$body" "${extra[@]}"
    unchanged "$server: $how POST ?$query ($body)" "$store" "$before"
  done <<EOF
400 other plain run=${RUN^^}&seq=4
400 other plain run=${RUN:1}&seq=4
400 other plain run=${RUN}0&seq=4
400 other plain run=${RUN:1}g&seq=4
400 other plain run=$RUN%0A&seq=4
400 other plain run[]=$RUN&seq=4
400 other plain seq=4
400 other plain run=$RUN
400 other plain run=$RUN&seq=00
400 other plain run=$RUN&seq=01
400 other plain run=$RUN&seq=000000001
400 other plain run=$RUN&seq=1%0A
400 other plain run=$RUN&seq=%2B1
400 other plain run=$RUN&seq=-1
400 other plain run=$RUN&seq=%201
400 other plain run=$RUN&seq=1.0
400 other plain run=$RUN&seq=0x1
400 other plain run=$RUN&seq=1000000000
400 other plain run=$RUN&seq=4&seq=5
400 empty plain run=$RUN&seq=4
413 over plain run=$RUN&seq=4
413 over chunked run=$RUN&seq=4
413 huge plain run=$RUN&seq=4
507 2 plain run=$RUN&seq=10000
EOF
  for how in GET PUT DELETE; do
    expect 405 "$server: $how" "$url" "run=$RUN&seq=4" 2 -X "$how"
  done
  unchanged "$server: GET, PUT and DELETE" "$store" "$before"
  check "$server: CORS on a refusal" grep -qi '^access-control-allow-origin: \*' \
    <(curl -s -D - -o /dev/null "$url?run=$RUN&seq=4")
  check "$server: a preflight allows POST" grep -qi '^access-control-allow-methods:.*POST' \
    <(curl -s -D - -o /dev/null -X OPTIONS -H 'Origin: https://study.example.org' \
      -H 'Access-Control-Request-Method: POST' "$url?run=$RUN&seq=4")
  conflicts "$server" "$url" "$store"
}

# Other bytes for a piece kept: 409, the first bytes stay, the refused ones are kept aside.
conflicts() {
  local server=$1 url=$2 store=$3 before
  expect 409 "$server: piece 0 with other bytes" "$url" "run=$RUN&seq=0" other
  check "$server: piece 0 keeps its bytes" cmp -s "$store/$RUN/0.jsonl" "$bodies/0"
  check "$server: the refused bytes are kept aside" cmp -s "$store/$RUN/"0.conflict-* "$bodies/other"
  before=$(snapshot "$store")
  expect 409 "$server: piece 0 with those bytes again" "$url" "run=$RUN&seq=0" other
  unchanged "$server: the same conflict again" "$store" "$before"
  check "$server: assembling reports the conflict" [ "$(assemble "$store")" = 1 ]
  check "$server: the conflict is named" grep -q "piece 0 also came with other bytes" "$work/assemble.err"
  check "$server: assembled from the first bytes" \
    cmp -s "$work/out/$RUN.jsonl" <(cat "$bodies/0" "$bodies/1" "$bodies/2" "$bodies/limit")
}

# A store whose limits are set low: TORVANE_MAX_PIECE_BYTES=100, TORVANE_MAX_PIECES=3,
# TORVANE_MAX_RUNS=1, TORVANE_MAX_STORE_BYTES=150.
limits() {
  local server=$1 url=$2 store=$3 before
  expect 204 "$server: a piece within the limits" "$url" "run=$RUN&seq=0" 80
  before=$(snapshot "$store")
  expect 413 "$server: over TORVANE_MAX_PIECE_BYTES" "$url" "run=$RUN&seq=1" 101
  expect 507 "$server: past TORVANE_MAX_PIECES" "$url" "run=$RUN&seq=3" 10
  expect 507 "$server: past TORVANE_MAX_RUNS" "$url" "run=$OTHER_RUN&seq=0" 10
  expect 507 "$server: past TORVANE_MAX_STORE_BYTES" "$url" "run=$RUN&seq=1" 80
  unchanged "$server: pieces past the limits" "$store" "$before"
  expect 204 "$server: a piece filling the store exactly" "$url" "run=$RUN&seq=1" 70
  before=$(snapshot "$store")
  expect 409 "$server: a conflict in a full store" "$url" "run=$RUN&seq=0" 10
  unchanged "$server: a conflict in a full store" "$store" "$before"
}

# A store inside the document root, not made yet: nothing stored, not even the folder.
inside() {
  local server=$1 url=$2 folder=$3 log=$4 before
  before=$(snapshot "$folder")
  check "$server: a store inside the document root is refused" \
    [ "$(post "$url" "run=$RUN&seq=0" 0)" -ge 300 ]
  unchanged "$server: a store inside the document root" "$folder" "$before"
  check "$server: the error log says why" grep -q "is inside the document root" "$log"
}

conf="$work/apache/conf"
www="$work/apache/www"
log="$work/apache/log"
store="$www/torvane-received"
researcher=$(id -gn)

# Debian's stock Apache and mod_php, its configuration copied as shipped, on a loopback port:
# AllowOverride None and Indexes as for /var/www, the site's root not writable by www-data, and
# the README's lines. Only the folders and the port differ from the README's set-up.
apache_configure() { # apache_configure PORT
  local port=$1 path
  mkdir -p "$work/apache/run" "$work/apache/lock" "$log"
  cp -a /etc/apache2 "$conf"
  sed -i "s#^<Directory /var/www/>#<Directory $www/>#" "$conf/apache2.conf"
  echo "Listen 127.0.0.1:$port" >"$conf/ports.conf"
  cat >>"$conf/envvars" <<END
export APACHE_RUN_DIR=$work/apache/run APACHE_PID_FILE=$work/apache/run/apache2.pid
export APACHE_LOCK_DIR=$work/apache/lock APACHE_LOG_DIR=$log
END
  rm "$conf/sites-enabled/"*
  sed -e "s#\*:80#127.0.0.1:$port#" -e "s#/var/www/html#$www/html#" \
    /etc/apache2/sites-available/000-default.conf >"$conf/sites-enabled/000-default.conf"
  cat >"$conf/conf-enabled/torvane.conf" <<END
<Directory $www/html/torvane>
	SetEnv TORVANE_STORE $www/torvane-received
</Directory>
<Directory $www/html/limited>
	SetEnv TORVANE_STORE $work/apache/limited
$(printf '\tSetEnv %s\n' "${LIMITED_ENV[@]/=/ }")
</Directory>
<Directory $www/html/inside>
	SetEnv TORVANE_STORE $www/html/inside/private/store
</Directory>
<Directory $www/html/full>
	SetEnv TORVANE_STORE $work/apache/full
</Directory>
<Directory $www/html/big>
	SetEnv TORVANE_STORE $work/apache/big
	SetEnv TORVANE_MAX_PIECE_BYTES 16777216
</Directory>
END
  for path in torvane limited inside full big; do
    mkdir -p "$www/html/$path"
    cp "$web/receive.php" "$www/html/$path/"
  done
  # As on a host whose advice was to let PHP write beside the script.
  chown www-data "$www/html/inside"
  install -d -o www-data -g "$researcher" -m 2750 "$store" "$work/apache/limited" "$work/apache/full" \
    "$work/apache/big"
  mount -t tmpfs -o "size=64k,mode=2750,uid=$(id -u www-data),gid=$(id -g)" torvane-full "$work/apache/full"
  mounted="$work/apache/full"
}

apache_checks() {
  local port path base
  port=$(free_port)
  base="http://127.0.0.1:$port"
  apache_configure "$port"
  # A session of its own: stopping, prefork signals its whole process group.
  (export APACHE_CONFDIR="$conf" && . "$conf/envvars" && exec setsid apache2 -d "$conf" -DFOREGROUND) >"$work/apache/out" 2>&1 &
  pids+=($!)
  wait_for "$base/" $! "$work/apache/out"

  strictness apache "$base/torvane/receive.php" "$store"
  check "apache: pieces belong to the researcher's group" [ "$(stat -c %G "$store/$RUN/0.jsonl")" = "$researcher" ]
  check "apache: folders are listed, as Debian ships it" grep -q 'href="receive.php"' <(curl -s "$base/torvane/")
  for path in / /torvane/ /torvane/torvane-received/ "/torvane/torvane-received/$RUN/" \
    "/torvane/torvane-received/$RUN/0.jsonl" /torvane-received/ "/torvane-received/$RUN/0.jsonl" \
    "/$RUN/0.jsonl" "/torvane/$RUN/0.jsonl" "/torvane/$RUN/" /torvane/.usage /.usage \
    "/../torvane-received/$RUN/0.jsonl" "/torvane/../../torvane-received/$RUN/0.jsonl"; do
    check "apache: $path serves no record" not_served "$base$path"
  done
  limits apache "$base/limited/receive.php" "$work/apache/limited"
  inside apache "$base/inside/receive.php" "$www/html/inside" "$log/error.log"
  unwritable "$base/torvane/receive.php" "$store"
  full_disk "$base/full/receive.php" "$work/apache/full" "$log/error.log"
  php_limit "$base/big/receive.php" "$work/apache/big"
  assignment apache "$base/torvane/receive.php"
}

# Balanced conditions: 48 runs asking at once get 6 in each of 8 conditions, whatever order the
# requests are served in, and a run asking again its first answer. With a stale time of 0 only
# runs whose code has arrived hold a condition.
assignment() { # assignment SERVER URL
  local server=$1 url=$2 answers="$work/assign-${1// /-}" key=fnv1a64:0123456789abcdef first a b c kept
  mkdir "$answers"
  printf '%032x\n' $(seq 100 147) | xargs -P 24 -I{} sh -c 'curl -s "$1?assign=$2&n=8&run={}" >"$3/{}"' _ "$url" "$key" "$answers"
  check "$server: 48 concurrent runs, 6 in each of 8 conditions" \
    [ "$(cat "$answers"/* | sort | uniq -c | awk '{print $2 ":" $1}' | tr '\n' ' ')" = "0:6 1:6 2:6 3:6 4:6 5:6 6:6 7:6 " ]
  first=$(printf '%032x' 100)
  check "$server: a run asking again gets its first answer" \
    [ "$(curl -s "$url?assign=$key&n=8&run=$first")" = "$(cat "$answers/$first")" ]
  check "$server: a malformed assignment" \
    [ "$(curl -s -o /dev/null -w '%{http_code}' "$url?assign=fnv1a64:xyz&n=8&run=$first")" = 400 ]
  key=fnv1a64:00000000000000fe a=$(printf '%032x' 300) b=$(printf '%032x' 301) c=$(printf '%032x' 302)
  kept=$(curl -s "$url?assign=$key&n=2&run=$a")
  check "$server: a reloaded run keeps its condition" [ "$(curl -s "$url?assign=$key&n=2&run=$b&was=$a")" = "$kept" ]
  check "$server: the run a reload replaced no longer counts" grep -rqx --include='*.tsv' "moved $a" "$work"
  check "$server: a run replaces no run it does not know" [ "$(curl -s "$url?assign=$key&n=2&run=$c&was=$c")" = "$((1 - kept))" ]
  key=fnv1a64:00000000000000ff a=$(printf '%032x' 200) b=$(printf '%032x' 201) c=$(printf '%032x' 202)
  kept=$(curl -s "$url?assign=$key&n=2&run=$a&stale=0")
  expect 204 "$server: the code of an assigned run" "$url" "run=$a&seq=0" 2
  check "$server: a run with its code holds its condition" \
    [ "$(curl -s "$url?assign=$key&n=2&run=$b&stale=0")$(curl -s "$url?assign=$key&n=2&run=$c&stale=0")" = "$((1 - kept))$((1 - kept))" ]
}

# A piece limit set above PHP's post_max_size (8M): PHP's own limit applies, whole, and no
# piece is cut at it.
php_limit() {
  local url=$1 store=$2 before
  head -c $((9 << 20)) /dev/zero | tr '\0' n >"$bodies/9m"
  before=$(snapshot "$store")
  expect 413 "apache: 9 MiB over post_max_size" "$url" "run=$RUN&seq=0" 9m
  expect 413 "apache: 9 MiB over post_max_size, chunked" "$url" "run=$RUN&seq=0" 9m -H 'Transfer-Encoding: chunked'
  unchanged "apache: pieces over post_max_size" "$store" "$before"
}

not_served() {
  ! curl -s --path-as-is "$1" | grep -q -e "$RUN" -e torvane-record
}

# A run's folder that the web server cannot write to: refused, and the piece's bytes are left
# nowhere, neither in the store nor in the system's temp folder.
unwritable() {
  local url=$1 store=$2 before
  printf 'marker %s %s\n' "$$" "$RANDOM$RANDOM" >"$bodies/marker"
  chmod 0550 "$store/$RUN" || true
  touch "$work/stamp"
  before=$(snapshot "$store")
  expect 500 "apache: a piece for an unwritable run folder" "$url" "run=$RUN&seq=4" marker
  unchanged "apache: a piece for an unwritable run folder" "$store" "$before"
  check "apache: no temp file holds the piece" [ -z "$(find /tmp -maxdepth 1 -type f -newer "$work/stamp" \
    -exec grep -lF -f "$bodies/marker" {} + 2>/dev/null)" ]
  chmod 2750 "$store/$RUN" || true
}

# A store on a disk too small for a second piece.
full_disk() {
  local url=$1 store=$2 log=$3 before
  expect 204 "apache: a piece on a small disk" "$url" "run=$RUN&seq=0" 40k
  before=$(snapshot "$store")
  expect 507 "apache: a piece on a full disk" "$url" "run=$RUN&seq=1" 40k
  expect 507 "apache: the first piece of a new run on a full disk" "$url" "run=$OTHER_RUN&seq=0" 40k
  unchanged "apache: pieces on a full disk" "$store" "$before"
  check "apache: the error log names the full disk" grep -q "No space left on device" "$log"
}

# PHP's own server, its store in the environment or else beside the document root.
php_checks() {
  local site="$work/php/site" main limited refused
  mkdir -p "$site"
  cp "$web/receive.php" "$site/"
  start_php "$work/php/main.log" PHP_CLI_SERVER_WORKERS=4
  main=$php_url
  start_php "$work/php/limited.log" TORVANE_STORE="$work/php/limited" "${LIMITED_ENV[@]}"
  limited=$php_url
  start_php "$work/php/inside.log" TORVANE_STORE="$site/private/store"
  refused=$php_url
  strictness "php -S" "$main" "$work/php/torvane-received"
  limits "php -S" "$limited" "$work/php/limited"
  inside "php -S" "$refused" "$site" "$work/php/inside.log"
  assignment "php -S" "$main"
}

start_php() { # start_php LOG [NAME=VALUE...]: sets php_url
  local port
  port=$(free_port)
  env -u TORVANE_STORE "${@:2}" php -S "127.0.0.1:$port" -t "$work/php/site" >"$1" 2>&1 &
  pids+=($!)
  php_url="http://127.0.0.1:$port/receive.php"
  wait_for "$php_url" $! "$1"
}

# What the assembler reports, and that it never writes an empty or a shorter record.
assembler_checks() {
  local store="$work/crafted" out="$work/kept" good=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa
  local gap=bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb conflict=cccccccccccccccccccccccccccccccc
  local empty=dddddddddddddddddddddddddddddddd leftover=eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee line
  mkdir -p "$store/$good"
  cp "$bodies/0" "$store/$good/0.jsonl"
  cp "$bodies/1" "$store/$good/1.jsonl"
  check "assembler: a clean store" [ "$(assemble "$store")" = 0 ]
  mkdir "$store/"{$gap,$conflict,$empty,$leftover}
  for line in 0 2 7; do cp "$bodies/2" "$store/$gap/$line.jsonl"; done
  cp "$bodies/0" "$store/$conflict/0.jsonl"
  cp "$bodies/other" "$store/$conflict/0.conflict-0123456789abcdef"
  cp "$bodies/1" "$store/$leftover/part8Kx2Qa"
  cp "$bodies/2" "$store/.part-0123456789abcdef"
  check "assembler: trouble ends with status 1" [ "$(assemble "$store")" = 1 ]
  check "assembler: only whole runs written" [ "$(ls -A "$work/out")" = "$(printf '%s\n' $good.jsonl $conflict.jsonl)" ]
  check "assembler: a run in order" cmp -s "$work/out/$good.jsonl" <(cat "$bodies/0" "$bodies/1")
  check "assembler: a conflict's first bytes" cmp -s "$work/out/$conflict.jsonl" "$bodies/0"
  while read -r line; do
    check "assembler reports: $line" grep -qF -- "$line" "$work/assemble.err"
  done <<END
$gap: pieces 1 3-6 are missing
$conflict: piece 0 also came with other bytes
$empty: no pieces
$leftover: part8Kx2Qa is not a piece
$leftover: no pieces
.part-0123456789abcdef: a temp file left by a failed write
END
  rm -r "$store/"{$gap,$conflict,$empty,$leftover} "$store/.part-0123456789abcdef"
  "$web/assemble-records.sh" "$store" "$out" >/dev/null
  cp "$bodies/2" "$store/$good/2.jsonl"
  check "assembler: a record grows as pieces arrive" eval '"$web/assemble-records.sh" "$store" "$out" >/dev/null &&
    cmp -s "$out/$good.jsonl" <(cat "$bodies/0" "$bodies/1" "$bodies/2")'
  printf 'edited by hand\n' >"$out/$good.jsonl"
  check "assembler: a record the pieces would not extend is refused" \
    eval '! "$web/assemble-records.sh" "$store" "$out" 2>/dev/null'
  check "assembler: and left as it was" [ "$(cat "$out/$good.jsonl")" = "edited by hand" ]
  check "assembler: usage" eval '"$web/assemble-records.sh" 2>/dev/null; [ $? = 2 ]'
  check "assembler: a missing folder" eval '"$web/assemble-records.sh" "$work/none" "$out" 2>/dev/null; [ $? = 2 ]'
}

LIMITED_ENV=(TORVANE_MAX_PIECE_BYTES=100 TORVANE_MAX_PIECES=3 TORVANE_MAX_RUNS=1 TORVANE_MAX_STORE_BYTES=150)
[ "$(id -u)" = 0 ] || { echo "tests/web/receiver.sh runs as root (Apache, mount)" >&2; exit 2; }
start=$SECONDS
apache_checks
php_checks
assembler_checks
echo "receiver checks took $((SECONDS - start)) s"
echo "receiver: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
