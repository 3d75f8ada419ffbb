#!/bin/sh
# Builds brindle-skin-art in its own build folder and repaints both built-in skins:
# resources/skin/ (shipped) and resources/skin-full/ (full).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build-skin-art"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target brindle-skin-art -j2
mkdir -p "$root/resources/skin" "$root/resources/skin-full"
QT_QPA_PLATFORM=offscreen "$build/resources/art/brindle-skin-art" "$root/resources/skin"
QT_QPA_PLATFORM=offscreen "$build/resources/art/brindle-skin-art" --full "$root/resources/skin-full"
