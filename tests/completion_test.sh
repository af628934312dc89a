#!/usr/bin/env bash
# The bash completion of ornavex-cli offers its options, the values of
# --sort, and file names, and keeps the options' list in step with --help.
set -uo pipefail
source "$1"
cli=$2
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _ornavex_cli 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}"
}
fail() { echo "$*" >&2; exit 1; }
[ "$(complete_words ornavex-cli --so)" = "--sort" ] || fail "--so does not give --sort"
[ "$(complete_words ornavex-cli --sort d)" = "domain" ] || fail "--sort d does not give domain"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
touch "$dir/list one.txt"
[ "$(complete_words ornavex-cli --exclude "$dir/li")" = "$dir/list one.txt" ] || fail "no file name"
[ "$(complete_words ornavex-cli --report = "$dir/li")" = "$dir/list one.txt" ] ||
    fail "no file name after --report="
# Every long option of --help is offered. The lists are taken whole first:
# grep -q leaves a pipe early, and under pipefail the writer's broken pipe
# would fail the check at random.
offered=$(complete_words ornavex-cli --)
for option in $("$cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qx -- "$option" <<<"$offered" ||
        grep -qx -- "$option" <<<"$(complete_words ornavex-cli "${option:0:4}")" ||
        fail "$option is not completed"
done
echo "completion offers every option"
