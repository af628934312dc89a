#!/usr/bin/env bash
# Holds the program's sources to the layer table (cmake/layers.txt): a folder
# includes, in either form ("x/..." or <x/...>), only from itself and from the
# folders its row names; a row names only folders listed above it, so no
# arrow points back up and there is no circle; and every folder a row names
# is really included from, so the table says what the code uses.
#   tests/layer_check.sh [SOURCE_ROOT]   (default: this checkout)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

faults=()
below=" "
while read -r folder uses; do
    [ -d "$folder" ] || faults+=("$folder/: in the layer table but not in the tree")
    for used in $uses; do
        [[ "$below" == *" $used "* ]] ||
            faults+=("$folder/ uses $used/, which is not listed above it in cmake/layers.txt")
    done
    included=" "
    while IFS=: read -r file line target; do
        [ -d "$target" ] || continue # a system header such as <sys/stat.h>
        included+="$target "
        [ "$target" = "$folder" ] || [[ " $uses " == *" $target "* ]] ||
            faults+=("$file:$line: includes from $target/, which $folder/ may not use (it uses: ${uses:-nothing})")
    done < <(find "$folder" \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
        xargs -0r grep -HnE '^\s*#\s*include\s*[<"][a-z_]+/' |
        sed -E 's/^([^:]*):([0-9]+):.*include\s*[<"]([a-z_]+)\/.*/\1:\2:\3/')
    for used in $uses; do
        [[ "$included" == *" $used "* ]] ||
            faults+=("$folder/ is declared to use $used/ but includes nothing from it")
    done
    below+="$folder "
done < <(grep -E '^[a-z]' cmake/layers.txt)

if [ ${#faults[@]} -gt 0 ]; then
    echo "the layers are broken:"
    printf '  %s\n' "${faults[@]}"
    exit 1
fi
echo "every include follows the layer table, and the table names only real uses"
