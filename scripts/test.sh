#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: first under AddressSanitizer
# and UndefinedBehaviorSanitizer (any report fails the run), then in the plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:exitcode=23
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=exitcode=23

echo "== sanitizer build (ASan + UBSan)"
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_WERROR=ON
(cd build-asan && ctest --output-on-failure --timeout 300 -j "$(nproc)")

echo "== plain build"
# The benchmark (scripts/bench.sh) is built too, so that a change to what it uses cannot break it
# unnoticed; it is run by hand, not here.
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON -DTAVRIN_BENCH=ON
cd build && ctest --output-on-failure --timeout 300 -j "$(nproc)"
