#!/usr/bin/env bash
# Writes the shipped samples that are not plain text (office document, PDF,
# web page, mail, archive) into install/Samples from tests/make_samples.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target make_samples
build/bin/make_samples install/Samples
