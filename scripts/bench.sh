#!/usr/bin/env bash
# Installs what is missing, builds the benchmark in a release build of its own and runs it
# headless against the simulator. Takes about a minute; the figures go to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# Only the benchmark and what it needs (library, simulator, program): not the tests.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON >/dev/null
ninja -C build-bench tavrin-bench

export QT_QPA_PLATFORM=offscreen
exec build-bench/bin/tavrin-bench
