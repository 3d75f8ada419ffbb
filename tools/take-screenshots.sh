#!/usr/bin/env bash
# Renders the README's pictures of the window: the real shaped window on a virtual X
# screen, on a fresh copy of the demo machine, before and after a scan, and the full skin's
# summary window with a scan's outcome.
# Needs Xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick) and a
# build in build/ (./run build); BRINDLE_BUILD_DIR names another build folder and
# BRINDLE_SCREENSHOT_DISPLAY another X display than :97.
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
build=$(cd "${BRINDLE_BUILD_DIR:-build}" && pwd)
mkdir -p "$out"
display=${BRINDLE_SCREENSHOT_DISPLAY:-:97}
scratch=$(mktemp -d)
app=
trap 'kill $app "$xvfb" 2>/dev/null || true; rm -rf "$scratch"' EXIT

"$build/brindle-demo-builder" "$scratch/prefix"
mkdir -p "$scratch/work"
Xvfb "$display" -screen 0 900x620x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display
# A sanitizer build's leak report at exit is no concern of the pictures.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# Starts the window with the built-in skin $1; its data stays in the scratch folder, never
# in the user's own data folder. Sets app, window, X, Y, WIDTH and HEIGHT.
start() {
    (cd "$scratch/work" && BRINDLE_BUILT_IN_SKIN=$1 XDG_DATA_HOME="$scratch/data" WINEPREFIX="$scratch/prefix" \
        QT_QPA_PLATFORM=xcb exec "$build/brindle" --work-dir "$scratch/work") &
    app=$!
    window=
    for _ in $(seq 50); do
        window=$(xdotool search --name '^Brindle$' 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.2
    done
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

# Cuts the window's rectangle out of the screen picture $1 into $2; what lies outside its
# shape is the bare screen, transparent in the picture.
cutOut() {
    convert "$1" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -alpha set -fill none \
        -draw "color 0,0 floodfill" -draw "color $((WIDTH - 1)),0 floodfill" \
        -draw "color 0,$((HEIGHT - 1)) floodfill" -draw "color $((WIDTH - 1)),$((HEIGHT - 1)) floodfill" "$2"
}

start shipped
import -window root "$scratch/main.png"
cutOut "$scratch/main.png" "$out/main.png"
# The round scan button, then the "Scan Complete" box's OK (Enter).
xdotool mousemove $((X + 633)) $((Y + 428)) click 1
sleep 6
xdotool key Return
sleep 1
# The pointer away from the list, so that no row is lit up under it.
xdotool mousemove $((X + 120)) $((Y + 470))
sleep 0.5
import -window root "$scratch/results.png"
cutOut "$scratch/results.png" "$out/results.png"
kill "$app"
wait "$app" 2>/dev/null || true

# The full skin: the scan button at the top of the categories panel opens the summary
# window, which scans and then shows what it found.
start full
main=$window
xdotool mousemove $((X + 223 + 178 + 80)) $((Y + 137 + 2 + 9)) click 1
sleep 8
summary=$(xdotool search --name '^Brindle$' | grep -vx "$main" | tail -1)
eval "$(xdotool getwindowgeometry --shell "$summary")"
xdotool mousemove $((X + WIDTH + 20)) $((Y + HEIGHT + 20))
sleep 0.5
import -window root "$scratch/summary.png"
convert "$scratch/summary.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/summary.png"
echo "take-screenshots: wrote $out/main.png, $out/results.png and $out/summary.png"
