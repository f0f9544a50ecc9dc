#!/usr/bin/env bash
# Plays one of the game's programs end to end with real key events in its real
# window: start-up lines in order, the frame rate, every scene by Enter, the
# render-mode and camera keys, and the way out with Escape (exit code 0).
# Usage: e2e_game.sh PROGRAM [phong]   (run in the game directory, DISPLAY set)
set -u
source "$(dirname "$0")/../../scripts/drive.sh"
program=$1
variant=${2:-game}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

lullvane_launch "$program" "$(mktemp /tmp/lullvane-e2e-XXXXXX.log)" || fail "no window titled Lullvane"

lullvane_wait_for "Setting up complete, entering main loop" 1 120 || fail "start-up did not complete"
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

# Start-up loads the intro's physics, and the intro's set-up loads it again.
lullvane_wait_for " physics models" 2 60 || fail "the intro built no physics world"

# The frame rate is known after a hundred frames.
fps_ok=0
for attempt in $(seq 1 30); do
    lullvane_press F2 "FPS: " $(($(lullvane_lines "FPS: ") + 1)) || break
    value=$(grep -F "FPS: " "$log" | tail -n 1 | sed 's/FPS: //')
    if awk -v v="$value" 'BEGIN { exit !(v > 0) }'; then
        fps_ok=1
        echo "frame rate in the intro: $value"
        break
    fi
    sleep 1
done
[ "$fps_ok" -eq 1 ] || fail "F2 never printed a positive frame rate"

# Enter walks through the game scenes; each builds its physics world.
for scene in 1 2 3 4; do
    lullvane_next_scene || fail "Enter did not enter scene $scene"
    sleep 1
done
[ "$(lullvane_lines "Bloom activated")" -eq 1 ] || fail "\"Bloom activated\" $(lullvane_lines "Bloom activated") times"

if [ "$variant" = phong ]; then
    lullvane_press F11 " cull: 1" 1 || fail "F11 did not switch culling on"
    lullvane_press F11 " cull: 0" 1 || fail "F11 did not switch culling off"
else
    lullvane_press F11 " Normal mapping mode: 0" 1 || fail "F11 did not switch normal mapping off"
fi

lullvane_press p "Camera To: (" 1 || fail "P printed no camera report"
grep -q "^inverse (position) Matrix:$" "$log" || fail "camera report without its matrix"

lullvane_press Escape " physics models" $(($(lullvane_lines " physics models") + 1)) ||
    fail "Escape did not return to the intro"
lullvane_quit
code=$?
[ "$code" -eq 0 ] || fail "exit code $code"
if grep -q "^GL: " "$log"; then fail "GL errors: $(grep -c '^GL: ' "$log")"; fi
# The sound device is closed before the process ends.
if grep -q "device not closed" "$log"; then fail "the sound device was left open"; fi

if [ "$failures" -ne 0 ]; then
    echo "--- game output (last 60 lines) ---"
    tail -n 60 "$log"
fi
rm -f "$log"
echo "$((failures == 0 ? 1 : 0)) passed, $((failures == 0 ? 0 : 1)) failed"
[ "$failures" -eq 0 ]
