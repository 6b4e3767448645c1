#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Corvane and runs every test. The program's build (build/) is tested end to end through
# CTest, each suite on its own private X server, then by the stages of scripts/stages/ that use
# it. The stages that make builds of their own start in the background as soon as the program is
# built, so that their compiles overlap the end-to-end tests, which mostly wait on the X server:
# the sanitizer build with the unit tests and fuzzing, and the Windows cross builds
# driven under wine. Their output is shown when they end; any failure fails the run.
#
# A test that needs what this machine lacks (a private mount namespace, root) fails unless
# CORVANE_ALLOW_SKIPS names that capability, e.g. CORVANE_ALLOW_SKIPS=namespaces,root; every group
# of tests that did not run is named in the final summary. The i686 product's run under wine
# needs a kernel that runs 32-bit programs; that skip is always allowed, and said.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

# Everything is installed first, so that no two stages run the package manager at once.
install_windows_packages
setup_build scripts/packages/test*.txt

logs=$(mktemp -d)
export CORVANE_SKIP_LOG="$logs/skipped"
: >"$CORVANE_SKIP_LOG"
jobs_running=()
cleanup() {
    local job
    for job in "${jobs_running[@]}"; do
        kill -- "-${job%%:*}" 2>/dev/null || true
    done
    rm -rf "$logs"
}
trap cleanup EXIT

# in_background NAME STAGE...: runs the stages one after the other in a process group of their
# own, their output into a log.
in_background() {
    local name=$1
    shift
    setsid bash -c 'for stage; do printf "test.sh: stage %s\n" "$stage"
        bash "scripts/stages/$stage" || exit 1; done' bash "$@" >"$logs/$name" 2>&1 &
    jobs_running+=("$!:$name")
}
in_background sanitizers 32-sanitizers.sh 33-fuzz.sh
in_background windows 60-windows.sh

say "the program is built, after $SECONDS s"
failed=()
# The unit tests run in the sanitizer build only: the sanitizers find all they would find here.
ctest --test-dir build --output-on-failure --timeout 600 -j3 -LE unit || failed+=(ctest)
for stage in 31-valgrind.sh 34-clang-tidy.sh 50-desktop-package.sh 70-bench-smoke.sh; do
    say "stage $stage, after $SECONDS s"
    bash "scripts/stages/$stage" || failed+=("$stage")
done

for job in "${jobs_running[@]}"; do
    status=0
    wait "${job%%:*}" || status=$?
    cat "$logs/${job#*:}" >&2
    say "${job#*:} ended after $SECONDS s"
    [ "$status" -eq 0 ] || failed+=("${job#*:}")
done
jobs_running=()
while IFS=$'\t' read -r capability what why; do
    case ",32bit,${CORVANE_ALLOW_SKIPS:-}," in
    *",$capability,"*) say "skipped, as allowed: $what ($why)" ;;
    *) say "skipped, not allowed: $what ($why)"; failed+=("skipped:$capability") ;;
    esac
done < <(sort -u "$CORVANE_SKIP_LOG")
if [ ${#failed[@]} -ne 0 ]; then
    say "FAILED: ${failed[*]}"
    exit 1
fi
say "all tests passed in $SECONDS s"
