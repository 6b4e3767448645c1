#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows side. Cross-builds the Win32 program and its test stand-ins for 32-bit Windows
# (the product, "CV Example.exe") and 64-bit Windows with mingw-w64, warnings as errors for the
# compiler and windres; checks that both programs import only Windows' own DLLs and carry the
# version record and icon group; and runs the end-to-end tests of tests/e2e/test_win32.py on
# private X servers against each under wine, in a private prefix. The 32-bit programs run only
# where this kernel runs 32-bit programs, which is probed first (CORVANE_RUN_32BIT=yes or no
# overrides the probe).
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
    say "cross-building the $target preset"
    cmake --preset "$target" >/dev/null
    cmake --build --preset "$target"
done
check_program "build-win64/CV Example.exe" x86_64-w64-mingw32-objdump pei-x86-64
check_program "build-win32/CV Example.exe" i686-w64-mingw32-objdump pei-i386
for build in build-win64 build-win32; do
    (cd tests/e2e && CORVANE_WIN32_BINARY="$root/$build/CV Example.exe" \
        /usr/bin/python3 -m unittest test_win32.ExecutableTest) ||
        fail "the version record or icon group of $build/CV Example.exe, above"
done
say "ok: both programs carry the version record and the icon group"

# run_under_wine BUILD LOADER ARCH: the end-to-end tests of the build, in a new prefix of the
# given architecture.
run_under_wine() {
    local build=$1 loader=$2 prefix="$work/prefix-$3"
    prefixes+=("$prefix")
    say "making a private $3 wine prefix"
    in_prefix "$prefix" WINEARCH="$3" timeout "$boot_timeout" "$loader" wineboot -i >/dev/null 2>&1 ||
        fail "wine could not set up its $3 prefix"
    in_prefix "$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    say "running the end-to-end tests against $build/CV Example.exe under wine"
    (cd tests/e2e && in_prefix "$prefix" timeout "$test_timeout" env \
        CORVANE_WIN32_BINARY="$root/$build/CV Example.exe" \
        CORVANE_WIN32_HELPERS="$root/$build/tests/platform/windows" \
        CORVANE_WINE="$loader" CORVANE_ASSETS="$root/assets" PYTHONDONTWRITEBYTECODE=1 \
        /usr/bin/python3 -m unittest -v test_win32.Win32WindowTest) ||
        fail "the end-to-end tests failed ($build)"
}

run_under_wine build-win64 "$wine64" win64
ran="both builds, their imports, version records and icons; under 64-bit wine: the end-to-end tests (x86_64)"
if [ -n "$run_32bit" ]; then
    run_under_wine build-win32 wine win32
    say "ok in $((SECONDS - started)) s: $ran; under 32-bit wine: the same for the i686 product"
else
    note_skip 32bit "the i686 product's end-to-end tests under wine" "$why_not_32bit"
    say "ok in $((SECONDS - started)) s: $ran; the i686 product built and checked from its bytes only"
fi
