#!/usr/bin/env bash
# Drives the real game under a private Xvfb with real X mouse and key events.
# Usage: run_e2e.sh <path-to-torvane-binary> [--only CASE]...
set -u

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 <path-to-torvane-binary> [--only CASE]..." >&2
    echo "0 passed, 1 failed"
    exit 2
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
shift
data_dir="$(cd "$here/../../data" && pwd)"

for tool in Xvfb xdotool xwd python3; do
    if ! command -v "$tool" > /dev/null; then
        echo "missing tool: $tool" >&2
        echo "0 passed, 1 failed"
        exit 2
    fi
done

xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2> /dev/null
        wait "$xvfb_pid" 2> /dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Other people's servers may hold some numbers: take the first one that comes up.
display=""
for n in $(seq 90 140); do
    if [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; then
        continue
    fi
    # -noreset: the server would otherwise reset, refusing connections, each time a game exits.
    Xvfb ":$n" -screen 0 1600x900x24 -nolisten tcp -noreset > /dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
        if ! kill -0 "$xvfb_pid" 2> /dev/null; then
            break
        fi
        if DISPLAY=":$n" timeout 5 xdotool getdisplaygeometry > /dev/null 2>&1; then
            display=":$n"
            break
        fi
        sleep 0.1
    done
    if [ -n "$display" ]; then
        break
    fi
    kill "$xvfb_pid" 2> /dev/null
    wait "$xvfb_pid" 2> /dev/null
    xvfb_pid=""
done
if [ -z "$display" ]; then
    echo "could not start Xvfb on any display from :90 up" >&2
    echo "0 passed, 1 failed"
    exit 2
fi
echo "Xvfb on $display (pid $xvfb_pid)"

DISPLAY="$display" timeout -k 10 600 python3 "$here/e2e_driver.py" \
    --binary "$binary" --data "$data_dir" --artifacts "$here/artifacts" "$@"
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    echo "the driver itself timed out"
    echo "0 passed, 1 failed"
fi
exit $status
