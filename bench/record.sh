#!/usr/bin/env bash
# Records a benchmark's output in bench/RESULTS.md as a section of its own,
# replacing the section's last record and leaving the others alone.
#   some-benchmark | bench/record.sh NAME
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?usage: bench/record.sh NAME}
results=bench/RESULTS.md
begin="<!-- begin $name -->"
end="<!-- end $name -->"
section=$(mktemp)
trap 'rm -f "$section"' EXIT
{
    echo "$begin"
    cat
    echo "$end"
} >"$section"
cat "$section" | sed -e "/^$begin\$/d" -e "/^$end\$/d"
[ -f "$results" ] || echo "# Benchmark results" >"$results"
if grep -qxF "$begin" "$results"; then
    awk -v begin="$begin" -v end="$end" -v file="$section" '
        $0 == begin { while ((getline line < file) > 0) print line; skip = 1; next }
        $0 == end { skip = 0; next }
        !skip { print }' "$results" >"$results.new"
    mv "$results.new" "$results"
else
    { echo; cat "$section"; } >>"$results"
fi
