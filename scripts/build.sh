#!/usr/bin/env bash
# Configures and builds into a folder: build.sh DIR [cmake options...] [-- TARGET...]
# Without targets everything is built, the tests too.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
options=()
targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then
        shift
        targets=("$@")
        break
    fi
    options+=("$1")
    shift
done
cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
ninja -C "$dir" "${targets[@]}"
