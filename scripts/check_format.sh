#!/usr/bin/env bash
# Fails when a tracked C++ source is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "every C++ source is formatted"
