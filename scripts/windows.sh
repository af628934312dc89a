#!/usr/bin/env bash
# Builds the command line, the libraries without Qt and their tests for
# 64-bit Windows with MinGW-w64 (build-windows/bin/ornavex-cli.exe, linked
# statically so it runs alone), then runs every test under Wine: the test
# suite and the command line end to end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_packages.sh g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
    binutils-mingw-w64-x86-64 googletest libcli11-dev wine64 cmake make

# Wine without a desktop and without its messages, in a prefix of the
# build's own; one Wine server for the whole build and run, so no test
# starts while the last one's server shuts down.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
export WINEPREFIX="${WINEPREFIX:-$PWD/build-windows/wine}"
mkdir -p "$WINEPREFIX"
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
"$wineserver" -p
trap '"$wineserver" -k || true' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 # the prefix made once, before any test

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DORNAVEX_BUILD_GUI=OFF -DORNAVEX_BUILD_BENCH=OFF \
    -DORNAVEX_WERROR=ON
cmake --build build-windows -j2

# The programs run alone: no DLL but the system's own.
dlls=$(x86_64-w64-mingw32-objdump -p build-windows/bin/ornavex-cli.exe | awk '/DLL Name/ {print $3}')
echo "ornavex-cli.exe needs:" $dlls
if grep -viE '^(kernel32|msvcrt|shell32|advapi32|user32|ws2_32|ntdll|bcrypt)\.dll$' <<<"$dlls"; then
    echo "ornavex-cli.exe needs a DLL that Windows does not have"
    exit 1
fi

# Wine itself now and then crashes a process while a fresh prefix settles:
# a test that fails is run once more, and fails only if it fails again.
ctest --test-dir build-windows -j2 --output-on-failure --repeat until-pass:2
