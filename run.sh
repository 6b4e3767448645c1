#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Corvane and starts it. With no display at all, it starts the program on a private X
# server instead, saves a screenshot of the window to build/corvane.png and closes it again.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    setup_build
    exec build/corvane
fi

setup_build scripts/packages/headless.txt
screenshot=build/corvane.png
xvfb_pid= corvane_pid=
# A session's private runtime folder, which a desktop login would have made.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    runtime_dir=$XDG_RUNTIME_DIR
fi
cleanup() {
    [ -n "$corvane_pid" ] && kill "$corvane_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    [ -n "${runtime_dir:-}" ] && rm -rf "$runtime_dir"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the file.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
timeout 30 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$display_file"
export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
rm -f "$display_file"

build/corvane &
corvane_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$corvane_pid" --name '^Corvane \(' | head -n 1)
# Let the first frame reach the server before it is read back.
sleep 0.5
import -window "$window" "$screenshot"

# Leave the way a user would: the Exit button.
xdotool mousemove --window "$window" 232 272 click 1
if timeout 10 tail --pid="$corvane_pid" -f /dev/null; then
    corvane_pid=
fi
say "no display: the window was shown on a private X server; its picture is $PWD/$screenshot"
