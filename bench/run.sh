#!/usr/bin/env bash
# Benchmarks ornavex-cli against the same job done by a Unix pipeline, on the
# same files, and checks that both print the same addresses.
#
#   bench/run.sh            sparse 250 MB and dense 6M lines
#   bench/run.sh --memory   also the peak memory on a 1 GB sparse file
#
# Prints a table and writes it to bench/RESULTS.md.
set -euo pipefail
cd "$(dirname "$0")/.."

memory=0
[ "${1:-}" = "--memory" ] && memory=1

scripts/build.sh >/dev/null
for package in time bc; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
done

bin=build/bin
data=bench/data
mkdir -p "$data"
[ -f "$data/sparse.txt" ] || "$bin/generate_corpus" sparse "$data/sparse.txt" 250
[ -f "$data/dense.txt" ] || "$bin/generate_corpus" dense "$data/dense.txt" 6000000 1000000
if [ "$memory" = 1 ] && [ ! -f "$data/sparse-1g.txt" ]; then
    "$bin/generate_corpus" sparse "$data/sparse-1g.txt" 1000
fi

# The same job as a pipeline: punctuation to spaces, one word per line, one
# trailing period off, the pattern, first occurrence ignoring case.
pipeline() {
    LC_ALL=C tr ',!"#$%&'"'"'()*/:;<=>?[\\]^`{|}~' ' ' <"$1" |
        LC_ALL=C tr -s ' \t\r\n' '\n' |
        LC_ALL=C sed 's/\.$//' |
        LC_ALL=C grep -E '^[A-Za-z0-9_-][A-Za-z0-9_.-]*@([A-Za-z0-9-]+\.)+[A-Za-z]{2,}$' |
        LC_ALL=C awk '!seen[tolower($0)]++'
}

# Best wall time of three runs, in seconds.
best_of_three() {
    local best="" t0 t1 elapsed
    for _ in 1 2 3; do
        t0=$(date +%s.%N)
        "$@" >/dev/null
        t1=$(date +%s.%N)
        elapsed=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$elapsed < $best" | bc -l)" = 1 ]; then best=$elapsed; fi
    done
    echo "$best"
}

mbps() { echo "scale=1; $1 / 1000000 / $2" | bc -l; }
ratio() { echo "scale=1; $1 / $2" | bc -l; }

rows=()
for corpus in sparse dense; do
    file="$data/$corpus.txt"
    bytes=$(stat -c %s "$file")
    cat "$file" >/dev/null # into the page cache
    "$bin/ornavex-cli" -q "$file" >"$data/$corpus.ornavex"
    pipeline "$file" >"$data/$corpus.pipeline"
    if ! cmp -s "$data/$corpus.ornavex" "$data/$corpus.pipeline"; then
        echo "MISMATCH on $corpus: ornavex-cli and the pipeline differ" >&2
        exit 1
    fi
    unique=$(wc -l <"$data/$corpus.ornavex")
    t_cli=$(best_of_three "$bin/ornavex-cli" -q "$file")
    t_pipe=$(best_of_three pipeline "$file")
    t_wc=$(best_of_three wc -l "$file")
    peak=$( { /usr/bin/time -f %M "$bin/ornavex-cli" -q "$file" >/dev/null; } 2>&1 | tail -1)
    rows+=("| $corpus | $((bytes / 1000000)) | $unique | $(mbps "$bytes" "$t_cli") | $(mbps "$bytes" "$t_pipe") | $(mbps "$bytes" "$t_wc") | $(ratio "$t_pipe" "$t_cli") | $(ratio "$t_cli" "$t_wc") | $((peak / 1024)) |")
done

if [ "$memory" = 1 ]; then
    file="$data/sparse-1g.txt"
    peak=$( { /usr/bin/time -f %M "$bin/ornavex-cli" -q "$file" >/dev/null; } 2>&1 | tail -1)
    memory_line="Peak resident memory on a $(($(stat -c %s "$file") / 1000000)) MB sparse file: $((peak / 1024)) MB."
fi

{
    echo "# Benchmark results"
    echo
    echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d)."
    echo "Command: \`bench/run.sh${1:+ $1}\`. Files read from the page cache; best of three runs."
    echo
    echo "| corpus | MB | unique addresses | ornavex-cli MB/s | pipeline MB/s | wc -l MB/s | ornavex vs pipeline | ornavex time / wc time | ornavex peak MB |"
    echo "|---|---|---|---|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
    [ -n "${memory_line:-}" ] && { echo; echo "$memory_line"; }
    echo
    echo "Both tools printed identical addresses on every corpus."
} | tee bench/RESULTS.md
