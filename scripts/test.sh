#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh -DORNAVEX_WERROR=ON
ctest --test-dir build --output-on-failure -j2
