#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Ornavex
# need, skipping those already there: Carlito stands in for the Calibri font
# of the windows, clang builds the fuzzers, libarchive, expat, poppler and
# GMime read inside archives, documents, PDF and mail, libpsl and the public
# suffix list tell real top-level domains, clang-tidy checks the code
# (scripts/tidy.sh). Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    g++ make cmake
    libgtest-dev libgmock-dev
    libcli11-dev
    liburing-dev
    libarchive-dev libexpat1-dev libpoppler-cpp-dev libgmime-3.0-dev zlib1g-dev
    libpsl-dev publicsuffix
    qt6-base-dev qt6-svg-dev
    fonts-crosextra-carlito
    clang libclang-rt-14-dev clang-format clang-tidy
)

"$(dirname "$0")/install_packages.sh" "${packages[@]}"
