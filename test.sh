#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Corvane and runs every test: the CTest suite (whose display tests start and stop their
# own private X servers), then each further stage in scripts/stages/, in name order.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

setup_build scripts/packages/test*.txt
ctest --test-dir build --output-on-failure --timeout 600

shopt -s nullglob
for stage in scripts/stages/*.sh; do
    say "stage ${stage#scripts/stages/}"
    bash "$stage"
done
say "all tests passed"
