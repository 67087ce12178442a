#!/usr/bin/env bash
# Builds the downloads for participants into dist/: a .tar.gz for 64-bit Linux and a
# .zip for 64-bit Windows, each holding the game with raylib, GLFW and the C++ runtime
# linked in, its data files and a README.txt. Prints each archive's path on a line of
# its own; build output goes to stderr.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Torvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
dist="$root/dist"
mkdir -p "$dist"

# build DIR PREFIX [CMAKE ARGS...]: the game alone, in Release.
build() {
  local dir=$1 prefix=$2
  shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DTORVANE_TESTS=OFF -DTORVANE_BENCH=OFF -DTORVANE_TOOLS=OFF -DTORVANE_STATIC_RUNTIME=ON "$@" >&2
  cmake --build "$dir" --target torvane -j"$(nproc)" >&2
}

# stage NAME PROGRAM START-TEXT: the folder that the archive holds.
stage() {
  local folder="$dist/$1"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$2" "$folder/"
  cp -r "$root/data/." "$folder/"
  sed -e "s/@VERSION@/$version/" -e "/@START@/{r /dev/stdin" -e "d}" "$root/packaging/README.txt" \
    >"$folder/README.txt" <<<"$3"
}

linux="torvane-$version-linux-x86_64"
build "$root/build-dist/linux" "$("$root/scripts/setup-deps.sh")"
strip "$root/build-dist/linux/torvane"
stage "$linux" "$root/build-dist/linux/torvane" "  Unpack the archive, open the folder $linux and run ./torvane
  (double-click it, or start it from a terminal). It needs a 64-bit Linux
  with an OpenGL driver."
tar -C "$dist" -czf "$dist/$linux.tar.gz" "$linux"

windows="torvane-$version-windows-x86_64"
build "$root/build-dist/windows" "$("$root/scripts/setup-deps.sh" --windows)" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
x86_64-w64-mingw32-strip "$root/build-dist/windows/torvane.exe"
stage "$windows" "$root/build-dist/windows/torvane.exe" "  Unpack the zip (right-click, Extract All), open the folder $windows
  and double-click torvane.exe. If Windows warns about an unknown publisher,
  choose More info, then Run anyway."
# Notepad on older Windows wants CRLF line ends.
sed -i 's/$/\r/' "$dist/$windows/README.txt"
rm -f "$dist/$windows.zip"
(cd "$dist" && zip -qr "$windows.zip" "$windows")

echo "$dist/$linux.tar.gz"
echo "$dist/$windows.zip"
