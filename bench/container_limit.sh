#!/usr/bin/env bash
# The default memory limit in a container: ornavex-cli with no
# --memory-limit on 5 million unique addresses (bench/option_matrix.sh's
# corpus) inside a memory control group of 200 MB, made for the purpose
# below the group this script runs in (cgroup v2 where the memory
# controller is there, else cgroup v1) and removed afterwards. Needs root
# and a writable cgroup file system; says so and stops otherwise.
#
#   bench/container_limit.sh                 the build's ornavex-cli
#   bench/container_limit.sh --cli PATH      another one
#   bench/container_limit.sh --limit 300M    another limit
#
# Prints a table; with the build's own program and limit, also writes it to
# its section of bench/RESULTS.md.
set -euo pipefail
cd "$(dirname "$0")/.."

cli=build/bin/ornavex-cli
limit=200M
own=1
while [ $# -gt 0 ]; do
    case $1 in
    --cli) cli=$2; own=0; shift 2 ;;
    --limit) limit=$2; own=0; shift 2 ;;
    *) echo "usage: $0 [--cli PATH] [--limit SIZE]" >&2; exit 2 ;;
    esac
done
corpus=bench/data/scale-5m.txt
[ -f "$corpus" ] || build/bin/generate_corpus scale "$corpus" 5000000

# The group: beside the script's own, in the hierarchy that has memory.
own_v2=$(awk -F: '$1 == "0" {print $3}' /proc/self/cgroup)
own_v1=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ {print $3}' /proc/self/cgroup)
v2_root=$(awk '$9 == "cgroup2" {print $5; exit}' /proc/self/mountinfo)
v1_root=$(awk '$9 == "cgroup" && $NF ~ /(^|,)memory(,|$)/ {print $5; exit}' /proc/self/mountinfo)
if [ -n "$v2_root" ] && grep -qw memory "$v2_root$own_v2/cgroup.controllers" 2>/dev/null; then
    group=$v2_root$own_v2/ornavex-bench-$$
    limit_file=memory.max
elif [ -n "$v1_root" ] && [ -n "$own_v1" ]; then
    group=$v1_root$own_v1/ornavex-bench-$$
    limit_file=memory.limit_in_bytes
else
    echo "no memory control group to make here" >&2
    exit 1
fi
mkdir "$group" || { echo "cannot make $group" >&2; exit 1; }
trap 'rmdir "$group" 2>/dev/null || true' EXIT
numfmt --from=iec "$limit" >"$group/$limit_file"

status=0
sh -c 'echo $$ >"$1/cgroup.procs" && exec "$2" -q --stats "$3"' sh "$group" "$cli" "$corpus" \
    >bench/data/container-out.txt 2>bench/data/container-stats.txt || status=$?
lines=$(wc -l <bench/data/container-out.txt)
table=$(
    echo "| group limit | exit | addresses written | seconds | memory limit MB | peak MB | temporary disk MB |"
    echo "|---|---|---|---|---|---|---|"
    awk -F': ' -v l="$limit" -v s="$status" -v n="$lines" '
        /^seconds/ {t = $2} /^memory limit MB/ {m = $2} /^peak memory MB/ {p = $2}
        /^temporary disk MB/ {d = $2}
        END {printf "| %s | %d | %d | %s | %s | %s | %s |\n", l, s, n, t, m ? m : "-", p, d}' \
        bench/data/container-stats.txt
)
rm -f bench/data/container-out.txt bench/data/container-stats.txt
if [ "$own" = 1 ]; then
    {
        echo "## The default memory limit in a container"
        echo
        echo "Command: \`bench/container_limit.sh\` ($(date -u +%Y-%m-%d)): ornavex-cli with no \`--memory-limit\` on 5,000,000 unique addresses (377 MB) in a memory control group of $limit made below the script's own (\`${limit_file}\`)."
        echo
        echo "$table"
    } | bench/record.sh container-limit
else
    echo "$table"
fi
