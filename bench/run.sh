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
export LC_NUMERIC=C # a decimal point in $EPOCHREALTIME, for bc

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
if [ ! -d "$data/many" ]; then
    mkdir -p "$data/many"
    "$bin/generate_corpus" many "$data/many" 10000
fi
if [ "$memory" = 1 ] && [ ! -f "$data/sparse-1g.txt" ]; then
    "$bin/generate_corpus" sparse "$data/sparse-1g.txt" 1000
fi

# The same job as a pipeline over standard input: punctuation to spaces, one
# word per line, one trailing period off, the pattern, first occurrence
# ignoring case. The corpora are ASCII, so the punctuation outside ASCII
# that ornavex-cli also cuts at never occurs in them.
pipeline() {
    LC_ALL=C tr ',!"#$%&'"'"'()*/:;<=>?[\\]^`{|}~' ' ' |
        LC_ALL=C tr -s ' \t\r\n' '\n' |
        LC_ALL=C sed 's/\.$//' |
        LC_ALL=C grep -E '^[A-Za-z0-9_-][A-Za-z0-9_.+-]*@([A-Za-z0-9-]+\.)+[A-Za-z]{2,}$' |
        LC_ALL=C awk '!seen[tolower($0)]++'
}

# Best wall time of three runs, in seconds. The clock is bash's own, so no
# process is started inside the timed span but the one measured.
best_of_three() {
    local best="" t0 t1 elapsed
    for _ in 1 2 3; do
        t0=$EPOCHREALTIME
        "$@" >/dev/null
        t1=$EPOCHREALTIME
        elapsed=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$elapsed < $best" | bc -l)" = 1 ]; then best=$elapsed; fi
    done
    echo "$best"
}

mbps() { awk -v b="$1" -v t="$2" 'BEGIN {printf "%.1f", b / 1e6 / t}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

# One corpus: $1 name, $2 what ornavex-cli reads (a file or a folder).
measure() {
    local name=$1 target=$2 bytes unique t_cli t_pipe t_wc peak
    # The pipeline reads one file from its standard input, many through cat;
    # wc -l reads the files itself.
    if [ -d "$target" ]; then
        bytes=$(find "$target" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
        all_files() { find "$target" -type f | sort | xargs cat; }
        count_lines() { find "$target" -type f -print0 | xargs -0 wc -l; }
    else
        bytes=$(stat -c %s "$target")
        all_files() { cat "$target"; }
        count_lines() { wc -l "$target"; }
    fi
    all_files >/dev/null # into the page cache
    "$bin/ornavex-cli" -q "$target" >"$data/$name.ornavex"
    all_files | pipeline >"$data/$name.pipeline"
    if ! cmp -s "$data/$name.ornavex" "$data/$name.pipeline"; then
        echo "MISMATCH on $name: ornavex-cli and the pipeline differ" >&2
        exit 1
    fi
    unique=$(wc -l <"$data/$name.ornavex")
    t_cli=$(best_of_three "$bin/ornavex-cli" -q "$target")
    if [ -d "$target" ]; then
        t_pipe=$(best_of_three bash -c "$(declare -f all_files pipeline); target=\$1; all_files | pipeline" _ "$target")
    else
        t_pipe=$(best_of_three bash -c "$(declare -f pipeline); pipeline <\"\$1\"" _ "$target")
    fi
    t_wc=$(best_of_three bash -c "$(declare -f count_lines); target=\$1; count_lines" _ "$target")
    peak=$( { /usr/bin/time -f %M "$bin/ornavex-cli" -q "$target" >/dev/null; } 2>&1 | tail -1)
    rows+=("| $name | $((bytes / 1000000)) | $unique | $(mbps "$bytes" "$t_cli") | $(mbps "$bytes" "$t_pipe") | $(mbps "$bytes" "$t_wc") | $(ratio "$t_pipe" "$t_cli") | $(ratio "$t_cli" "$t_wc") | $((peak / 1024)) |")
    if [ "$name" = dense ]; then
        local address_bytes
        address_bytes=$(($(wc -c <"$data/$name.ornavex") - unique))
        memory_limit="Dense corpus: the unique addresses hold $((address_bytes / 1000000)) MB; peak memory $((peak / 1024)) MB against a limit of 2.5 x that + 32 MB = $(((address_bytes * 5 / 2 + 32000000) / 1048576)) MB."
        dense_cli=$t_cli
    fi
}

rows=()
measure sparse "$data/sparse.txt"
measure dense "$data/dense.txt"
measure many "$data/many"

# The same 10,000 files named one by one: the time grows with their number,
# as it does for the folder.
mapfile -t many_files < <(find "$data/many" -type f | sort)
t_paths=$(best_of_three "$bin/ornavex-cli" -q "${many_files[@]}")
t_folder=$(best_of_three "$bin/ornavex-cli" -q "$data/many")
paths_line="The 10,000 small files named one by one on the command line: ${t_paths} s; as their folder: ${t_folder} s ($(ratio "$t_paths" "$t_folder") x)."

# The address set's worst case: keys that all share one hash.
collisions=$(for n in 20000 80000; do "$bin/collision_bench" "$n" | awk -v n="$n" '/ns per key/ {printf "%s keys: %s ns per key; ", n, $4}'; done)
collision_line="Keys that all share one hash (collision_bench): ${collisions% ; }."

# Reading inside files. A gzip file against the same bytes decompressed by
# zcat into standard input; 2,000 Word documents against their text as plain
# files (the rest is unzipping and XML).
[ -f "$data/sparse.txt.gz" ] || gzip -c "$data/sparse.txt" >"$data/sparse.txt.gz"
[ -d "$data/docs" ] || "$bin/make_documents" docx "$data/docs" 2000
if ! cmp -s <("$bin/ornavex-cli" -q "$data/sparse.txt.gz") "$data/sparse.ornavex" ||
    ! cmp -s <("$bin/ornavex-cli" -q "$data/docs") <("$bin/ornavex-cli" -q "$data/docs-text"); then
    echo "MISMATCH: a compressed file or a document gives other addresses than its text" >&2
    exit 1
fi
t_gz=$(best_of_three "$bin/ornavex-cli" -q "$data/sparse.txt.gz")
t_zcat=$(best_of_three bash -c 'zcat "$1" | "$2" -q -' _ "$data/sparse.txt.gz" "$bin/ornavex-cli")
t_docs=$(best_of_three "$bin/ornavex-cli" -q "$data/docs")
t_text=$(best_of_three "$bin/ornavex-cli" -q "$data/docs-text")
inside_line="Compressed: the sparse corpus as gzip, $(($(stat -c %s "$data/sparse.txt.gz") / 1000000)) MB: ${t_gz} s; zcat into ornavex-cli - ${t_zcat} s ($(ratio "$t_gz" "$t_zcat") x). Documents: 2,000 Word documents (30 KB of XML each): ${t_docs} s, $(awk -v t="$t_docs" 'BEGIN {printf "%.0f", 2000 / t}') documents per second; their text as plain files ${t_text} s."

# Cleaning: counts and first occurrences on the dense corpus, then the list
# cleaned, sorted and filtered (clean_bench).
t_counts=$(best_of_three "$bin/ornavex-cli" -q --counts "$data/dense.txt")
t_csv=$(best_of_three "$bin/ornavex-cli" -q --csv "$data/dense.txt")
t_clean=$(best_of_three "$bin/ornavex-cli" -q --check-domains --drop-roles --sort domain "$data/dense.txt")
clean_line="Cleaning, dense corpus: plain ${dense_cli} s; --counts ${t_counts} s; --csv (counts, first file and line) ${t_csv} s; --check-domains --drop-roles --sort domain ${t_clean} s. $("$bin/clean_bench" | tr '\n' ' ')"

gui_line=""
if [ -x "$bin/gui_run_bench" ]; then
    # Best time of three runs, as for the command line; the longest pause of all three.
    gui=$(for _ in 1 2 3; do "$bin/gui_run_bench" "$data/dense.txt" 2>/dev/null; done)
    gui_seconds=$(echo "$gui" | awk '/^seconds:/ {print $2}' | sort -n | head -1)
    gui_pause=$(echo "$gui" | awk '/^longest event loop pause ms:/ {print $6}' | sort -n | tail -1)
    gui_line="Desktop program on the dense corpus: ${gui_seconds} s from Start to the results window with all rows ($(ratio "$gui_seconds" "$dense_cli") x the command line's ${dense_cli} s; best of three); longest event loop pause from Start to half a second after the results show, over the three runs: ${gui_pause} ms."
fi

if [ "$memory" = 1 ]; then
    file="$data/sparse-1g.txt"
    peak=$( { /usr/bin/time -f %M "$bin/ornavex-cli" -q "$file" >/dev/null; } 2>&1 | tail -1)
    memory_line="Peak resident memory on a $(($(stat -c %s "$file") / 1000000)) MB sparse file: $((peak / 1024)) MB."
    [ -f "$data/big.pdf" ] || "$bin/make_documents" pdf "$data/big.pdf" 100
    peak=$( { /usr/bin/time -f %M "$bin/ornavex-cli" -q "$data/big.pdf" >/dev/null; } 2>&1 | tail -1)
    memory_line+=" On a $(($(stat -c %s "$data/big.pdf") / 1000000)) MB PDF: $((peak / 1024)) MB."
fi

{
    echo "## The bench corpora"
    echo
    echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d)."
    echo "Command: \`bench/run.sh${1:+ $1}\`. Files read from the page cache; best of three runs."
    echo
    echo "Corpora: sparse is 250 MB of prose, dense 6 million address lines (1 million unique), many 10,000 files of about 4 KB."
    echo
    echo "| corpus | MB | unique addresses | ornavex-cli MB/s | pipeline MB/s | wc -l MB/s | ornavex vs pipeline | ornavex time / wc time | ornavex peak MB |"
    echo "|---|---|---|---|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
    echo
    echo "$memory_limit"
    echo
    echo "$paths_line"
    echo
    echo "$collision_line"
    echo
    echo "$inside_line"
    echo
    echo "$clean_line"
    [ -n "$gui_line" ] && { echo; echo "$gui_line"; }
    [ -n "${memory_line:-}" ] && { echo; echo "$memory_line"; }
    echo
    echo "Both tools printed identical addresses on every corpus."
} | bench/record.sh corpora
