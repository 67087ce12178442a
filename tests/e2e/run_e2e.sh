#!/usr/bin/env bash
# Drives the real game under a private Xvfb with real X mouse and key events.
# Usage: run_e2e.sh <path-to-torvane-binary> [--only CASE]... [--seed N] [--replay <path-to-torvane-replay>] [--no-timing-limits]
set -u

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 <path-to-torvane-binary> [--only CASE]... [--seed N] [--replay <path-to-torvane-replay>] [--no-timing-limits]" >&2
    echo "0 passed, 1 failed"
    exit 2
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
shift
data_dir="$(cd "$here/../../data" && pwd)"

for tool in xvfb-run Xvfb xauth xdotool xwd python3; do
    if ! command -v "$tool" > /dev/null; then
        echo "missing tool: $tool" >&2
        echo "0 passed, 1 failed"
        exit 2
    fi
done

# -noreset: the server would otherwise reset, refusing connections, each time a game exits.
xvfb-run -a -s "-screen 0 1600x900x24 -noreset" timeout -k 10 600 python3 "$here/e2e_driver.py" \
    --binary "$binary" --data "$data_dir" --artifacts "$here/artifacts" "$@"
status=$?
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    echo "the driver itself timed out"
    echo "0 passed, 1 failed"
fi
exit $status
