# Shell functions shared by setup-deps.sh and build-web.sh: version checks, installing
# missing Debian packages, and fetching Debian source packages through a private apt list (the machine's apt
# state is never touched). The sourcing script defines log and die.

# version_ge A B: true if A >= B (Debian version rules when dpkg is present).
version_ge() {
  if command -v dpkg >/dev/null 2>&1; then
    dpkg --compare-versions "$1" ge "$2"
  else
    [ "$(printf '%s\n%s\n' "$2" "$1" | sort -V | head -n1)" = "$2" ]
  fi
}

# Upstream part of a Debian version: 1:6.0+ds-2 -> 6.0
upstream_version() {
  local v=${1#*:}
  v=${v%-*}
  v=${v%%+*}
  printf '%s\n' "${v%%~*}"
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    die "need root (or sudo) to run: $*"
  fi
}

# install_packages PKG...: installs those not installed yet (dpkg -s alone would also
# accept removed-but-configured packages).
install_packages() {
  local p missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  log "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null ||
    die "apt-get update failed; fix the machine's apt sources, then install: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
    "${missing[@]}" >/dev/null || die "apt-get install failed for: ${missing[*]}"
}
# ---------------------------------------------------------------- apt mirror
# Debian archive URIs from the machine's sources, so proxies/mirrors keep working.
debian_mirrors() {
  local f
  {
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      sed 's/#.*//' "$f" | awk '$1 == "deb" || $1 == "deb-src" {
        i = 2
        if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
        print $i, $(i + 1) }'
    done
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk 'BEGIN { RS = ""; FS = "\n" }
        {
          uris = ""; suites = ""; on = 1
          for (i = 1; i <= NF; i++) {
            l = $i
            if (l ~ /^[ \t]*#/) continue
            k = tolower(l); sub(/:.*/, "", k)
            sub(/^[^:]*:[ \t]*/, "", l)
            if (k == "uris") uris = l
            else if (k == "suites") suites = l
            else if (k == "enabled" && tolower(l) ~ /^no/) on = 0
          }
          if (!on) next
          n = split(uris, u, /[ \t]+/); m = split(suites, s, /[ \t]+/)
          for (a = 1; a <= n; a++) for (b = 1; b <= m; b++) print u[a], s[b]
        }' "$f"
    done
  } | awk '$2 ~ /^(buster|bullseye|bookworm|trixie|forky|duke|sid|oldstable|stable|testing|unstable)(-updates|-backports)?$/ \
           && $1 !~ /^cdrom:/ { sub(/\/+$/, "", $1); print $1 }' | awk '!seen[$0]++'
}

# ---------------------------------------------------------------- source fetch
APT_OPTS=()
SUITES_LISTED=()

setup_private_apt() {
  mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/parts" "$WORK/apt/cache/archives/partial"
  : >"$WORK/apt/sources.list"
  # Private lists/cache so the machine's apt state is never touched.
  APT_OPTS=(
    -o "Dir::Etc::SourceList=$WORK/apt/sources.list"
    -o "Dir::Etc::SourceParts=$WORK/apt/parts"
    -o "Dir::State::Lists=$WORK/apt/lists"
    -o "Dir::Cache=$WORK/apt/cache"
    -o "APT::Sandbox::User=root"
  )
  mapfile -t MIRRORS < <(debian_mirrors)
  if [ ${#MIRRORS[@]} -eq 0 ]; then
    MIRRORS=(http://deb.debian.org/debian)
  fi
  KEYOPT=""
  if [ -f /usr/share/keyrings/debian-archive-keyring.gpg ]; then
    KEYOPT="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] "
  fi
  log "source mirror(s): ${MIRRORS[*]}"
}

# Adds a suite to the private list and refreshes indexes (already fetched ones are cheap hits).
add_suite() {
  local s=$1 m x
  for x in "${SUITES_LISTED[@]+"${SUITES_LISTED[@]}"}"; do
    [ "$x" = "$s" ] && return 0
  done
  SUITES_LISTED+=("$s")
  for m in "${MIRRORS[@]}"; do
    printf 'deb-src %s%s %s main\n' "$KEYOPT" "$m" "$s" >>"$WORK/apt/sources.list"
  done
  log "apt index: $s"
  # A suite missing from the mirror makes update fail; the fetch below decides.
  apt-get "${APT_OPTS[@]}" -qq update >"$WORK/apt-update.log" 2>&1 ||
    log "apt-get update reported problems for $s (continuing)"
}

# fetch_source PKG MIN DEST SUITE...: downloads+extracts the first version >= MIN.
# Sets FETCHED_VERSION and FETCHED_SUITE.
fetch_source() {
  local pkg=$1 min=$2 dest=$3 s dir dsc ver
  shift 3
  for s in "$@"; do
    add_suite "$s"
    dir="$WORK/dl/$pkg-$s"
    rm -rf "$dir"
    mkdir -p "$dir"
    if ! (cd "$dir" && apt-get "${APT_OPTS[@]}" -qq source --download-only "$pkg/$s") \
        >"$dir.log" 2>&1; then
      log "$pkg: not available from $s"
      continue
    fi
    dsc=$(ls "$dir"/*.dsc 2>/dev/null | head -n1)
    [ -n "$dsc" ] || { log "$pkg: no .dsc from $s"; continue; }
    ver=$(sed -n 's/^Version: *//p' "$dsc" | head -n1)
    if ! version_ge "$(upstream_version "$ver")" "$min"; then
      log "$pkg: $s has $ver (< $min)"
      continue
    fi
    if command -v dpkg-source >/dev/null 2>&1; then
      dpkg-source -x "$dsc" "$dest" >"$dir.extract.log" 2>&1 ||
        die "dpkg-source failed on $dsc: $(tail -n 5 "$dir.extract.log")"
    else
      # No dpkg-dev: the upstream tarball is enough for a CMake build.
      mkdir -p "$dest"
      tar -xf "$(ls "$dir"/*.orig.tar.* | head -n1)" --strip-components=1 -C "$dest" ||
        die "could not unpack the $pkg tarball from $s"
    fi
    FETCHED_VERSION=$ver
    FETCHED_SUITE=$s
    log "$pkg: $ver from $s"
    return 0
  done
  return 1
}

# ---------------------------------------------------------------- build helpers
# run_logged NAME CMD...: quiet on success, shows the log tail on failure.
run_logged() {
  local name=$1
  shift
  if ! "$@" >"$WORK/$name.log" 2>&1; then
    tail -n 40 "$WORK/$name.log" >&2
    die "$name failed (see output above)"
  fi
}

