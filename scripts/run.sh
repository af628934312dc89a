#!/usr/bin/env bash
# Sets up, builds and runs the program's main job: every distinct address of
# the shipped sample files, with the run's figures.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh >/dev/null
build/bin/ornavex-cli --stats build/bin/Samples
