#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Corvane and runs every test. The program's build (build/) is checked by the stages of
# scripts/stages/ that use it as it ships: memcheck, the package, the benchmark; and by the
# artwork's test. The stages that make builds of their own start in the background first, once
# the packages are installed: the sanitizer build, which runs the unit tests and every end-to-end
# suite (each on its own private X server) against the sanitized program, then fuzzes briefly;
# and the Windows cross builds driven under wine. Their output is shown when they end; every stage says
# how long it took, and any failure fails the run.
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
install_listed scripts/packages/build.txt scripts/packages/test*.txt

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

# run_stage STAGE: runs one stage of scripts/stages/ and says how long it took.
run_stage() {
    local started=$SECONDS status=0
    printf 'test.sh: stage %s, after %d s\n' "$1" "$SECONDS" >&2
    bash "scripts/stages/$1" || status=$?
    printf 'test.sh: stage %s took %d s\n' "$1" "$((SECONDS - started))" >&2
    return "$status"
}

# in_background NAME STAGE...: runs the stages one after the other in a process group of their
# own, their output into a log.
in_background() {
    local name=$1
    shift
    # The job's own SECONDS counts on from this script's, so that its stages say when they began.
    setsid bash -c "$(declare -f run_stage); SECONDS=$SECONDS"'
        for stage; do run_stage "$stage" || exit 1; done' bash "$@" >"$logs/$name" 2>&1 &
    jobs_running+=("$!:$name")
}
# Neither needs the program's own build: they start first, so that what they spend waiting on
# wine and the X server overlaps the compiles.
in_background sanitizers 32-sanitizers.sh
in_background windows 60-windows.sh
setup_build
say "the program is built, after $SECONDS s"
failed=()
# The unit and end-to-end tests run in the sanitizer build only: the sanitizers find all they
# would find here. What is left is the committed artwork against its generator.
ctest --test-dir build --output-on-failure --timeout 600 -LE 'unit|e2e' || failed+=(ctest)
for stage in 31-valgrind.sh 34-clang-tidy.sh 50-desktop-package.sh 70-bench-smoke.sh; do
    run_stage "$stage" || failed+=("$stage")
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
