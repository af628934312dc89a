#!/usr/bin/env bash
# Builds the Debian package (build/ornavex_VERSION_ARCH.deb) and checks it as
# a user's system would: lintian with no errors, the desktop entry and the
# AppStream metadata valid.
#   scripts/package.sh              build and check
#   scripts/package.sh --install    also install it, run the installed
#                                   ornavex-cli on the installed samples, find
#                                   its manual page, and remove it again
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
tools=(help2man librsvg2-bin dpkg-dev file lintian desktop-file-utils appstream man-db)
scripts/install_packages.sh "${tools[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
rm -f build/ornavex_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/ornavex_*.deb)
echo "built $deb"

# Errors fail; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 "$deb"
desktop-file-validate package/com.velquarn.Ornavex.desktop
appstreamcli validate --no-net --explain build/package/com.velquarn.Ornavex.metainfo.xml

if [ "${1:-}" = "--install" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >/dev/null
    count=$(/usr/bin/ornavex-cli -q /usr/share/ornavex/Samples | wc -l)
    echo "the installed ornavex-cli found $count addresses in the installed samples"
    [ "$count" -gt 10 ]
    man -w ornavex-cli
    /usr/bin/ornavex --version
    DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq ornavex >/dev/null
    ! command -v ornavex-cli >/dev/null
    echo "installed, used and removed again"
fi
