# Drives a running game with real key events in its window. Sourced by the
# tour and the end-to-end tests. The caller sets $log (the game's output) and
# $game (its process id) through lullvane_launch.

# lullvane_launch PROGRAM LOG: starts the program with its output in LOG and
# waits for its window.
lullvane_launch() {
    log=$2
    # Line-buffered, so that the lines printed with printf reach the log as
    # soon as they are printed, not at the next flush of the output.
    ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} stdbuf -oL -eL "$1" >"$log" 2>&1 &
    game=$!
    local i wid=
    for i in $(seq 1 600); do
        wid=$(xdotool search --name '^Lullvane$' 2>/dev/null | head -n 1) || true
        [ -n "$wid" ] && break
        kill -0 "$game" 2>/dev/null || return 1
        sleep 0.1
    done
    [ -n "$wid" ] || return 1
    xdotool windowfocus "$wid" 2>/dev/null || true
    xdotool mousemove 512 384
}

# Number of lines of the log that contain the text.
lullvane_lines() { grep -c -F -- "$1" "$log"; }

# lullvane_wait_for TEXT [COUNT [SECONDS]]: waits until the log holds COUNT
# lines containing TEXT; fails when the game ends or time runs out.
lullvane_wait_for() {
    local text=$1 want=${2:-1} seconds=${3:-60} i
    for ((i = 0; i < seconds * 20; i++)); do
        [ "$(lullvane_lines "$text")" -ge "$want" ] && return 0
        kill -0 "$game" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

# lullvane_press KEY TEXT COUNT: holds the key until the game has answered
# with the COUNT-th line containing TEXT, so that a latched key acts exactly
# once however long a frame takes.
lullvane_press() {
    local key=$1 text=$2 want=$3 ok
    xdotool keydown "$key"
    lullvane_wait_for "$text" "$want" 60
    ok=$?
    xdotool keyup "$key"
    sleep 0.3
    return $ok
}

# lullvane_next_scene: Enter, and wait until the new scene has built its world.
lullvane_next_scene() {
    lullvane_press Return " physics models" $(($(lullvane_lines " physics models") + 1))
}

# lullvane_quit: Escape until the game has ended (back to the intro first when
# in a game scene); returns the game's exit code.
lullvane_quit() {
    local i
    for i in $(seq 1 3); do
        kill -0 "$game" 2>/dev/null || break
        xdotool keydown Escape
        local j
        for j in $(seq 1 40); do
            kill -0 "$game" 2>/dev/null || break
            sleep 0.05
        done
        xdotool keyup Escape 2>/dev/null
        sleep 0.5
    done
    if kill -0 "$game" 2>/dev/null; then
        kill "$game"
    fi
    wait "$game"
}

# lullvane_look DX DY: turns the view by moving the mouse DX, DY pixels, in
# small steps so that the pointer never meets the screen's edge (one window
# width turns once around; a window height sweeps from straight up to down).
lullvane_look() {
    local dx=$1 dy=$2 sx sy
    while [ "$dx" -ne 0 ] || [ "$dy" -ne 0 ]; do
        sx=$((dx > 100 ? 100 : (dx < -100 ? -100 : dx)))
        sy=$((dy > 100 ? 100 : (dy < -100 ? -100 : dy)))
        xdotool mousemove_relative -- "$sx" "$sy"
        dx=$((dx - sx))
        dy=$((dy - sy))
        sleep 0.3
    done
}
