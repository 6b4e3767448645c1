#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program and its unit tests built with clang under AddressSanitizer (LeakSanitizer with it)
# and UndefinedBehaviorSanitizer in a second build folder, and run there: every unit test (one of
# them replays the libFuzzer target's kept inputs), and every end-to-end suite of tests/e2e/ (the
# window, the Linux program's starts and files, Wayland, the screen reader), which drive the
# sanitized program. Both run only here: the sanitizers find all that the plain build's run
# would, and more. Then a brief libFuzzer run of the reading of one interface entry
# (tests/fuzz/), seeded from the kept inputs, for what the sanitizers and the target's rules catch
# beyond them: the parsing it reaches saturates its coverage within seconds. It passes when every
# test passes, the fuzz target breaks no rule, and no sanitizer wrote a report, from any process.
# CORVANE_SANITIZER_BUILD_DIR names the folder (build-sanitizers/ by default); CORVANE_FUZZ_SECONDS
# the fuzzing's length (5 s by default). New inputs the fuzzer finds go to a temporary folder, not
# into the repository; one that breaks a rule or crashes is kept in the build's fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test*.txt

build=${CORVANE_SANITIZER_BUILD_DIR:-build-sanitizers}
reports=$(mktemp -d)
# Open to the program run as another user by the end-to-end checks, as are the suppressions,
# which the checkout may hold in a folder that user cannot enter.
chmod 1777 "$reports"
suppressions=$(mktemp -d)
chmod 755 "$suppressions"
install -m 644 tests/sanitizers/lsan.supp "$suppressions/"
new_inputs=$(mktemp -d)
trap 'rm -rf "$reports" "$suppressions" "$new_inputs"' EXIT

configure_sanitizer_build "$build"
# What runs here, and nothing else: the artwork's test checks committed files and the generator.
cmake --build "$build" --target corvane settingswriter tst_sysfsrasapi \
    tst_settingsdurability tst_dib fuzz_netentry

# Every report goes to a file of its own in $reports, whichever process writes it: the tests'
# children (the program, the settings writers) report there too.
# allocator_may_return_null: a damaged settings file can hand QSettings values that ask its
# deserialiser for gigabytes, which glibc refuses and Qt survives; AddressSanitizer would end the
# process.
# disable_coredump=0: the program is tested for handing on the core limit it was started with,
# which AddressSanitizer would otherwise lower before the program starts.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:allocator_may_return_null=1:disable_coredump=0:log_path=$reports/asan"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"

status=0
ctest --test-dir "$build" --output-on-failure --timeout 900 -j2 -L 'unit|e2e' || status=$?
fuzzing=0
mkdir -p "$build/fuzz-artifacts"
"$build/tests/fuzz/fuzz_netentry" -max_total_time="${CORVANE_FUZZ_SECONDS:-5}" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$build/fuzz-artifacts/" "$new_inputs" \
    tests/fuzz/corpus/netentry >"$build/fuzz.log" 2>&1 || fuzzing=$?

# Whatever is there is a report. (The processes that tests kill, settings writers under strace,
# run without the leak check, which cannot work under a tracer and could be cut off half-written.)
shopt -s nullglob
found=("$reports"/*)
for report in "${found[@]}"; do
    say "report ${report##*/}:"
    head -n 40 "$report" >&2
done
if [ "$fuzzing" -ne 0 ]; then
    grep -E 'broken rule|ERROR' "$build/fuzz.log" >&2 || tail -n 20 "$build/fuzz.log" >&2
    fail "the fuzz target broke, above (log: $build/fuzz.log; input: $build/fuzz-artifacts/)"
fi
if [ "${#found[@]}" -ne 0 ]; then
    fail "the sanitizers wrote ${#found[@]} reports, above"
fi
if [ "$status" -ne 0 ]; then
    fail "tests failed in the sanitizer build"
fi
say "ok: unit tests, end-to-end checks and fuzzing pass under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer with no report"
