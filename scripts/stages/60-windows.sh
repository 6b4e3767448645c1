#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows side. Cross-builds the Qt-free core, the Windows implementations and their console
# test for 32-bit Windows with mingw-w64 (warnings are errors, for the compiler and for windres),
# and runs the test under wine, against wine's own RasApi32.dll, in a private wine prefix that
# has no display. The Windows files that need Qt, which is not packaged for Windows here, are
# compiled for syntax only, by the same cross compiler against this machine's Qt headers.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

# A first start of wine in a new prefix takes some seconds; these bound each step all the same.
boot_timeout=300
test_timeout=300

fail() {
    say "FAILED: $*"
    exit 1
}

# wine32 is an i386 package: the package lists know it only once that architecture is added.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    can_act_as_root || fail "wine32 needs the i386 architecture: run dpkg --add-architecture i386 as root"
    say "adding the i386 architecture for wine32"
    as_root dpkg --add-architecture i386
fi
mapfile -t packages < <(packages_in scripts/packages/windows.txt)
if [ -n "$(missing_packages "${packages[@]}")" ] &&
    ! apt-cache policy wine32:i386 2>/dev/null | grep -q 'Candidate: [0-9]'; then
    can_act_as_root || fail "the package lists know no wine32:i386: run apt-get update as root"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
fi
install_packages "${packages[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-windows.XXXXXX")
build=$work/build

# Everything wine runs here sees only the private prefix, home and temporary folder (where wine
# keeps its server's socket), no display (so nothing can open a window), and neither the Mono and
# Gecko installers nor the desktop-menu writer.
in_wine() {
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" TMPDIR="$work/tmp" \
        WINEPREFIX="$work/prefix" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" "$@"
}

cleanup() {
    # Ends the prefix's wineserver and whatever still runs in that prefix: only what started here.
    if [ -d "$work/prefix" ]; then
        in_wine wineserver -k 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/tmp"

say "cross-building for i686-w64-mingw32 into $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_CORE_ONLY=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-w64-mingw32.cmake >/dev/null
cmake --build "$build"
test_program=$build/tests/windows/corvane_windows_test.exe
i686-w64-mingw32-objdump -f "$test_program" | grep -q 'file format pei-i386' ||
    fail "$test_program is not a 32-bit Windows program"
say "ok: the core, the Windows implementations, the version resource and the console test build" \
    "for 32-bit Windows with -Wall -Wextra -Wpedantic -Werror (compiler and windres)"

# The Qt-facing Windows files: the launcher's adapter, the platform's choice, and start-up's report
# of a binding failure. Syntax only: there is no Qt for Windows here to link against.
qt_headers=$(qtpaths6 --query QT_INSTALL_HEADERS)
for source in src/launcher/explorerlauncher.cpp src/platform/platformservices_windows.cpp \
    src/app/loadwindow.cpp src/app/program.cpp; do
    i686-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror \
        -DQT_NO_CAST_FROM_ASCII -DQT_NO_CAST_TO_ASCII -DQT_DISABLE_DEPRECATED_UP_TO=0x060400 \
        -Isrc -I"$build/generated" -isystem "$qt_headers" -isystem "$qt_headers/QtCore" \
        -isystem "$qt_headers/QtGui" -isystem "$qt_headers/QtWidgets" "$source" ||
        fail "$source does not compile for Windows"
done
say "ok: the Windows files that need Qt compile for 32-bit Windows (syntax only, Linux Qt headers)"

say "starting wine in a private prefix"
in_wine timeout "$boot_timeout" wineboot -i >/dev/null 2>&1 || fail "wine could not set up its prefix"
say "running the console test under wine"
in_wine timeout "$test_timeout" wine "$test_program" || fail "the Windows console test failed"
# Nothing the test started may outlive it.
in_wine timeout "$boot_timeout" wineserver -w || fail "wine processes were left running"
say "ok: the Windows console test passed under wine"
