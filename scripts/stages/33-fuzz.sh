#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A brief libFuzzer run of the reading of one interface entry (tests/fuzz/), under the
# sanitizers, seeded from the corpus kept in tests/fuzz/corpus/, whose inputs tst_sysfsrasapi
# replays each with the outcome it must have. The parsing it reaches is a few lines that saturate
# their coverage within seconds: the run looks for what the sanitizers and the target's rules
# catch beyond the kept inputs. New inputs it finds go to a temporary folder, not into the
# repository; an input that breaks a rule or crashes is kept in the build folder and fails the
# stage. CORVANE_FUZZ_SECONDS sets the length (5 by default); CORVANE_SANITIZER_BUILD_DIR the
# build (build-sanitizers/, made by the sanitizer stage, or here).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test-hardening.txt

build=${CORVANE_SANITIZER_BUILD_DIR:-build-sanitizers}
seconds=${CORVANE_FUZZ_SECONDS:-5}
seeds=tests/fuzz/corpus/netentry
fuzzer=$build/tests/fuzz/fuzz_netentry
artifacts=$build/fuzz-artifacts
found=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$found" "$log"' EXIT

[ -f "$build/build.ninja" ] || configure_sanitizer_build "$build"
cmake --build "$build" --target fuzz_netentry
mkdir -p "$artifacts"

say "fuzzing the reading of one interface entry for $seconds s from $(ls "$seeds" | wc -l) kept inputs"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$found" "$seeds" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    fail "the fuzz target broke (exit status $status); the input is in $artifacts/"
fi
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
coverage=$(grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+' || true)
say "ok: $executions executions in $seconds s ($coverage), $(ls "$found" | wc -l) new inputs, nothing broke"
