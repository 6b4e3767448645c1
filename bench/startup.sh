#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The start-up benchmark: time from exec to the first painted frame, and peak resident memory at
# that moment, of Corvane beside the floor (a minimal Qt window of the same shape, and a bare Xlib
# window) and the peers a user could run instead for such a prompt. All run round-robin under one
# private Xvfb with no window manager, measured from outside by build/bench/corvane-firstframe.
#
#   bench/startup.sh [--runs N] [--warmup N] [--install-peers] [--no-peers]
#                    [--also NAME=COMMAND]...
#
# --install-peers installs the peers' Debian packages first (ssh-askpass, ssh-askpass-gnome,
# lxqt-openssh-askpass, zenity); without it, the peers that are installed are measured.
# --also adds a program to the same round-robin under NAME (letters, digits, '.', '_', '-'), such
# as another build of Corvane: --also corvane-lazy=build-lazy/corvane. COMMAND is split at blanks.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

usage() {
    say "usage: bench/startup.sh [--runs N] [--warmup N] [--install-peers] [--no-peers]" \
        "[--also NAME=COMMAND]..."
    exit 2
}

runs=31 warmup=3 install_peers=no peers=yes also=()
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --install-peers) install_peers=yes; shift ;;
    --no-peers) peers=no; shift ;;
    --also)
        [[ ${2-} =~ ^([A-Za-z0-9._-]+)=(.*[^[:space:]].*)$ ]] || usage
        also+=("${BASH_REMATCH[1]}|${BASH_REMATCH[2]}")
        shift 2
        ;;
    *) usage ;;
    esac
done

setup_build scripts/packages/headless.txt
if [ "$install_peers" = yes ]; then
    install_packages ssh-askpass ssh-askpass-gnome lxqt-openssh-askpass zenity
fi

measure=build/bench/corvane-firstframe
# name|command: the programs, in the order of the table. qt-floor is the reference.
programs=(
    "corvane|build/corvane"
    "qt-floor|build/bench/qt-floor"
    "xlib-floor|build/bench/xlib-floor"
)
if [ "$peers" = yes ]; then
    [ -x /usr/libexec/ssh-askpass/x11-ssh-askpass ] && programs+=("x11-ssh-askpass|/usr/libexec/ssh-askpass/x11-ssh-askpass")
    [ -x /usr/lib/openssh/gnome-ssh-askpass ] && programs+=("gnome-ssh-askpass|/usr/lib/openssh/gnome-ssh-askpass")
    command -v lxqt-openssh-askpass >/dev/null && programs+=("lxqt-openssh-askpass|lxqt-openssh-askpass")
    command -v zenity >/dev/null && programs+=("zenity|zenity --forms --add-entry=Username --add-password=Password")
fi
for entry in "${also[@]}"; do
    for known in "${programs[@]}"; do
        if [ "${known%%|*}" = "${entry%%|*}" ]; then
            say "--also ${entry%%|*}: that name is taken"
            exit 2
        fi
    done
    programs+=("$entry")
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# One private X server for the whole run, with no window manager; a fresh home for every program
# so that none finds another's settings.
start_private_display "$work"
mkdir -m 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME"
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER

# The tool must not take the server's background clear for a frame, and must not miss the
# fastest client there is.
if "$measure" --timeout-ms 1500 -- build/bench/never-paints >/dev/null 2>&1; then
    say "corvane-firstframe counted a window that never paints: the measure is broken"
    exit 1
fi
"$measure" -- build/bench/xlib-floor >/dev/null

# A program's command, split at its blanks, measured.
measure_one() {
    local -a command
    read -r -a command <<<"$1"
    "$measure" -- "${command[@]}"
}
round_robin "$work" "$warmup" "$runs" measure_one "${programs[@]}"

read -r floor_ms _ _ < <(run_stats "$work/qt-floor.runs" 1)
read -r floor_kb _ _ < <(run_stats "$work/qt-floor.runs" 2)
printf '\nStart-up to first frame under Xvfb, %d runs each after %d warm-up rounds, round-robin.\n' \
    "$runs" "$warmup"
printf '%-22s %30s %10s %30s %10s\n' "program" "first frame ms: median (min-max)" "x qt-floor" \
    "VmHWM MB: median (min-max)" "x qt-floor"
for entry in "${programs[@]}"; do
    name=${entry%%|*}
    read -r ms ms_min ms_max < <(run_stats "$work/$name.runs" 1)
    read -r kb kb_min kb_max < <(run_stats "$work/$name.runs" 2)
    awk -v n="$name" -v ms="$ms" -v a="$ms_min" -v b="$ms_max" -v kb="$kb" -v c="$kb_min" \
        -v d="$kb_max" -v fms="$floor_ms" -v fkb="$floor_kb" 'BEGIN {
        printf "%-22s %30s %10.2f %30s %10.2f\n", n,
            sprintf("%.1f (%.1f-%.1f)", ms, a, b), ms / fms,
            sprintf("%.1f (%.1f-%.1f)", kb / 1024, c / 1024, d / 1024), kb / fkb }'
done

# The targets, from this run's medians.
read -r corvane_ms _ _ < <(run_stats "$work/corvane.runs" 1)
read -r corvane_kb _ _ < <(run_stats "$work/corvane.runs" 2)
verdicts=$(awk -v c="$corvane_ms" -v f="$floor_ms" 'BEGIN { printf "first frame %.2f x qt-floor (target 1.05): %s\n", c / f, c <= 1.05 * f ? "met" : "NOT met" }')
verdicts+=$'\n'$(awk -v c="$corvane_kb" -v f="$floor_kb" 'BEGIN { printf "VmHWM %.3f x qt-floor (target 1.05): %s\n", c / f, c <= 1.05 * f ? "met" : "NOT met" }')
for peer in gnome-ssh-askpass lxqt-openssh-askpass zenity; do
    [ -f "$work/$peer.runs" ] || continue
    read -r peer_ms _ _ < <(run_stats "$work/$peer.runs" 1)
    verdicts+=$'\n'$(awk -v c="$corvane_ms" -v p="$peer_ms" -v n="$peer" 'BEGIN { printf "first frame %.2f x %s (target 0.70): %s\n", c / p, n, c <= 0.70 * p ? "met" : "NOT met" }')
done
printf '\n%s\n' "$verdicts"
