#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole CTest suite once more, built with clang under AddressSanitizer (LeakSanitizer with
# it) and UndefinedBehaviorSanitizer in a second build folder. The end-to-end tests then drive
# the sanitized program, and the libFuzzer target's kept corpus is replayed as one of the tests.
# It passes when every test passes and no sanitizer wrote a report, from any process.
# CORVANE_SANITIZER_BUILD_DIR names the folder (build-sanitizers/ by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test*.txt

build=${CORVANE_SANITIZER_BUILD_DIR:-build-sanitizers}
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT

sanitizers=address,undefined
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS=-fsanitize=$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=$sanitizers" >/dev/null
cmake --build "$build"

# Every report goes to a file of its own in $reports, whichever process writes it: the tests'
# children (the program, the settings writers) report there too.
# allocator_may_return_null: a settings file can ask Qt's deserialiser for gigabytes, which
# glibc refuses and Qt survives; AddressSanitizer would otherwise end the process instead.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:allocator_may_return_null=1:log_path=$reports/asan"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"

status=0
ctest --test-dir "$build" --output-on-failure --timeout 900 || status=$?

# The durability tests kill settings writers with SIGKILL at random moments, and a kill can land
# while LeakSanitizer is checking the writer at its exit. Its checker then writes only "Unable to
# get registers from thread N", or nothing at all when the kill came between opening the file and
# writing. Such files hold no finding: they are named, not counted. Anything else is a report.
shopt -s nullglob
found=()
for report in "$reports"/*; do
    if ! grep -qvE '^==[0-9]+==Unable to get registers from thread [0-9]+\.$' "$report"; then
        say "note: ${report##*/} holds no finding (a process killed during its exit-time leak check)"
        continue
    fi
    found+=("$report")
    say "report ${report##*/}:"
    head -n 40 "$report" >&2
done
if [ "${#found[@]}" -ne 0 ]; then
    say "FAILED: the sanitizers wrote ${#found[@]} reports, above"
    exit 1
fi
if [ "$status" -ne 0 ]; then
    say "FAILED: tests failed in the sanitizer build"
    exit 1
fi
say "ok: the whole suite passes under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer with no report"
