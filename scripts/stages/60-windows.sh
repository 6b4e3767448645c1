#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows side. Cross-builds the Win32 program, its installer and its test stand-ins for
# 32-bit Windows (the product, "CV Example.exe") and 64-bit Windows with mingw-w64, warnings as
# errors for the compiler and windres; checks that both programs import only the DLLs Windows
# never looks for beside them and carry the version record and icon group; and runs under wine,
# each in a copy of one booted 64-bit prefix, on private X servers: the installer's tests
# (tests/e2e/test_installer.py) for both, and the end-to-end tests (tests/e2e/test_win32.py), all
# of them for the i686 product and those that depend on the bitness for x86_64. Where this kernel
# cannot run 32-bit programs, which is probed first (CORVANE_RUN_32BIT=yes or no overrides the
# probe), x86_64 gets all of them instead. It prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

# A first start of wine in a new prefix takes some seconds; these bound each step all the same.
boot_timeout=300
test_timeout=600
# The DLLs the program may import: KnownDLLs, which Windows loads from its own folder only, and
# COMCTL32, which the manifest sends to the side-by-side store. Any other DLL would be looked for
# beside the program first; the program loads those (RasApi32, OLEACC, OLE32, OLEAUT32) at run
# time from the system folder, and everything else is linked in.
allowed_imports='ADVAPI32|COMCTL32|GDI32|IMM32|KERNEL32|msvcrt|USER32'
wine64=/usr/lib/wine/wine64
root=$PWD
started=$SECONDS

install_windows_packages
if runs_32bit_programs; then
    run_32bit=yes
else
    run_32bit=
    why_not_32bit="this kernel cannot run 32-bit programs"
    [ -n "${CORVANE_RUN_32BIT:-}" ] && why_not_32bit="CORVANE_RUN_32BIT=$CORVANE_RUN_32BIT"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-windows.XXXXXX")
prefixes=()

# Everything wine runs here sees a private prefix and home, and neither the Mono and Gecko
# installers nor the desktop-menu writer. Each end-to-end test brings its own display.
in_prefix() {
    local prefix=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" WINEPREFIX="$prefix" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" "$@"
}

cleanup() {
    local prefix
    # Ends each prefix's wine server and whatever still runs in it: only what started here.
    for prefix in "${prefixes[@]}"; do
        in_prefix "$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home"

# check_program FILE OBJDUMP FORMAT: the file is a GUI program of that format that imports only
# the allowed DLLs.
check_program() {
    local file=$1 format=$3 headers imports unexpected
    headers=$("$2" -p "$file") || fail "$file cannot be read"
    grep -q "file format $format\$" <<<"$headers" || fail "$file is not of format $format"
    grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "$file is not a GUI program"
    imports=$(sed -n 's/^\tDLL Name: //p' <<<"$headers")
    unexpected=$(grep -viE "^($allowed_imports)\.dll\$" <<<"$imports" || true)
    [ -z "$unexpected" ] || fail "$file imports DLLs that Windows may look for beside it:" $unexpected
    say "ok: $file ($format) imports only" $imports
}

for target in win64 win32; do
    say "cross-building the $target preset and its installer"
    cmake --preset "$target" >/dev/null
    cmake --build --preset "$target" --target all msi
done
check_program "build-win64/CV Example.exe" x86_64-w64-mingw32-objdump pei-x86-64
check_program "build-win32/CV Example.exe" i686-w64-mingw32-objdump pei-i386
for build in build-win64 build-win32; do
    (cd tests/e2e && CORVANE_WIN32_BINARY="$root/$build/CV Example.exe" \
        /usr/bin/python3 -m unittest test_win32.ExecutableTest) ||
        fail "the version record or icon group of $build/CV Example.exe, above"
done
say "ok: both programs carry the version record and the icon group"

# The installers, and each again at a higher version for the upgrade test: Windows Installer
# compares only the first three fields, so nothing is older than the product's 0.0.0.1.
declare -A installer
for arch in x64 x86; do
    build=build-win64
    [ "$arch" = x86 ] && build=build-win32
    installer[$arch]=$(ls "$build"/Corvane-*-"$arch".msi)
    wixl --arch "$arch" --define ProductVersion=0.0.1.0 --output "$work/newer-$arch.msi" \
        "$build/corvane.wxs"
done

# One 64-bit prefix, booted once; every run below gets a copy of its own, as fresh as the first.
# The 32-bit programs run in it as on 64-bit Windows, with wine32's loader.
say "making a private wine prefix"
in_prefix "$work/booted" WINEARCH=win64 timeout "$boot_timeout" "$wine64" wineboot -i >/dev/null 2>&1 ||
    fail "wine could not set up its prefix"
in_prefix "$work/booted" /usr/lib/wine/wineserver -k 2>/dev/null || true

# run_under_wine NAME BUILD LOADER TESTS...: the tests (names for python's unittest in
# tests/e2e) against the build's program, in a copy of the booted prefix.
run_under_wine() {
    local name=$1 build=$2 loader=$3 prefix="$work/prefix-$1" arch=x64
    shift 3
    [ "$build" = build-win32 ] && arch=x86
    prefixes+=("$prefix")
    cp -a "$work/booted" "$prefix"
    say "running $name under wine"
    (cd tests/e2e && in_prefix "$prefix" timeout "$test_timeout" env \
        CORVANE_WIN32_BINARY="$root/$build/CV Example.exe" \
        CORVANE_WIN32_HELPERS="$root/$build/tests/platform/windows" \
        CORVANE_MSI="$root/${installer[$arch]}" CORVANE_MSI_NEWER="$work/newer-$arch.msi" \
        CORVANE_WINE="$loader" CORVANE_ASSETS="$root/assets" PYTHONDONTWRITEBYTECODE=1 \
        /usr/bin/python3 -m unittest -v "$@") || fail "$name failed"
    rm -rf "$prefix"
}

# The i686 product gets every test where this kernel runs 32-bit programs, and the x86_64 build
# those that depend on the bitness; elsewhere the x86_64 build gets every test, so that nothing
# goes untested.
run_under_wine "the x86_64 installer" build-win64 "$wine64" test_installer
if [ -n "$run_32bit" ]; then
    run_under_wine "the i686 end-to-end tests" build-win32 wine test_win32.Win32WindowTest
    run_under_wine "the i686 installer" build-win32 wine test_installer
    run_under_wine "the x86_64 tests of what depends on the bitness" build-win64 "$wine64" \
        test_win32.bitness_dependent
    say "ok in $((SECONDS - started)) s: both builds, their imports, version records and" \
        "installers; every end-to-end test of the i686 product, and for x86_64 those that" \
        "depend on the bitness"
else
    run_under_wine "the x86_64 end-to-end tests" build-win64 "$wine64" test_win32.Win32WindowTest
    note_skip 32bit "the i686 product's end-to-end and installer tests under wine" "$why_not_32bit"
    say "ok in $((SECONDS - started)) s: both builds, their imports, version records and" \
        "installers; every end-to-end test of the x86_64 build and its installer; the i686" \
        "product checked from its bytes only"
fi
