#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# clang-tidy with the project's .clang-tidy over every source file of src/ that this platform
# builds, headers of src/ included; any finding fails the stage. The compile commands come from a
# configure-only build folder with clang (build-tidy/, or CORVANE_TIDY_BUILD_DIR), without
# precompiled headers, so that nothing but the generated sources need building.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh

install_listed scripts/packages/build.txt scripts/packages/test-hardening.txt

build=${CORVANE_TIDY_BUILD_DIR:-build-tidy}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON -DBUILD_TESTING=OFF >/dev/null
# The generated sources (resources, moc) that src/ includes.
cmake --build "$build" --target corvane_qt_autogen >/dev/null
count=$(grep -c "\"file\": \"$PWD/src/" "$build/compile_commands.json") || fail "no source of src/ to check"
say "clang-tidy over $count source files of src/ and the headers they include"
if ! run-clang-tidy -p "$build" -j "$(nproc)" -quiet "^$PWD/src/" >"$log" 2>&1; then
    sed -E 's/\x1b\[[0-9;]*m//g' "$log" | grep -E -A3 '(warning|error): ' >&2 || cat "$log" >&2
    fail "clang-tidy reports the above"
fi
say "ok: clang-tidy is clean over src/"
