#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvane as a person installing it meets it: the menu entry and the software-centre entry pass
# their validators and the manual page man's, `cmake --install` lays out exactly the expected
# files, and CPack's Debian package carries them with dependencies read from the program, has
# nothing for lintian to report, installs with dpkg, starts from its menu entry's command under a
# private X server with the right title, and removes cleanly.
#
# It installs the package into this machine (as CI does, as root), so it refuses to run where a
# package or a program called corvane is installed already, and removes its own package on any
# exit. CORVANE_BUILD_DIR names the build to package (build/ by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/test.txt scripts/packages/test-desktop.txt

build=${CORVANE_BUILD_DIR:-build}
package_name=corvane
desktop_file=data/corvane.desktop
metainfo_file=data/corvane.metainfo.xml
manual_page=data/corvane.1
changelog=data/changelog
icon_sides=(16 32 48 64 128)
# Where the Exit button is in the window.
exit_button=(232 272)

fail() {
    say "FAILED: $*"
    exit 1
}

work=$(mktemp -d)
xvfb_pid= corvane_pid= installed_here=
cleanup() {
    [ -n "$corvane_pid" ] && kill "$corvane_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    if [ -n "$installed_here" ]; then
        say "removing the package installed by this stage"
        dpkg --purge "$package_name" >/dev/null || say "could not remove $package_name"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# validate_entries DESKTOP_FILE METAINFO_FILE: both validators must pass and report nothing.
validate_entries() {
    local report
    report=$(desktop-file-validate "$1" 2>&1) || fail "desktop-file-validate $1: $report"
    [ -z "$report" ] || fail "desktop-file-validate $1 reports: $report"
    report=$(appstreamcli validate --no-net --pedantic "$2" 2>&1) ||
        fail "appstreamcli validate $2: $report"
    ! grep -E '^[EWIP]: ' <<<"$report" || fail "appstreamcli validate $2 reports the above"
    say "ok: $1 and $2 pass desktop-file-validate and appstreamcli validate --no-net --pedantic"
}

# check_manual_page PAGE: man formats it without a warning, and its NAME line serves whatis.
check_manual_page() {
    local report
    report=$(man --warnings -l "$1" 2>&1 >/dev/null) || fail "man -l $1: $report"
    [ -z "$report" ] || fail "man --warnings -l $1 reports: $report"
    lexgrog "$1" >/dev/null || fail "lexgrog finds no NAME line for whatis in $1"
    say "ok: $1 formats without warnings and has a NAME line for whatis"
}

# The files a prefix P must hold, relative to it.
expected_files() {
    printf '%s\n' bin/corvane share/applications/corvane.desktop \
        share/metainfo/corvane.metainfo.xml share/doc/corvane/copyright \
        share/doc/corvane/changelog.gz share/man/man1/corvane.1.gz
    local side
    for side in "${icon_sides[@]}"; do
        printf 'share/icons/hicolor/%sx%s/apps/corvane.png\n' "$side" "$side"
    done
}

# check_compressed FILE SOURCE: FILE is SOURCE after gzip -9n (no name, no time stamp).
check_compressed() {
    local kind
    kind=$(file -b "$1")
    [[ $kind == "gzip compressed data, max compression, from Unix"* ]] ||
        fail "$1 is not compressed with gzip -9n: $kind"
    cmp -s <(zcat "$1") "$2" || fail "$1 does not hold $2"
}

# check_layout PREFIX: exactly the expected files, the icons each the committed picture.
check_layout() {
    local prefix=$1 side icon
    diff <(expected_files | sort) <(cd "$prefix" && find . -type f -printf '%P\n' | sort) ||
        fail "$prefix holds other files than expected (diff above: < expected, > found)"
    [ -x "$prefix/bin/corvane" ] || fail "$prefix/bin/corvane is not executable"
    for side in "${icon_sides[@]}"; do
        icon=$prefix/share/icons/hicolor/${side}x${side}/apps/corvane.png
        file -b "$icon" | grep -q "^PNG image data, $side x $side," ||
            fail "$icon is not a $side x $side PNG: $(file -b "$icon")"
        cmp -s "$icon" "assets/icons/corvane-$side.png" ||
            fail "$icon is not assets/icons/corvane-$side.png"
    done
    # Compressed as Debian's tools do: the best compression, with no name or time stamp.
    check_compressed "$prefix/share/man/man1/corvane.1.gz" "$manual_page"
    check_compressed "$prefix/share/doc/corvane/changelog.gz" "$changelog"
    say "ok: $prefix holds exactly the program, the manual page, the menu entry, the metainfo," \
        "the licence, the changelog and the icon at ${icon_sides[*]} pixels"
}

[ -x "$build/corvane" ] || fail "no program in $build/: build first (./test.sh does)"

# 1. The entries and the manual page as written.
validate_entries "$desktop_file" "$metainfo_file"
check_manual_page "$manual_page"

# 2. cmake --install into a fresh prefix.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_layout "$work/prefix"
validate_entries "$work/prefix/share/applications/corvane.desktop" \
    "$work/prefix/share/metainfo/corvane.metainfo.xml"
check_manual_page "$work/prefix/share/man/man1/corvane.1.gz"

# 3. The Debian package.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >/dev/null
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "CPack made no single .deb: ${debs[*]}"
deb=${debs[0]}
field() { dpkg-deb --field "$deb" "$1"; }
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$(field Package)" = "$package_name" ] || fail "the package is called $(field Package)"
[ "$(field Version)" = "$project_version" ] ||
    fail "the package's version $(field Version) is not the project's $project_version"
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -Eq "(^|, )${library//+/\\+}( \(>= [^)]+\))?(,|$)" <<<"$depends" ||
        fail "Depends lacks $library: $depends"
done
description=$(field Description)
summary=$(head -n 1 <<<"$description")
body_lines=$(tail -n +2 <<<"$description" | grep -c '[[:alpha:]]' || true)
[ ${#summary} -ge 20 ] && [ ${#summary} -le 80 ] && [ "$body_lines" -ge 4 ] ||
    fail "the Description is not a summary line and a paragraph: $description"
diff <(expected_files | sed 's|^|usr/|' | sort) \
    <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort) ||
    fail "the package holds other files than expected (diff above: < expected, > found)"
say "ok: $(basename "$deb"): version $project_version, Depends computed from the program" \
    "($depends), a real Description, the installed files under /usr"
# lintian, its pedantic and informational tags included, must have nothing to say. Run as root,
# it warns that it is: that line is about this machine, not the package.
lintian_status=0
report=$(lintian --display-info --pedantic "$deb" 2>&1) || lintian_status=$?
report=$(grep -vx 'running with root privileges is not recommended!' <<<"$report" || true)
[ "$lintian_status" -eq 0 ] && [ -z "$report" ] ||
    fail "lintian (exit status $lintian_status) reports on $(basename "$deb"): $report"
say "ok: lintian --display-info --pedantic reports nothing on $(basename "$deb")"

# 4. Install it into this machine.
if dpkg-query -W -f='${Status}\n' "$package_name" 2>/dev/null | grep -q ' installed$'; then
    fail "a $package_name package is installed already; remove it first"
fi
if [ -e /usr/bin/corvane ]; then
    fail "/usr/bin/corvane exists already and belongs to no package; remove it first"
fi
installed_here=yes
dpkg --install "$deb" >/dev/null || fail "dpkg --install $deb"
dpkg-query -W -f='${Status}\n' "$package_name" | grep -q ' installed$' ||
    fail "dpkg does not list $package_name as installed"
while read -r path; do
    [ -e "/$path" ] || fail "/$path is missing after the install"
done < <(expected_files | sed 's|^|usr/|')
say "ok: dpkg installed $package_name"

# 5. Start it as the menu would: the entry's command, found on the PATH.
command_line=$(sed -n 's/^Exec=//p' /usr/share/applications/corvane.desktop)
program=$(PATH=/usr/bin:/bin command -v "$command_line") ||
    fail "the menu's command $command_line is not on the PATH"
[ "$program" = /usr/bin/corvane ] || fail "the menu's command resolves to $program"

display_file=$work/display
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
timeout 30 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$display_file" ||
    fail "Xvfb did not start"
display=":$(tr -d '[:space:]' <"$display_file")"
mkdir -m 700 "$work/home" "$work/runtime"
env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" DISPLAY="$display" \
    "$program" >"$work/stdout" 2>"$work/stderr" &
corvane_pid=$!
window=$(DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --pid "$corvane_pid" \
    --name '^Corvane \(' | head -n 1) || fail "the installed program showed no window"
title=$(DISPLAY=$display xdotool getwindowname "$window")
[[ $title =~ ^Corvane\ \((Online|Offline)\)$ ]] || fail "the window is titled '$title'"
DISPLAY=$display xdotool mousemove --window "$window" "${exit_button[@]}" click 1
status=0
timeout 15 sh -c 'while kill -0 "$1" 2>/dev/null; do sleep 0.05; done' sh "$corvane_pid" ||
    fail "the installed program did not end on Exit"
wait "$corvane_pid" || status=$?
corvane_pid=
[ "$status" -eq 0 ] || fail "the installed program exited with status $status"
[ ! -s "$work/stderr" ] || fail "the installed program wrote to stderr: $(cat "$work/stderr")"
say "ok: /usr/bin/corvane, started by the menu entry's command, showed '$title' and ended on Exit"

# 6. Remove it again.
installed_here=
dpkg --purge "$package_name" >/dev/null || fail "dpkg --purge $package_name"
if dpkg-query -W -f='${Status}\n' "$package_name" 2>/dev/null | grep -q ' installed$'; then
    fail "$package_name is still installed"
fi
while read -r path; do
    [ ! -e "/$path" ] || fail "/$path is left after the removal"
done < <(expected_files | sed 's|^|usr/|')
[ ! -e /usr/share/doc/corvane ] || fail "/usr/share/doc/corvane is left after the removal"
say "ok: dpkg --purge removed $package_name and every file it had installed"
