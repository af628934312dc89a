#!/usr/bin/env bash
# The worst shapes of each kind a decoder reads, against an ordinary file of
# that kind: seconds and peak memory of ornavex-cli on each, and how it
# ended. Records the table in bench/RESULTS.md.
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
{
echo "## Worst shapes"
echo
echo "Command: \`bench/worst_shapes.sh $kilobytes\` ($(date -u +%Y-%m-%d), $(nproc) cores). Each kind's worst shapes (make_documents shapes: the linear ones $kilobytes KB, the expanding ones as large as a thousand to one allows, up to 256 MB decoded) against an ordinary file of that kind."
echo
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
} | bench/record.sh worst-shapes
