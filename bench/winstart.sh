#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows start benchmark: the time from exec to the first painted frame of "CV Example.exe"
# under wine, beside a bare Win32 window of the same client size with one button (win32-floor),
# round-robin in one run, under one private Xvfb with no window manager and one private prefix
# whose wine server stays up between the starts. build/bench/corvane-firstframe measures from
# outside, as for bench/startup.sh, and asks each window to close once it has painted.
#
#   bench/winstart.sh [--runs N] [--warmup N] [--preset win64|win32]
#
# win64 (the default) runs the x86_64 build under 64-bit wine; win32 the i686 product under
# wine32, where the kernel runs 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

usage() {
    say "usage: bench/winstart.sh [--runs N] [--warmup N] [--preset win64|win32]"
    exit 2
}
runs=15 warmup=3 preset=win64
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --preset) preset=$2; shift 2 ;;
    *) usage ;;
    esac
done
case "$preset" in
win64) loader=/usr/lib/wine/wine64 ;;
win32) loader=wine ;;
*) usage ;;
esac

setup_build scripts/packages/headless.txt
install_windows_packages
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The display first: wine's desktop binds to the display of the prefix's first program.
start_private_display "$work"
export HOME="$work/home"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
mkdir -p "$HOME"
WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# The wine server, wine's desktop and its services stay up between the starts, as a Windows
# session does, kept by a program that waits for input that never comes (a FIFO opened for
# reading and writing): no start pays for starting them.
/usr/lib/wine/wineserver -k
mkfifo "$work/idle"
/usr/lib/wine/wine64 cmd <>"$work/idle" >/dev/null 2>&1 &

# name|program: the program and its floor, the reference.
programs=("CV Example|build-$preset/CV Example.exe" "win32-floor|build-$preset/bench/win32-floor.exe")
# A program's time to its first frame, under wine; corvane-firstframe prints "ms kB".
measure_one() {
    local result
    result=$(build/bench/corvane-firstframe --close -- "$loader" "$1") || return
    printf '%s\n' "${result%% *}"
}
round_robin "$work" "$warmup" "$runs" measure_one "${programs[@]}"

read -r program program_min program_max < <(run_stats "$work/CV Example.runs" 1)
read -r floor floor_min floor_max < <(run_stats "$work/win32-floor.runs" 1)
printf '\nExec to first frame under wine (%s), %d runs each after %d warm-up rounds, round-robin.\n' \
    "$preset" "$runs" "$warmup"
printf '%-14s %8.1f ms (%.1f-%.1f)\n' "CV Example" "$program" "$program_min" "$program_max" \
    win32-floor "$floor" "$floor_min" "$floor_max"
awk -v p="$program" -v f="$floor" 'BEGIN {
    printf "CV Example %.2f x win32-floor (target 1.05): %s\n", p / f, p <= 1.05 * f ? "met" : "NOT met" }'
