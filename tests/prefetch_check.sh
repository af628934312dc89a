#!/usr/bin/env bash
# The address set hides its cache misses behind prefetches; a compiler may
# drop a loop whose only effect is a prefetch. The shipped command line must
# still hold them: the slot prefetch and the key prefetch, where inlined.
set -euo pipefail
binary=$1
case "$(uname -m)" in x86_64 | i?86) ;; *) echo "not x86: nothing to check"; exit 0 ;; esac
command -v objdump >/dev/null || { echo "objdump missing: nothing to check"; exit 0; }
count=$(objdump -d --no-show-raw-insn "$binary" | grep -c 'prefetcht0' || true)
if [ "$count" -lt 2 ]; then
    echo "only $count prefetch instructions in $binary: the key prefetch was dropped" >&2
    exit 1
fi
echo "$count prefetch instructions in $binary"
