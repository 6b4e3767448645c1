#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Corvane and runs every test. The tests that need a display start their own private
# X server (Xvfb) and stop it again.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

setup_build "${TEST_PACKAGES[@]}"
ctest --test-dir build --output-on-failure --timeout 600
