#!/usr/bin/env bash
# The memory limit with every option: ornavex-cli on 5 million unique
# addresses (each 2-3 times in random letter case, shuffled: 377 MB) with
# --memory-limit 100M, plain and with each option that needs the whole list
# (--counts, --csv, each --sort, each cleaning rule) and --report; then a
# do-not-mail list of 2 million entries, read as an input and loaded as a
# list, with the default limit and with 100M. Seconds, the peak memory and
# the temporary data on disk are the program's own (--stats); the peak
# should stay within the limit + 64 MB.
#
#   bench/option_matrix.sh                  the build's ornavex-cli
#   bench/option_matrix.sh --cli PATH       another one (a build from before a change)
#
# Prints the tables; with the build's own program, also writes them to their
# section of bench/RESULTS.md. The files are made in bench/data and kept.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_NUMERIC=C

scripts/build.sh >/dev/null
bin=build/bin
cli=$bin/ornavex-cli
own=1
if [ "${1:-}" = --cli ]; then
    cli=$2
    own=0
fi
limit=100M
data=bench/data
mkdir -p "$data"
corpus=$data/scale-5m.txt
list=$data/do-not-mail-2m.txt
[ -f "$corpus" ] || "$bin/generate_corpus" scale "$corpus" 5000000
if [ ! -f "$list" ]; then
    # One address a line, 2 million of them, in mixed letter case: the
    # first 2 million of the corpus's addresses.
    "$bin/generate_corpus" scale "$data/list-source.txt" 2000000
    "$bin/ornavex-cli" -q "$data/list-source.txt" >"$list"
    rm -f "$data/list-source.txt"
fi
printf 'nobody@nowhere.example\n' >"$data/one.txt"
cat "$corpus" "$list" >/dev/null # from the page cache

# Runs the program with --stats; prints "seconds peak-MB disk-MB status".
measure() {
    local status=0
    "$cli" -q --stats "$@" >/dev/null 2>"$data/stats.txt" || status=$?
    awk -F': ' -v s="$status" '
        /^seconds/ {t = $2} /^peak memory MB/ {p = $2} /^temporary disk MB/ {d = $2}
        END {printf "%.2f %.0f %.0f %d\n", t, p, d, s}' "$data/stats.txt"
}

limit_mb=$(numfmt --from=iec "$limit" | awk '{print $1 / 1048576}')
matrix=$(
    echo "| options | seconds | peak MB | peak over the limit MB | temporary disk MB | exit |"
    echo "|---|---|---|---|---|---|"
    while IFS= read -r options; do
        # Options after the file: an old --report took the path after it.
        read -r seconds peak disk status < <(measure --memory-limit "$limit" "$corpus" $options)
        printf '| %s | %s | %s | %s | %s | %s |\n' "${options:-(none)}" "$seconds" "$peak" \
            "$((peak - ${limit_mb%.*}))" "$disk" "$status"
    done <<OPTIONS

--counts
--csv
--sort first --drop-roles
--sort address
--sort domain
--sort count
--check-domains
--exclude $list
--only-domain example.org
--drop-domain example.com
--report
--csv --sort domain --exclude $list --check-domains --report
OPTIONS
)
# The run of the three with the least seconds.
best_of_three() {
    for _ in 1 2 3; do measure "$@"; done | sort -n | head -1
}
lists=$(
    echo "| the 2 M list | limit | seconds (best of 3) | peak MB | temporary disk MB |"
    echo "|---|---|---|---|---|"
    for limit_option in "" "--memory-limit $limit"; do
        read -r seconds peak disk _ < <(best_of_three $limit_option "$list")
        echo "| read as an input | ${limit_option#--memory-limit } | $seconds | $peak | $disk |"
        read -r seconds peak disk _ < <(best_of_three $limit_option --exclude "$list" "$data/one.txt")
        echo "| loaded as a do-not-mail list | ${limit_option#--memory-limit } | $seconds | $peak | $disk |"
    done
)
rm -f "$data/stats.txt" "$data/one.txt"

section=$(
    echo "## The memory limit with every option"
    echo
    echo "Command: \`bench/option_matrix.sh\` ($(date -u +%Y-%m-%d); $(nproc) cores). $(wc -l <"$corpus") lines, 5,000,000 unique addresses, $(($(stat -c %s "$corpus") / 1000000)) MB, with \`--memory-limit $limit\`; seconds, peak memory and temporary data from \`--stats\`."
    echo
    echo "$matrix"
    echo
    echo "A do-not-mail list of $(wc -l <"$list") entries, one a line ($(($(stat -c %s "$list") / 1000000)) MB), read as an input and loaded as a list against one address (empty limit: the default):"
    echo
    echo "$lists"
)
if [ "$own" = 1 ]; then
    echo "$section" | bench/record.sh option-matrix
else
    echo "$section"
fi
