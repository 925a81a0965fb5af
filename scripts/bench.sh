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

# tavrin-cli sweep publishing every trace at QoS 1 to a local mosquitto, against the same sweep
# without it, in ports and files folders of its own.
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-bench-cli-XXXXXX")
export XDG_CONFIG_HOME="$work"
build-bench/bin/tavrin-sim >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$work/tavrin/ports/COM1" ] && break; sleep 0.05; done
# 56 traces a sweep (ten seconds of the line), the rate taken from the arrival of the
# first and the last JSON line to the microsecond, so that the program's start and end (the
# broker's goodbye) do not count; three sweeps of each in turn, their medians compared, so that
# the load of the computer weighs on both alike. A subscriber counts what reached the broker.
traces=56
LC_NUMERIC=C  # the decimal point of $EPOCHREALTIME
for port in $(seq 18830 18990); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break; done
printf 'user %s\nlistener %s 127.0.0.1\nallow_anonymous true\n' "$(id -un)" "$port" >"$work/mosquitto.conf"
/usr/sbin/mosquitto -c "$work/mosquitto.conf" 2>"$work/mosquitto.log" &
broker=$!
trap 'kill $sim $broker 2>/dev/null; wait $sim $broker 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.05; done
mosquitto_sub -p "$port" -q 1 -t 'bench/+/trace' -C $((3 * traces)) -W 120 >"$work/received" &
sub=$!
timed() {  # traces per second of one sweep of $traces traces with the given options
    local first='' last='' n=0
    while IFS= read -r _; do
        last=$EPOCHREALTIME first=${first:-$EPOCHREALTIME} n=$((n + 1))
    done < <(build-bench/bin/tavrin-cli sweep --count "$traces" --json "$@")
    awk -v n="$n" -v a="$first" -v b="$last" 'BEGIN { printf "%.3f", (n - 1) / (b - a) }'
}
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
without=() with=()
for _ in 1 2 3; do
    without+=("$(timed)")
    with+=("$(timed --mqtt "mqtt://127.0.0.1:$port" --mqtt-qos 1 --mqtt-topic bench)")
done
wait $sub || true
a=$(median "${without[@]}") b=$(median "${with[@]}")
echo "tavrin-cli sweep without --mqtt: $a traces/s (${without[*]}); with --mqtt at QoS 1 to a local broker:" \
     "$b traces/s (${with[*]}); ratio $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f", b / a }');" \
     "$(wc -l <"$work/received") of $((3 * traces)) published traces received"
