#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# clang-tidy with the project's .clang-tidy over every source file of src/ that this platform
# builds, headers of src/ included; any finding fails the stage. The compile commands are those
# of the clang build the sanitizer stage makes (CORVANE_SANITIZER_BUILD_DIR, build-sanitizers/),
# configured here when it is not there yet.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test-hardening.txt

build=${CORVANE_SANITIZER_BUILD_DIR:-build-sanitizers}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

[ -f "$build/compile_commands.json" ] || configure_sanitizer_build "$build"
# The generated sources (resources, moc) that src/ includes.
cmake --build "$build" --target corvane_qt_autogen >/dev/null
sources="^$PWD/src/"
count=$(python3 -c 'import json, re, sys
print(sum(1 for c in json.load(open(sys.argv[1])) if re.match(sys.argv[2], c["file"])))' \
    "$build/compile_commands.json" "$sources")
say "clang-tidy over $count source files of src/ and the headers they include"
if ! run-clang-tidy -p "$build" -j "$(nproc)" -quiet "$sources" >"$log" 2>&1; then
    sed -E 's/\x1b\[[0-9;]*m//g' "$log" | grep -E -A3 '(warning|error): ' >&2 || cat "$log" >&2
    say "FAILED: clang-tidy reports the above"
    exit 1
fi
say "ok: clang-tidy is clean over src/"
