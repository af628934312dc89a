#!/usr/bin/env bash
# Sets up, builds and starts the desktop program with the shipped sample
# files in its list. Without a display (no DISPLAY or WAYLAND_DISPLAY) it runs
# the same job through the command line instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/ornavex build/bin/Samples
fi
echo "No display found: running the samples through ornavex-cli." >&2
build/bin/ornavex-cli --stats build/bin/Samples
