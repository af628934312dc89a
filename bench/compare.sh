#!/usr/bin/env bash
# The working tree's ornavex-cli against an earlier build, interleaved: each
# round runs both on every corpus, in turn (which goes first alternates), and
# the table gives the median seconds, the ratio new / base and the peak
# memory of each. Outputs must be byte for byte the same.
#
#   bench/compare.sh BASE [ROUNDS]     BASE: a commit; ROUNDS: default 5
#   COMPARE_SCALE=20 bench/compare.sh BASE   adds 20 million unique addresses
#   COMPARE_CORPORA="sparse.txt dense.txt" bench/compare.sh BASE   only these
#     (a base older than the documents' readers gives other addresses on docs)
#
# BASE is built once, without the desktop program, in a work tree of its own
# (build-compare/); the corpora are made in bench/data as bench/run.sh makes them.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_NUMERIC=C
base=${1:?usage: bench/compare.sh BASE [ROUNDS]}
rounds=${2:-5}

scripts/install_packages.sh time git >/dev/null
scripts/build.sh >/dev/null
new=build/bin/ornavex-cli
commit=$(git rev-parse --short "$base")
tree=build-compare/$commit
if [ ! -x "$tree/build/bin/ornavex-cli" ]; then
    rm -rf "$tree"
    git worktree prune
    git worktree add --detach "$tree" "$commit" >/dev/null
    cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release -DORNAVEX_BUILD_GUI=OFF \
        -DORNAVEX_BUILD_TESTS=OFF -DORNAVEX_BUILD_BENCH=OFF >/dev/null
    cmake --build "$tree/build" -j2 --target ornavex-cli >/dev/null
fi
old=$tree/build/bin/ornavex-cli

data=bench/data
bin=build/bin
mkdir -p "$data"
[ -f "$data/sparse.txt" ] || "$bin/generate_corpus" sparse "$data/sparse.txt" 250
[ -f "$data/dense.txt" ] || "$bin/generate_corpus" dense "$data/dense.txt" 6000000 1000000
[ -d "$data/many" ] || { mkdir -p "$data/many" && "$bin/generate_corpus" many "$data/many" 10000; }
[ -d "$data/docs" ] || "$bin/make_documents" docx "$data/docs" 2000
[ -f "$data/scale-1m.txt" ] || "$bin/generate_corpus" scale "$data/scale-1m.txt" 1000000
echo "one@example.com" >"$data/one.txt"
read -ra corpora <<<"${COMPARE_CORPORA:-one.txt sparse.txt dense.txt many docs scale-1m.txt}"
if [ -n "${COMPARE_SCALE:-}" ]; then
    file=scale-${COMPARE_SCALE}m.txt
    [ -f "$data/$file" ] || "$bin/generate_corpus" scale "$data/$file" $((COMPARE_SCALE * 1000000))
    corpora+=("$file")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One run: seconds and peak kilobytes appended to the corpus's list.
run() {
    local which=$1 binary=$2 corpus=$3
    /usr/bin/time -o "$work/time" -f '%e %M' "$binary" -q "$data/$corpus" >"$work/$which.out" 2>/dev/null || true
    tail -n 1 "$work/time" >>"$work/$which-$corpus"
}
for corpus in "${corpora[@]}"; do
    cat "$data/$corpus" >/dev/null 2>&1 || find "$data/$corpus" -type f -exec cat {} + >/dev/null
    run base "$old" "$corpus"
    run new "$new" "$corpus"
    if ! cmp -s "$work/base.out" "$work/new.out"; then
        echo "MISMATCH on $corpus: the two builds give other addresses" >&2
        exit 1
    fi
    : >"$work/base-$corpus"
    : >"$work/new-$corpus"
done
for ((round = 0; round < rounds; ++round)); do
    for corpus in "${corpora[@]}"; do
        if ((round % 2 == 0)); then
            run base "$old" "$corpus"
            run new "$new" "$corpus"
        else
            run new "$new" "$corpus"
            run base "$old" "$corpus"
        fi
    done
done

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
echo "Base $commit against the working tree ($(git rev-parse --short HEAD)$(git diff --quiet || echo ', with changes')); $rounds interleaved rounds, medians."
echo
echo "| corpus | base s | new s | new / base | base peak MB | new peak MB |"
echo "|---|---|---|---|---|---|"
for corpus in "${corpora[@]}"; do
    b=$(cut -d' ' -f1 "$work/base-$corpus" | median)
    n=$(cut -d' ' -f1 "$work/new-$corpus" | median)
    bm=$(cut -d' ' -f2 "$work/base-$corpus" | median)
    nm=$(cut -d' ' -f2 "$work/new-$corpus" | median)
    awk -v c="$corpus" -v b="$b" -v n="$n" -v bm="$bm" -v nm="$nm" \
        'BEGIN {printf "| %s | %.3f | %.3f | %.2f | %.1f | %.1f |\n", c, b, n, (b > 0 ? n / b : 0), bm / 1024, nm / 1024}'
done
