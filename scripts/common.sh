# Shared by the scripts: installs what is missing, builds, and runs an X server
# when there is no display. Sourced, not run.

LULLVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LULLVANE_BUILD=${LULLVANE_BUILD:-$LULLVANE_ROOT/build}
LULLVANE_GAME=$LULLVANE_BUILD/game

LULLVANE_PACKAGES=(
    build-essential cmake pkg-config
    libglfw3-dev libglew-dev libglu1-mesa-dev libglm-dev libgl1-mesa-dri
    libassimp-dev libdevil-dev libbullet-dev libcollada-dom-dev libboost-system-dev
    libopenal-dev libalut-dev libopenal1
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool x11-apps imagemagick sox
    libxml2-dev clang libclang-rt-14-dev valgrind
)

lullvane_install() {
    local missing=() p
    for p in "${LULLVANE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]} == 0)) && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

lullvane_build() {
    cmake -S "$LULLVANE_ROOT" -B "$LULLVANE_BUILD" -DCMAKE_BUILD_TYPE="${LULLVANE_BUILD_TYPE:-RelWithDebInfo}" "$@"
    cmake --build "$LULLVANE_BUILD" -j"$(nproc)"
}

LULLVANE_XVFB_PID=

# Starts a private X server and points DISPLAY at it.
lullvane_start_xvfb() {
    local n=${LULLVANE_XVFB_DISPLAY:-97}
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    # -noreset: a program started right after another one closed must still
    # find the server.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    LULLVANE_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
    echo "Xvfb running on $DISPLAY"
}

lullvane_stop_xvfb() {
    if [ -n "$LULLVANE_XVFB_PID" ]; then
        kill "$LULLVANE_XVFB_PID" 2>/dev/null || true
        wait "$LULLVANE_XVFB_PID" 2>/dev/null || true
        LULLVANE_XVFB_PID=
    fi
}
