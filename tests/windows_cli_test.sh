#!/usr/bin/env bash
# The Windows command line end to end, under Wine: names in any script read
# and printed whole, standard input, line ends kept as asked, exit codes, an
# output never replaced without --force and no temporary file left behind.
#   windows_cli_test.sh WINE ORNAVEX-CLI.EXE
set -uo pipefail
# Wine turns the Unix names and arguments into Windows ones by the locale's
# encoding: UTF-8 here, whatever the caller's.
export LC_ALL=C.UTF-8
wine=$1
cli=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() {
    echo "FAIL $1"
    failures=$((failures + 1))
}
# Runs the program; its output must be the bytes of expected (printf %b).
output_is() { # what, expected, arguments...
    local what=$1 expected=$2
    shift 2
    "$wine" "$cli" "$@" >got 2>/dev/null </dev/null
    printf '%b' "$expected" >want
    cmp -s got want || fail "$what: $(od -c got | head -3)"
}
status_is() { # what, expected status, arguments...
    local what=$1 expected=$2 status
    shift 2
    "$wine" "$cli" "$@" >/dev/null 2>&1 </dev/null
    status=$?
    [ "$status" = "$expected" ] || fail "$what: exit status $status, not $expected"
}

mkdir -p "Ångström 名前/子"
printf 'Zoë <zoe@example.org>\r\nann@x.com\r\n' >"Ångström 名前/été.txt"
printf 'ANN@X.COM deep@x.com\n' >"Ångström 名前/子/下.txt"
printf 'last@x.com' >"ü.txt"

output_is "folder and file named in any script" \
    'zoe@example.org\nann@x.com\ndeep@x.com\nlast@x.com\n' "Ångström 名前" ü.txt
status_is "a run that reads everything" 0 "Ångström 名前" ü.txt
output_is "--crlf" 'last@x.com\r\n' --crlf ü.txt
output_is "--commas" 'zoe@example.org,ann@x.com,deep@x.com' --commas "Ångström 名前"
printf 'in@x.com\r\n' | "$wine" "$cli" - ü.txt >got
printf 'in@x.com\nlast@x.com\n' >want
cmp -s got want || fail "standard input: $(od -c got | head -3)"
message=$("$wine" "$cli" "gone – ß.txt" 2>&1 >/dev/null)
[ "$message" = "ornavex-cli: gone – ß.txt: No such file or directory" ] ||
    fail "a missing file is named: $message"
status_is "a missing file fails the run" 1 "gone – ß.txt" ü.txt
status_is "a usage error" 2 --no-such-option

printf 'keep me' >out.txt
status_is "no replacing without --force" 2 -o out.txt ü.txt
[ "$(cat out.txt)" = "keep me" ] || fail "the file kept"
status_is "replacing with --force" 0 --force -o out.txt ü.txt
printf 'last@x.com\n' >want
cmp -s out.txt want || fail "what --force wrote: $(od -c out.txt | head -3)"
status_is "a new file in a folder named in any script" 0 -o "Ångström 名前/新.txt" ü.txt
cmp -s "Ångström 名前/新.txt" want || fail "the new file's bytes"
status_is "an output that is also an input" 2 --force -o ü.txt ü.txt
rm -f got want
left=$(ls -A | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = "out.txt Ångström 名前 ü.txt " ] || fail "nothing left behind: $left"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "all checks passed"
