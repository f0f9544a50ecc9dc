#!/usr/bin/env bash
# Plays the game with content files taken away or spoiled: each case copies the
# game directory, damages one file (or every content file at once), starts the
# program there, checks the loader's message, walks through every scene with
# real key events and quits with Escape. A case passes when the game said what
# went wrong, went on and ended with exit code 0.
#
# Usage: broken_content.sh PROGRAM GAME_DIR CASE...   (DISPLAY set)
#   CASE is KIND:FILE or KIND:all, KIND one of missing, empty, truncated,
#   random; FILE is relative to GAME_DIR. "list" as the only CASE prints every
#   case of GAME_DIR. A failed case keeps its directory for a rerun by hand.
set -u
source "$(dirname "$0")/../../scripts/drive.sh"
program=$1
source_dir=$(cd "$2" && pwd)
shift 2
name=$(basename "$program")

content_files() {
    (cd "$source_dir" && find . -maxdepth 1 -type f \( -name '*.DAE' -o -name '*.dae' -o -name '*.bmp' -o -name '*.wav' \) &&
        find ./textures ./shader -type f) | sed 's|^\./||' | sort
}

if [ "${1:-}" = list ]; then
    for kind in missing empty truncated random; do
        content_files | sed "s|^|$kind:|"
        echo "$kind:all"
    done
    exit 0
fi

# Lines the game must print when FILE is unusable; nothing for a file that
# this program does not read.
expected_lines() {
    local kind=$1 file=$2
    case "$file" in
    intro.DAE | FirstScene.DAE | End.DAE)
        echo "Could not load $file"
        echo "Loading file to collada converter failed."
        ;;
    hundboese.dae | Zimmer.dae | Wheatfield.DAE) echo "Could not load $file" ;;
    Intro.DAE | Ground.DAE) echo "Loading file to collada converter failed." ;;
    textures/*) echo "Devil could not load: $file" ;;
    baumtextur.bmp) [ "$name" = lullvane-phong ] && echo "Devil could not load: $file" ;;
    vampire_theme.wav) echo "Sound: could not load $file" ;;
    shader/PhongShader.* | shader/TextureShader.frag) [ "$name" = lullvane-phong ] && shader_line "$kind" "$file" ;;
    shader/ParallaxPhongShader.*) [ "$name" = lullvane ] && shader_line "$kind" "$file" ;;
    shader/*) shader_line "$kind" "$file" ;;
    esac
    return 0
}

shader_line() {
    if [ "$1" = missing ]; then
        echo "Could not read shader source: $2"
    else
        # A spoiled source fails to compile, or compiles and fails to link.
        echo " $2"
    fi
}

# The GLSL loader, the COLLADA readers and DevIL reject any half of a file;
# ALUT plays the first half of a sound.
message_required() {
    local kind=$1 file=$2
    [ "$kind" != truncated ] && return 0
    case "$file" in
    *.wav) return 1 ;;
    *.tga | *.bmp) return 1 ;;
    esac
    return 0
}

damage() {
    local kind=$1 file=$2 dir=$3 size
    rm -f "$dir/$file"
    size=$(stat -c %s "$source_dir/$file")
    case "$kind" in
    missing) ;;
    empty) : >"$dir/$file" ;;
    truncated) head -c $((size / 2)) "$source_dir/$file" >"$dir/$file" ;;
    random) head -c "$size" /dev/urandom >"$dir/$file" ;;
    esac
}

passed=0
failed=0

run_case() {
    local kind=${1%%:*} target=${1#*:} dir problems=() file line
    dir=$(mktemp -d /tmp/lullvane-broken-XXXXXX)
    # Hard links keep the copy cheap; damage() unlinks before it writes.
    cp -al "$source_dir/." "$dir/"
    cp "$program" "$dir/$name.bin"
    local files=()
    if [ "$target" = all ]; then
        mapfile -t files < <(content_files)
    else
        files=("$target")
    fi
    for file in "${files[@]}"; do damage "$kind" "$file" "$dir"; done

    pushd "$dir" >/dev/null
    if lullvane_launch "./$name.bin" "$dir/game.log"; then
        lullvane_wait_for "Setting up complete, entering main loop" 1 120 || problems+=("start-up did not complete")
        local scene
        for scene in 1 2 3 4; do
            [ ${#problems[@]} -eq 0 ] || break
            lullvane_next_scene || problems+=("Enter did not enter scene $scene")
            sleep 0.5
        done
        [ ${#problems[@]} -eq 0 ] &&
            { lullvane_press Escape " physics models" $(($(lullvane_lines " physics models") + 1)) ||
                problems+=("Escape did not return to the intro"); }
        lullvane_quit
        local code=$?
        [ "$code" -eq 0 ] || problems+=("exit code $code")
    else
        problems+=("no window titled Lullvane")
        wait "$game" 2>/dev/null
        problems+=("exit code $?")
    fi
    popd >/dev/null

    for file in "${files[@]}"; do
        message_required "$kind" "$file" || continue
        # With every scene file gone no material asks for an image or a shader.
        if [ "$target" = all ]; then
            case "$file" in textures/* | shader/*) continue ;; esac
        fi
        while IFS= read -r line; do
            [ -n "$line" ] || continue
            grep -q -F -- "$line" "$dir/game.log" || problems+=("no message \"$line\"")
        done < <(expected_lines "$kind" "$file")
    done
    if grep -q -E 'AddressSanitizer|runtime error:|LeakSanitizer' "$dir/game.log"; then
        problems+=("sanitizer report")
    fi

    local gl
    gl=$(grep -c '^GL: ' "$dir/game.log")
    if [ ${#problems[@]} -eq 0 ]; then
        echo "PASS $name $kind:$target (GL error lines: $gl)"
        passed=$((passed + 1))
        rm -rf "$dir"
    else
        echo "FAIL $name $kind:$target: $(printf '%s; ' "${problems[@]}")kept in $dir"
        tail -n 20 "$dir/game.log" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
}

for c in "$@"; do run_case "$c"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
