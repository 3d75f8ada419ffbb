#!/usr/bin/env bash
# The window's main road on a real X desktop, as a person takes it: a virtual screen
# (Xvfb), a window manager (openbox) and a system tray (trayer), driven with xdotool.
# For each built-in skin, on a fresh copy of the demo machine: start, scan, fix, read the
# message, minimise to the tray, come back from the tray, exit. Offscreen tests cannot see
# any of this: a window that ends when minimised, a tray icon that ignores clicks.
#
#   tools/desktop-smoke.sh [BUILD_DIR]     (default build-sanitize; needs brindle and
#                                           brindle-demo-builder there)
#
# Needs xvfb, openbox, trayer, xdotool and imagemagick. On failure it says which step
# failed and leaves a picture of the screen in $BRINDLE_SMOKE_SHOTS (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-sanitize}
display=:93
shots=${BRINDLE_SMOKE_SHOTS:-/tmp}
scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=$display

fail() {  # step
    import -window root "$shots/brindle-smoke-failed.png" 2>/dev/null || true
    echo "desktop-smoke: $skin skin: $1 (screen: $shots/brindle-smoke-failed.png)" >&2
    tail -5 "$scratch/out.log" >&2 2>/dev/null || true
    exit 1
}

# The visible top-level windows called Brindle: the main window and any message box.
visible() { xdotool search --onlyvisible --name '^Brindle$' 2>/dev/null | wc -l; }

# Waits up to $2 seconds for `visible` to be $1.
wait_visible() {
    for _ in $(seq 1 $(($2 * 4))); do
        [ "$(visible)" -eq "$1" ] && return 0
        sleep 0.25
    done
    return 1
}

Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
trayer --edge top --align right --widthtype pixel --width 24 --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 2

for skin in shipped full; do
    rm -rf "$scratch/prefix" "$scratch/work"
    "$build/brindle-demo-builder" "$scratch/prefix" >/dev/null
    before=$(md5sum "$scratch/prefix/system.reg")
    BRINDLE_BUILT_IN_SKIN=$skin XDG_DATA_HOME="$scratch/data" WINEPREFIX="$scratch/prefix" \
        ASAN_OPTIONS=detect_leaks=0 "$build/brindle" --work-dir "$scratch/work" >"$scratch/out.log" 2>&1 &
    app=$!
    pids+=($app)
    wait_visible 1 30 || fail "the window did not appear"
    window=$(xdotool search --onlyvisible --name '^Brindle$' | head -1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    wx=$X
    wy=$Y

    # Scan (the round button), then the "Scan Complete" box.
    xdotool mousemove $((wx + 633)) $((wy + 428)) click 1
    wait_visible 2 60 || fail "no message after the scan"
    xdotool key Return
    wait_visible 1 10 || fail "the scan's message did not close"

    # Fix selected, then its message; the backup is written and the registry changed.
    xdotool mousemove $((wx + 394)) $((wy + 396)) click 1
    wait_visible 2 60 || fail "no message after Fix selected"
    xdotool key Return
    wait_visible 1 10 || fail "the fix's message did not close"
    ls "$scratch/work/Registry Backups/"*.reg >/dev/null 2>&1 || fail "no backup after the fix"
    [ "$(md5sum "$scratch/prefix/system.reg")" != "$before" ] || fail "the fix changed nothing"

    # Minimise: into the tray, the program still running.
    xdotool mousemove $((wx + 640)) $((wy + 106)) click 1
    wait_visible 0 10 || fail "minimise left the window on screen"
    sleep 1
    kill -0 "$app" 2>/dev/null || fail "minimise ended the program"

    # Back from the tray: a double-click on its icon (the tray holds it alone).
    tray=$(xdotool search --onlyvisible --class trayer | head -1)
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat 2 --delay 80 1
    wait_visible 1 10 || fail "a double-click on the tray icon did not bring the window back"

    # Exit, with the exit button; the program ends of itself and well.
    xdotool mousemove $((wx + 666)) $((wy + 106)) click 1
    for _ in $(seq 1 40); do kill -0 "$app" 2>/dev/null || break; sleep 0.25; done
    kill -0 "$app" 2>/dev/null && fail "the exit button did not end the program"
    wait "$app" || fail "the program ended with status $?: $(tail -5 "$scratch/out.log")"
    echo "desktop-smoke: $skin skin: scan, fix, minimise to the tray, back, exit: all fine" >&2
done
