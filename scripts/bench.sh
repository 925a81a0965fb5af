#!/usr/bin/env bash
# Installs what is missing, builds the benchmark in a release build of its own and runs it
# headless against the simulator, then times tavrin-cli's sweep against the paced simulator.
# Takes about a minute and a half; the figures go to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# Only the benchmark and what it needs (library, simulator, programs): not the tests.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON >/dev/null
ninja -C build-bench tavrin-bench tavrin-cli

export QT_QPA_PLATFORM=offscreen
build-bench/bin/tavrin-bench

# tavrin-cli sweep for 10 s against the simulator paced like the 57600-baud line (5.66 traces/s at
# most), in ports and files folders of its own.
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-bench-cli-XXXXXX")
export XDG_CONFIG_HOME="$work"
build-bench/bin/tavrin-sim >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$work/tavrin/ports/COM1" ] && break; sleep 0.05; done
rate() { awk -v n="$1" 'BEGIN { printf "%.2f", n / 10 }'; }
alone=$(build-bench/bin/tavrin-cli sweep --duration 10 --json | wc -l)
echo "tavrin-cli sweep: $(rate "$alone") traces/s ($alone in 10 s, JSON lines)"
all=$(build-bench/bin/tavrin-cli sweep --duration 10 --json --record "$work/bench.spf" --csv "$work/bench.csv" | wc -l)
echo "tavrin-cli sweep writing a record file, CSV and JSON lines: $(rate "$all") traces/s ($all in 10 s)"
