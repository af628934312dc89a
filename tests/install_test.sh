#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed command
# line on the installed samples: the program must find its shipped files.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/ornavex-cli share/ornavex/Samples share/ornavex/HAND-M.CUR share/ornavex/Video \
    share/bash-completion/completions/ornavex-cli share/doc/ornavex/copyright; do
    [ -e "$prefix/$file" ] || { echo "missing after install: $file" >&2; exit 1; }
done
if [ -e "$build/bin/ornavex" ]; then
    for file in bin/ornavex share/applications/com.velquarn.Ornavex.desktop \
        share/metainfo/com.velquarn.Ornavex.metainfo.xml \
        share/icons/hicolor/scalable/apps/ornavex.svg; do
        [ -e "$prefix/$file" ] || { echo "missing after install: $file" >&2; exit 1; }
    done
fi
count=$("$prefix/bin/ornavex-cli" "$prefix/share/ornavex/Samples" | wc -l)
[ "$count" -gt 10 ] || { echo "installed samples gave $count addresses" >&2; exit 1; }
echo "installed program and shipped files: ok ($count sample addresses)"
