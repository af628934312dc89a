#!/usr/bin/env bash
# Builds the run and the windows with ThreadSanitizer and runs their tests:
# the run reads on two threads and de-duplicates on a third, and the
# windows hand work to threads of their own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORNAVEX_SANITIZE_THREAD=ON \
    -DORNAVEX_BUILD_BENCH=OFF
cmake --build build-tsan -j2 --target ornavex_tests ornavex_gui_tests ornavex_install_files
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
ctest --test-dir build-tsan -j2 --output-on-failure \
    -R '^(RemovalRun|PartitionedAddresses|ReadInside|WholeFileBatch|BlockBoundaries|HostileInputs|RunWindowTest|StressTest|WindowFaults|ResultsExportsTest|MainWindowTest|ResultsUse|MainUse)\.'
