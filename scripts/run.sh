#!/usr/bin/env bash
# Builds the game and starts it. The game reads its maps, images and shader from
# its working directory, so it runs inside data/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" -DTORVANE_TESTS=OFF
cd "$root/data"
exec "$root/build/torvane"
