#!/usr/bin/env bash
# Pictures of the window on screens too small for it, each on an Xvfb desktop with openbox and a
# bottom panel that keeps its strip of the screen (trayer): 1366×768, and 1920×1080 at 150 %.
# Usage: scripts/fit-pictures.sh [build folder]   (writes docs/images/fit-*.png)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/images
mkdir -p "$out"
work=$(mktemp -d)
pids=()
stop() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    pids=()
}
trap 'stop; rm -rf "$work"' EXIT

# picture WIDTHxHEIGHT SCALE PANEL-HEIGHT FILE
picture() {
    local size=$1 scale=$2 panel=$3 file=$4
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -dpi 96 -noreset 3>"$work/display" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    openbox --sm-disable & pids+=($!)
    sleep 1
    trayer --edge bottom --align left --widthtype percent --width 100 --height "$panel" \
        --SetDockType true --SetPartialStrut true --transparent false & pids+=($!)
    sleep 1
    rm -rf "$work/program" "$work/config"
    mkdir -p "$work/program"
    cp "$build/quillmark" "$work/program/"
    (cd "$work/program" && exec env XDG_CONFIG_HOME="$work/config" QT_SCALE_FACTOR="$scale" \
        LC_ALL=C.UTF-8 ./quillmark) & pids+=($!)
    local program=$!
    for _ in $(seq 100); do
        xdotool search --onlyvisible --pid "$program" --name Quillmark >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 2
    import -window root "$out/$file"
    echo "$out/$file: work area $(xprop -root _NET_WORKAREA | cut -d= -f2 | cut -d, -f1-4)"
    stop
    rm -f "$work/display"
}

picture 1366x768 1 30 fit-1366x768.png
picture 1920x1080 1.5 45 fit-1920x1080-150.png
