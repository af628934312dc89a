#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (and the sanitizers) and runs each
# for a bounded time, two at a time; any crash, leak or mismatch fails, and
# so does an input that takes more than 5 seconds, or the process more than
# 768 MB (the sanitizer's own memory included): a decoder that lets a small
# input blow it up fails here. The seed corpora hold such shapes.
#   scripts/fuzz.sh [SECONDS]   (default 60, per harness)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
harnesses=(engine reader archive xml mail web_page pdf)

scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORNAVEX_FUZZ=ON -DORNAVEX_SANITIZE=ON -DORNAVEX_BUILD_GUI=OFF -DORNAVEX_BUILD_BENCH=OFF
cmake --build build-fuzz -j2 --target "${harnesses[@]/%/_fuzzer}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export seconds work
fuzz_one() {
    mkdir -p "$work/$1"
    if build-fuzz/bin/"$1"_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=5 \
        -rss_limit_mb=768 -malloc_limit_mb=256 \
        -print_final_stats=1 -artifact_prefix="$work/$1-" "$work/$1" "tests/fuzz/corpus/$1" >"$work/$1.log" 2>&1; then
        echo "$1 fuzzer: $(grep -m1 -E '^Done [0-9]+ runs' "$work/$1.log" || echo done)"
    else
        echo "$1 fuzzer FAILED:" >&2
        tail -n 40 "$work/$1.log" >&2
        mkdir -p build-fuzz/findings && cp "$work/$1"-* build-fuzz/findings/ 2>/dev/null || true
        return 1
    fi
}
export -f fuzz_one
printf '%s\n' "${harnesses[@]}" | xargs -P2 -I{} bash -c 'fuzz_one {}'
