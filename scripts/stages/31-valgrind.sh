#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# valgrind's memcheck on the real program as a person uses it: the end-to-end keyboard journey
# (start, Return and Escape in the boxes, names typed, Login by Space and Return, Tab both ways,
# Exit) with the program run under memcheck. It fails on any error memcheck reports (invalid
# accesses, uninitialised values used) and on any block definitely lost, except those that
# tests/valgrind/qt-platform.supp explains, all of them inside the platform's libraries.
# CORVANE_BUILD_DIR names the build whose program is run (build/ by default).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test*.txt

build=$(realpath "${CORVANE_BUILD_DIR:-build}")
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# A child that the platform's libraries fork and end without exec is a copy of the program whose
# threads are gone; its report would be about them, not about the program.
memcheck="valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite
    --errors-for-leak-kinds=definite --error-exitcode=99 --child-silent-after-fork=yes
    --num-callers=40 --suppressions=$PWD/tests/valgrind/qt-platform.supp
    --log-file=$logs/memcheck.%p.log"
# memcheck runs the program some thirty times slower than it runs alone. Any error it reports,
# or a block definitely lost, makes the program's exit status 99, which fails the journey.
if ! (cd tests/e2e && CORVANE_RUN_UNDER="$memcheck" CORVANE_TIMEOUT=180 \
    CORVANE_BINARY="$build/corvane" CORVANE_SETTINGS_WRITER="$build/tests/platform/linux/settingswriter" \
    CORVANE_ASSETS="$PWD/../../assets" /usr/bin/python3 -m unittest test_window.QtWindowTest.test_keyboard); then
    sed -E 's/^==[0-9]+== ?//' "$logs"/memcheck.*.log >&2
    fail "the journey under memcheck (exit status 99: memcheck's findings), see above"
fi
shopt -s nullglob
ran=("$logs"/memcheck.*.log)
# No report: the journey skipped as allowed (test.sh names what it lacked), or memcheck never ran.
if [ ${#ran[@]} -eq 0 ]; then
    grep -q test_keyboard "${CORVANE_SKIP_LOG:-/dev/null}" || fail "memcheck ran nothing"
    exit 0
fi
grep -hE 'ERROR SUMMARY|definitely lost:' "${ran[@]}" | sed -E 's/^==[0-9]+== +//' >&2
say "ok: the keyboard journey under memcheck: no errors and no block definitely lost"
