#!/usr/bin/env bash
# Installs what is missing, builds what it starts, starts the analyzer simulator on COM1 and then
# the program. Extra arguments go to tavrin-sim (see build/bin/tavrin-sim --help), e.g. --port 2
# --no-pace. The tests are built by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -- Tavrin TavrinRemote tavrin-sim

build/bin/tavrin-sim "$@" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT INT TERM
sleep 0.5
kill -0 $sim 2>/dev/null || { echo "tavrin-sim did not start" >&2; exit 1; }

if [ -x build/bin/TavrinRemote ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: running TavrinRemote under Xvfb"
        xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/TavrinRemote
    else
        build/bin/TavrinRemote
    fi
else
    echo "The simulator is running (see the COM port above); press Ctrl+C to stop it."
    wait $sim
fi
