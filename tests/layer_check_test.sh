#!/usr/bin/env bash
# The layer check refuses what it is there to refuse: in a scratch copy of
# the layers' sources and table it passes as they are, then fails on an
# include from a layer above in either form, on a row that names a layer
# above it, and on a row that names a layer nothing includes from.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/cmake"
cp "$source/cmake/layers.txt" "$scratch/cmake/"
for layer in $(grep -oE '^[a-z_]+' "$source/cmake/layers.txt"); do
    mkdir "$scratch/$layer"
    cp "$source/$layer"/*.h "$source/$layer"/*.cpp "$scratch/$layer/"
done
check="$source/tests/layer_check.sh"

"$check" "$scratch" >/dev/null || { echo "the check refuses the tree as it is"; exit 1; }

failures=0
# expect_refused WHAT FILE EXPECTED_TEXT: the check must fail and name it.
expect_refused() {
    local output
    if output=$("$check" "$scratch" 2>&1); then
        echo "not refused: $1"
        failures=$((failures + 1))
    elif [[ "$output" != *"$3"* ]]; then
        echo "refused, but without naming $3: $1"
        echo "$output"
        failures=$((failures + 1))
    fi
    cp "$source/$2" "$scratch/$2"
}

header=engine/address_set.h
sed -i '1a #include "run/removal_run.h"' "$scratch/$header"
expect_refused 'a quoted include from a layer above' "$header" "$header:2: includes from run/"
sed -i '1a #include <run/removal_run.h>' "$scratch/$header"
expect_refused 'an angle-bracket include from a layer above' "$header" "$header:2: includes from run/"
sed -i '1a #  include "shell/main_window.h"' "$scratch/$header"
expect_refused 'an indented include from the top layer' "$header" "$header:2: includes from shell/"

sed -i -E 's/^(engine +os)$/\1 scan/' "$scratch/cmake/layers.txt"
expect_refused 'a row naming a layer listed after it' cmake/layers.txt "engine/ uses scan/, which is not listed above it"
sed -i -E 's/^(clean +.*)$/\1 decode/' "$scratch/cmake/layers.txt"
expect_refused 'a row naming a layer nothing includes from' cmake/layers.txt \
    "clean/ is declared to use decode/ but includes nothing from it"

[ "$failures" -eq 0 ] || exit 1
echo "the layer check refuses back edges in both include forms, rows naming layers above and uses not made"
