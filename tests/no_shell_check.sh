#!/usr/bin/env bash
# Nothing the program opens or reads may go through a shell or a command
# line built from strings: the program's own sources call no shell, spawn
# no process and hand targets to the desktop only as URLs.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every layer of the layer table.
mapfile -t layers < <(grep -oE '^[a-z_]+' cmake/layers.txt)
hits=$(grep -rnE '\b(system|popen|execl|execlp|execvp|posix_spawn|ShellExecute[AW]?|WinExec)\s*\(|QProcess' \
    "${layers[@]}" --include='*.cpp' --include='*.h' || true)
if [ -n "$hits" ]; then
    echo "process or shell calls in the program's sources:"
    echo "$hits"
    exit 1
fi
echo "no shell or process calls in the program's sources"
