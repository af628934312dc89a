#!/usr/bin/env bash
# The scale series: ornavex-cli on files of 1, 5, 20 and 50 million unique
# addresses (each 2-3 times in random letter case, shuffled), with the time
# per address found and the peak memory. The files are made in bench/data and
# deleted afterwards (50 M is about 4 GB).
#
#   bench/scale.sh              1 5 20 50 (millions)
#   bench/scale.sh 1 5          only these
#   bench/scale.sh --memory-limit 2G 200
#                               with a memory limit: the addresses past it
#                               go to temporary data (in TMPDIR), whose size
#                               is shown too
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_NUMERIC=C

scripts/build.sh >/dev/null
scripts/install_packages.sh time
bin=build/bin
data=bench/data
mkdir -p "$data"
limit=()
if [ "${1:-}" = --memory-limit ]; then
    limit=(--memory-limit "$2")
    shift 2
fi
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 5 20 50)

printf '| unique | input | time | ns per address | peak memory | temporary disk |\n|---|---|---|---|---|---|\n'
for millions in "${sizes[@]}"; do
    file="$data/scale-${millions}m.txt"
    "$bin/generate_corpus" scale "$file" $((millions * 1000000))
    bytes=$(stat -c %s "$file")
    cat "$file" >/dev/null # from the page cache, as the other benchmarks
    /usr/bin/time -f '%e %M' -o "$data/time.txt" "$bin/ornavex-cli" -q --stats "${limit[@]}" "$file" \
        >/dev/null 2>"$data/stats.txt"
    read -r seconds kilobytes <"$data/time.txt"
    found=$(awk -F': ' '/^addresses found/ {print $2}' "$data/stats.txt")
    unique=$(awk -F': ' '/^unique addresses/ {print $2}' "$data/stats.txt")
    disk=$(awk -F': ' '/^temporary disk MB/ {print $2}' "$data/stats.txt")
    if [ "$unique" != $((millions * 1000000)) ]; then
        echo "wrong count: $unique unique addresses, not ${millions} M" >&2
        exit 1
    fi
    awk -v m="$millions" -v b="$bytes" -v t="$seconds" -v f="$found" -v k="$kilobytes" -v d="$disk" \
        'BEGIN {printf "| %d M | %.0f MB | %.2f s | %.0f | %.0f MB | %.0f MB |\n", m, b / 1e6, t, t * 1e9 / f, k / 1024, d}'
    rm -f "$file"
done
rm -f "$data/time.txt" "$data/stats.txt"
