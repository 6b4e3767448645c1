#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The start-up benchmark is not a test, but its tool must keep working: run it once, briefly,
# without peers. bench/startup.sh also checks that the tool ignores a window that never paints
# and catches the fastest client.
set -euo pipefail
cd "$(dirname "$0")/../.."
bench/startup.sh --runs 2 --warmup 0 --no-peers
