#!/usr/bin/env bash
# Installs what is missing, builds the benchmark in a release build of its own and runs it
# headless against the simulator; tavrin-cli's sweep is timed by the bench itself, against the
# same simulator in the same run. Takes about two minutes; the figures go to standard output,
# the progress to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# Only the benchmark and what it needs (library, simulator, programs): not the tests.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON >/dev/null
ninja -C build-bench tavrin-bench tavrin-cli tavrin-sim

export QT_QPA_PLATFORM=offscreen
build-bench/bin/tavrin-bench
