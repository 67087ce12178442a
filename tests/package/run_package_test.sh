#!/usr/bin/env bash
# Builds both downloads with scripts/package.sh, unpacks each alone into an empty folder and
# plays the study through to the end screen from another working directory, under a
# private Xvfb: the Linux game as it is, the Windows one under wine. The end-to-end
# driver's click-through case reads the result code and checks that Quit exits with 0;
# its no-data-files case starts the program alone and reads the message its window shows.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work=$(mktemp -d /tmp/torvane-package.XXXXXX)
cleanup() {
    WINEPREFIX="$work/wine" wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; echo "0 passed, 1 failed"; exit 1; }

start=$SECONDS
mapfile -t archives < <("$root/scripts/package.sh") || fail "scripts/package.sh failed"
[ ${#archives[@]} -eq 2 ] || fail "expected two archive paths, got: ${archives[*]}"
echo "packaged in $((SECONDS - start)) s: ${archives[*]}"
for archive in "${archives[@]}"; do
    ls -l "$archive"
done

# Plays each archive on the virtual X server; prints the counts, fails when one failed.
play() {
    local passed=0 failed=0 archive name unpacked elsewhere launcher program
    for archive in "$@"; do
        name=$(basename "$archive")
        unpacked="$work/unpacked-$name"
        elsewhere="$work/elsewhere"
        mkdir -p "$unpacked" "$elsewhere"
        launcher=""
        case "$archive" in
            *.tar.gz)
                tar -xzf "$archive" -C "$unpacked"
                program=$(find "$unpacked" -name torvane -type f) ;;
            *.zip)
                unzip -q "$archive" -d "$unpacked"
                program=$(find "$unpacked" -name torvane.exe -type f)
                launcher=wine
                wineboot -i >/dev/null 2>&1 ;;
        esac
        echo "== $name: $program, started in $elsewhere"
        if [ -n "$program" ] && timeout -k 10 600 python3 "$root/tests/e2e/e2e_driver.py" --binary "$program" \
            --data "$elsewhere" --launcher "$launcher" --artifacts "$root/tests/e2e/artifacts" --only click-through --only no-data-files; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
        fi
    done
    echo "$passed passed, $failed failed"
    [ $failed -eq 0 ]
}
export root work WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Wine fits a 1600 x 900 window with its frame only on a larger screen. xvfb-run is a sh
# script, which drops exported functions: play goes along as text.
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash -c "$(declare -f play); play \"\$@\"" play "${archives[@]}"
status=$?
echo "package pass took $((SECONDS - start)) s"
exit $status
