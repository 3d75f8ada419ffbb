#!/usr/bin/env bash
# Renders the README's pictures of the window: the real shaped window on a virtual X
# screen, on a fresh copy of the demo machine, before and after a scan.
# Needs Xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick) and a
# build in build/ (./run build).
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
mkdir -p "$out"
display=:97
scratch=$(mktemp -d)
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$scratch"' EXIT

build/brindle-demo-builder "$scratch/prefix"
mkdir -p "$scratch/work"
Xvfb "$display" -screen 0 900x620x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display
# Its data stays in the scratch folder, never in the user's own data folder.
(cd "$scratch/work" && XDG_DATA_HOME="$scratch/data" WINEPREFIX="$scratch/prefix" QT_QPA_PLATFORM=xcb \
    exec "$OLDPWD/build/brindle" --work-dir "$scratch/work") &
app=$!
sleep 3
window=$(xdotool search --name '^Brindle$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
crop="${WIDTH}x${HEIGHT}+${X}+${Y}"
import -window root "$scratch/main.png"
# The round scan button, then the "Scan Complete" box's OK (Enter).
xdotool mousemove $((X + 633)) $((Y + 428)) click 1
sleep 4
xdotool key Return
sleep 1
import -window root "$scratch/results.png"
# What lies outside the window's shape is the bare screen: transparent in the pictures.
for name in main results; do
    convert "$scratch/$name.png" -crop "$crop" +repage -alpha set -fill none \
        -draw "color 0,0 floodfill" -draw "color $((WIDTH - 1)),0 floodfill" \
        -draw "color 0,$((HEIGHT - 1)) floodfill" -draw "color $((WIDTH - 1)),$((HEIGHT - 1)) floodfill" "$out/$name.png"
done
echo "take-screenshots: wrote $out/main.png and $out/results.png"
