#!/usr/bin/env bash
# The worst shapes of each kind a decoder reads, against an ordinary file of
# that kind: seconds and peak memory of ornavex-cli on each, and how it
# ended. Prints a Markdown table (bench/RESULTS.md keeps one).
#   bench/worst_shapes.sh [KB]   (default 4000: the size of the linear shapes)
set -euo pipefail
cd "$(dirname "$0")/.."
kilobytes=${1:-4000}
bin=build/bin
[ -x "$bin/make_documents" ] || scripts/build.sh >/dev/null
data=bench/data/shapes-$kilobytes
[ -d "$data" ] || "$bin/make_documents" shapes "$data" "$kilobytes"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "| file | stored KB | seconds | peak MB | addresses | how it ended |"
echo "|---|---|---|---|---|---|"
for file in "$data"/*; do
    name=$(basename "$file")
    /usr/bin/time -o "$work/time" -f '%e %M' "$bin/ornavex-cli" -q "$file" >"$work/out" 2>"$work/err" || true
    ended=$(grep -m1 -o 'ornavex-cli: .*' "$work/err" | sed "s|ornavex-cli: $file: ||" || true)
    read -r seconds peak < <(tail -n 1 "$work/time")
    printf '| %s | %s | %s | %s | %s | %s |\n' "$name" "$(($(stat -c %s "$file") / 1000))" "$seconds" \
        "$((peak / 1024))" "$(wc -l <"$work/out")" "${ended:-read}"
done
