#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# valgrind's memcheck on the real program as a person uses it: start on a private X server, a
# name and a password typed, Login, Exit. It fails on any error memcheck reports (invalid
# accesses, uninitialised values used) and on any block definitely lost, except those that
# tests/valgrind/qt-platform.supp explains, all of them inside the platform's libraries.
# CORVANE_BUILD_DIR names the build whose program is run (build/ by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test-hardening.txt

build=${CORVANE_BUILD_DIR:-build}
suppressions=tests/valgrind/qt-platform.supp
# Where the controls are inside the window.
username_box=(348 148)
password_box=(348 188)
login_button=(232 232)
exit_button=(232 272)
# memcheck runs the program some thirty times slower than it runs alone.
timeout=180

fail() {
    say "FAILED: $*"
    exit 1
}

work=$(mktemp -d)
xvfb_pid= valgrind_pid=
cleanup() {
    [ -n "$valgrind_pid" ] && kill "$valgrind_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
timeout 30 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$work/display" ||
    fail "Xvfb did not start"
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
mkdir -m 700 "$work/home" "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_RUNTIME_DIR=$work/runtime
settings=$XDG_CONFIG_HOME/Corvane/Corvane.conf

# A child that the platform's libraries fork and end without exec is a copy of the program whose
# threads are gone; its report would be about them, not about the program.
valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --error-exitcode=99 --child-silent-after-fork=yes \
    --num-callers=40 --suppressions="$suppressions" --log-file="$work/memcheck.log" \
    "$build/corvane" &
valgrind_pid=$!
window=$(timeout "$timeout" xdotool search --sync --onlyvisible --pid "$valgrind_pid" \
    --name '^Corvane \(' | head -n 1) || fail "no login window within $timeout s"
say "the login window is up under memcheck"

xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" "${username_box[@]}" click 1 \
    key --delay 40 ctrl+a BackSpace type --delay 40 'ann memcheck'
xdotool mousemove --window "$window" "${password_box[@]}" click 1 \
    type --delay 40 'not-a-real-password'
xdotool mousemove --window "$window" "${login_button[@]}" click 1
timeout "$timeout" sh -c 'until grep -q "LastUser=ann memcheck" "$1" 2>/dev/null; do
    sleep 0.2; done' sh "$settings" || fail "Login stored nothing within $timeout s"
say "Login stored the name"
xdotool mousemove --window "$window" "${exit_button[@]}" click 1

status=0
wait "$valgrind_pid" || status=$?
valgrind_pid=
grep -E 'ERROR SUMMARY|definitely lost:' "$work/memcheck.log" | sed -E 's/^==[0-9]+== +//' >&2
if [ "$status" -ne 0 ]; then
    sed -E 's/^==[0-9]+== ?//' "$work/memcheck.log" >&2
    fail "memcheck reported errors (exit status $status), see above"
fi
if grep -E 'definitely lost: [1-9]' "$work/memcheck.log" >/dev/null; then
    fail "blocks were definitely lost"
fi
say "ok: start, Login and Exit under memcheck: no errors and no block definitely lost"
