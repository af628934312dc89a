#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (and the sanitizers) and runs each
# for a bounded time, both at once; any crash or mismatch fails.
#   scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORNAVEX_FUZZ=ON -DORNAVEX_SANITIZE=ON -DORNAVEX_BUILD_GUI=OFF -DORNAVEX_BUILD_BENCH=OFF
cmake --build build-fuzz -j2 --target engine_fuzzer reader_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pids=()
for harness in engine reader; do
    mkdir -p "$work/$harness"
    build-fuzz/bin/${harness}_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -print_final_stats=1 "$work/$harness" "tests/fuzz/corpus/$harness" \
        >"$work/$harness.log" 2>&1 &
    pids+=($!)
done
status=0
for i in 0 1; do
    harness=$([ "$i" = 0 ] && echo engine || echo reader)
    if wait "${pids[$i]}"; then
        echo "$harness fuzzer: $(grep -m1 -E '^Done [0-9]+ runs' "$work/$harness.log" || echo done)"
    else
        echo "$harness fuzzer FAILED:" >&2
        tail -n 40 "$work/$harness.log" >&2
        status=1
    fi
done
exit $status
