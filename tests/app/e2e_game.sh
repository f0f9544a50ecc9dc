#!/usr/bin/env bash
# Plays one of the game's programs end to end with real key events in its real
# window: start-up lines in order, the frame rate, every scene by Enter, the
# render-mode and camera keys, and the way out with Escape (exit code 0).
# Usage: e2e_game.sh PROGRAM [phong]   (run in the game directory, DISPLAY set)
set -u
program=$1
variant=${2:-game}

log=$(mktemp /tmp/lullvane-e2e-XXXXXX.log)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
lines() { grep -c -F -- "$1" "$log"; }

# Waits until the log holds at least $2 lines containing $1 (default 1).
wait_for() {
    local text=$1 want=${2:-1} seconds=${3:-60} i
    for ((i = 0; i < seconds * 20; i++)); do
        [ "$(lines "$text")" -ge "$want" ] && return 0
        kill -0 "$game" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

# Holds a key until the game has reacted with the expected line, so that a
# latched key acts exactly once however long a frame takes.
press_until() {
    local key=$1 text=$2 want=$3
    xdotool keydown "$key"
    wait_for "$text" "$want" 60
    local ok=$?
    xdotool keyup "$key"
    sleep 0.3
    return $ok
}

ALSOFT_DRIVERS=null "$program" >"$log" 2>&1 &
game=$!

wid=
for i in $(seq 1 600); do
    wid=$(xdotool search --name '^Lullvane$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || fail "no window titled Lullvane"
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool mousemove 512 384

wait_for "Setting up complete, entering main loop" 1 120 || fail "start-up did not complete"
startup=("Importing" "Imported Intro Scene" "Imported Animations" "Imported first Scene" "Imported second Scene"
    "Imported third Scene" "Loading did not fail" "Loaded Intro Physics" "Setting up complete, entering main loop")
previous=0
for line in "${startup[@]}"; do
    at=$(grep -n -x -F -- "$line" "$log" | head -n 1 | cut -d: -f1)
    if [ -z "$at" ]; then
        fail "start-up line missing: $line"
    elif [ "$at" -le "$previous" ]; then
        fail "start-up line out of order: $line"
    else
        previous=$at
    fi
done
if [ "$variant" = phong ]; then
    grep -q -x "Activated loading texture" "$log" || fail "no loading texture"
fi

# The intro's set-up builds its world: one physics line.
wait_for " physics models" 1 60 || fail "the intro built no physics world"

# The frame rate is known after a hundred frames.
fps_ok=0
for attempt in $(seq 1 30); do
    n=$(lines "FPS: ")
    press_until F2 "FPS: " $((n + 1)) || break
    value=$(grep -F "FPS: " "$log" | tail -n 1 | sed 's/FPS: //')
    if awk -v v="$value" 'BEGIN { exit !(v > 0) }'; then
        fps_ok=1
        echo "frame rate: $value"
        break
    fi
    sleep 1
done
[ "$fps_ok" -eq 1 ] || fail "F2 never printed a positive frame rate"

# Enter walks through the game scenes; each builds its physics world.
for scene in 1 2 3 4; do
    n=$(lines " physics models")
    press_until Return " physics models" $((n + 1)) || fail "Enter did not enter scene $scene"
    sleep 1
done
[ "$(lines "Bloom activated")" -eq 1 ] || fail "expected \"Bloom activated\" once, got $(lines "Bloom activated")"

if [ "$variant" = phong ]; then
    press_until F11 " cull: 1" 1 || fail "F11 did not switch culling on"
    n=$(lines " cull: ")
    press_until F11 " cull: 0" 1 || fail "F11 did not switch culling off"
else
    press_until F11 " Normal mapping mode: 0" 1 || fail "F11 did not switch normal mapping off"
fi

press_until p "Camera To: (" 1 || fail "P printed no camera report"
grep -q "^inverse (position) Matrix:$" "$log" || fail "camera report without its matrix"

n=$(lines " physics models")
press_until Escape " physics models" $((n + 1)) || fail "Escape did not return to the intro"
xdotool keydown Escape
for i in $(seq 1 200); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.05
done
xdotool keyup Escape
if kill -0 "$game" 2>/dev/null; then
    fail "the game did not end on Escape in the intro"
    kill "$game"
fi
wait "$game"
code=$?
[ "$code" -eq 0 ] || fail "exit code $code"
if grep -q "^GL: " "$log"; then fail "GL errors: $(grep -c '^GL: ' "$log")"; fi

if [ "$failures" -ne 0 ]; then
    echo "--- game output (last 60 lines) ---"
    tail -n 60 "$log"
    rm -f "$log"
    echo "$failures failed"
    exit 1
fi
rm -f "$log"
echo "1 passed, 0 failed"
