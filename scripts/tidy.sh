#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the program's sources, two
# files at a time, from a compile database of its own (build-tidy, configured
# with clang, never built), and counts the findings per check. It fails on a
# bugprone or performance finding; functions above the complexity threshold
# are listed, to be split, but pass.
#   scripts/tidy.sh [LAYER...]          the given layers (default: all of them)
#   scripts/tidy.sh --changed [BASE]    the layers with a file changed since
#                                       BASE (default: origin/main, or main)
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t all_layers < <(grep -oE '^[a-z_]+' cmake/layers.txt)

layers=()
if [ "${1:-}" = "--changed" ]; then
    against=${2:-origin/main}
    # A clone of its own, with no remote, compares with its main.
    [ $# -ge 2 ] || git rev-parse --verify -q origin/main >/dev/null || against=main
    if ! base=$(git merge-base HEAD "$against" 2>/dev/null); then
        echo "tidy: no $against to compare with, nothing checked"
        exit 0
    fi
    for layer in "${all_layers[@]}"; do
        if [ -n "$(git diff --name-only "$base" -- "$layer" | grep -E '\.(cpp|h)$' || true)" ]; then
            layers+=("$layer")
        fi
    done
    if [ ${#layers[@]} -eq 0 ]; then
        echo "tidy: no layer changed since $base"
        exit 0
    fi
elif [ $# -gt 0 ]; then
    layers=("$@")
else
    layers=("${all_layers[@]}")
fi

command -v clang-tidy >/dev/null || scripts/setup.sh
if [ ! -f build-tidy/compile_commands.json ]; then
    CC=clang CXX=clang++ cmake -S . -B build-tidy -DCMAKE_BUILD_TYPE=Debug -DORNAVEX_BUILD_TESTS=OFF \
        -DORNAVEX_BUILD_BENCH=OFF >/dev/null
fi

# The layers' own sources in the database (the platform files of this one).
pattern="^$PWD/($(IFS='|'; echo "${layers[*]}"))/[^/]*\.cpp\$"
mapfile -t files < <(python3 -c '
import json, re, sys
for entry in json.load(open("build-tidy/compile_commands.json")):
    if re.match(sys.argv[1], entry["file"]):
        print(entry["file"])' "$pattern" | sort -u)
# Findings in the project's headers count too, once each.
headers="^$PWD/($(IFS='|'; echo "${all_layers[*]}"))/"

echo "tidy: ${#files[@]} files of ${layers[*]}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${files[@]}" |
    xargs -P2 -n1 clang-tidy -p build-tidy --quiet --header-filter="$headers" \
        --extra-arg=-Wno-unknown-warning-option >"$log" 2>/dev/null || true
findings=$(grep -E '^/.*: (warning|error): .* \[[a-z0-9.,-]+\]$' "$log" | sort -u || true)
if [ -z "$findings" ]; then
    echo "tidy: no findings"
    exit 0
fi
echo "$findings"
echo "tidy: findings per check:"
echo "$findings" | sed -E 's/.*\[([a-z0-9.-]+)(,-warnings-as-errors)?\]$/\1/' | sort | uniq -c | sort -rn
if grep -qE ': error: ' <<<"$findings"; then
    exit 1
fi
