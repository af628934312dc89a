#!/usr/bin/env bash
# Each platform difference lives in a file of its own, named for its
# platform (*_posix, *_windows, *_linux, *_glibc, *_io_uring, posix_*,
# windows_*): no other file of the program includes a header that only one
# platform has or asks which platform it is built for.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every layer of the layer table.
mapfile -t layers < <(grep -oE '^[a-z_]+' cmake/layers.txt)
hits=""
for file in $(find "${layers[@]}" -name '*.cpp' -o -name '*.h' | sort); do
    case "$(basename "$file")" in
    *_posix.* | *_windows.* | *_linux.* | *_glibc.* | *_io_uring.* | posix_* | windows_*) continue ;;
    esac
    hits+=$(grep -HnE '^#include <(unistd|fcntl|dirent|signal|spawn|pthread|liburing|malloc|windows|io|psapi|shellapi)\.h>|^#include <sys/|^#\s*if.*\b(_WIN32|__linux__|__APPLE__|_MSC_VER|__unix__)\b' \
        "$file" || true)
done
if [ -n "$hits" ]; then
    echo "platform-only code outside the platform files:"
    echo "$hits"
    exit 1
fi
echo "platform differences only in the platform files"
