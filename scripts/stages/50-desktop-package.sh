#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Corvane as a person installing it meets it: the menu entry and the software-centre entry pass
# their validators and the manual page man's, `cmake --install` lays out exactly the expected
# files, and CPack's Debian package carries them with dependencies read from the program, has
# nothing for lintian to report, installs with dpkg, passes the end-to-end check of the window
# as installed, started by its menu entry's command, and removes cleanly.
#
# It installs the package into this machine (as CI does, as root), so it refuses to run where a
# package or a program called corvane is installed already, and removes its own package on any
# exit. CORVANE_BUILD_DIR names the build to package (build/ by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/test.txt scripts/packages/test-desktop.txt

build=$(realpath "${CORVANE_BUILD_DIR:-build}")
package_name=corvane
icon_sides=(16 32 48 64 128)

work=$(mktemp -d)
installed_here=
cleanup() {
    if [ -n "$installed_here" ]; then
        say "removing the package installed by this stage"
        dpkg --purge "$package_name" >/dev/null || say "could not remove $package_name"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The files a prefix must hold, relative to it.
expected_files() {
    printf '%s\n' bin/corvane share/applications/corvane.desktop \
        share/metainfo/corvane.metainfo.xml share/doc/corvane/copyright \
        share/doc/corvane/changelog.gz share/man/man1/corvane.1.gz
    local side
    for side in "${icon_sides[@]}"; do
        printf 'share/icons/hicolor/%sx%s/apps/corvane.png\n' "$side" "$side"
    done
}

[ -x "$build/corvane" ] || fail "no program in $build/: build first (./test.sh does)"

# 1. The entries and the manual page as written.
report=$(desktop-file-validate data/corvane.desktop 2>&1) && [ -z "$report" ] ||
    fail "desktop-file-validate reports: $report"
report=$(appstreamcli validate --no-net --pedantic data/corvane.metainfo.xml 2>&1) &&
    ! grep -E '^[EWIP]: ' <<<"$report" || fail "appstreamcli validate reports: $report"
report=$(man --warnings -l data/corvane.1 2>&1 >/dev/null) && [ -z "$report" ] ||
    fail "man --warnings reports on data/corvane.1: $report"
lexgrog data/corvane.1 >/dev/null || fail "lexgrog finds no NAME line for whatis in data/corvane.1"
say "ok: the menu entry, the metainfo and the manual page pass their validators"

# 2. cmake --install into a fresh prefix: exactly the expected files, the entries and icons the
# committed ones.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
diff <(expected_files | sort) <(cd "$work/prefix" && find . -type f -printf '%P\n' | sort) ||
    fail "the install holds other files than expected (diff above: < expected, > found)"
for side in "${icon_sides[@]}"; do
    cmp "$work/prefix/share/icons/hicolor/${side}x${side}/apps/corvane.png" \
        "assets/icons/corvane-$side.png" || fail "the $side-pixel icon is not the committed one"
done
cmp "$work/prefix/share/applications/corvane.desktop" data/corvane.desktop &&
    cmp "$work/prefix/share/metainfo/corvane.metainfo.xml" data/corvane.metainfo.xml ||
    fail "the installed entries are not the committed ones"
say "ok: cmake --install lays out exactly the expected files"

# 3. The Debian package: the same files under /usr, dependencies read from the program, and
# nothing for lintian, its pedantic and informational tags included, to say. Run as root,
# lintian warns that it is: that line is about this machine, not the package.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >/dev/null
deb=$(find "$work/package" -maxdepth 1 -name '*.deb')
[ "$(wc -l <<<"$deb")" -eq 1 ] && [ -f "$deb" ] || fail "CPack made no single .deb: $deb"
diff <(expected_files | sed 's|^|usr/|' | sort) \
    <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort) ||
    fail "the package holds other files than expected (diff above: < expected, > found)"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -Eq "(^|, )${library//+/\\+}( \(>= [^)]+\))?(,|$)" <<<"$depends" ||
        fail "Depends lacks $library: $depends"
done
status=0
report=$(lintian --display-info --pedantic "$deb" 2>&1) || status=$?
report=$(grep -vx 'running with root privileges is not recommended!' <<<"$report" || true)
[ "$status" -eq 0 ] && [ -z "$report" ] || fail "lintian (status $status) reports: $report"
say "ok: $(basename "$deb"): the files under /usr, Depends $depends, nothing from lintian"

# 4. Install it, and check the window of the program that the menu entry starts.
if dpkg-query -W -f='${Status}\n' "$package_name" 2>/dev/null | grep -q ' installed$' ||
    [ -e /usr/bin/corvane ]; then
    fail "corvane is installed already; remove it first"
fi
installed_here=yes
dpkg --install "$deb" >/dev/null || fail "dpkg --install $deb"
program=$(PATH=/usr/bin:/bin command -v "$(sed -n 's/^Exec=//p' \
    /usr/share/applications/corvane.desktop)") || fail "the menu's command is not on the PATH"
(cd tests/e2e && CORVANE_BINARY="$program" CORVANE_ASSETS="$PWD/../../assets" \
    CORVANE_SETTINGS_WRITER="$build/tests/platform/linux/settingswriter" \
    /usr/bin/python3 -m unittest test_window.QtWindowTest.test_window_as_shown) ||
    fail "the installed program's window, above"
say "ok: dpkg installed $package_name; its menu entry starts $program, whose window is as shown"

# 5. Remove it again.
installed_here=
dpkg --purge "$package_name" >/dev/null || fail "dpkg --purge $package_name"
while read -r path; do
    [ ! -e "/$path" ] || fail "/$path is left after the removal"
done < <(expected_files | sed 's|^|usr/|')
[ ! -e /usr/share/doc/corvane ] || fail "/usr/share/doc/corvane is left after the removal"
say "ok: dpkg --purge removed $package_name and every file it had installed"
