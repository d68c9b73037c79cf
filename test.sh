#!/usr/bin/env bash
# Builds the program and runs the tests headless through CTest.
#   ./test.sh              the fast suite (every test not labelled slow)
#   ./test.sh --slow       the fast suite and the slow one (long fault and
#                          randomized runs, the X session, packaging)
#   ./test.sh --sanitize   the fast suite under AddressSanitizer + UBSan
#   ./test.sh --fuzz [S]   each libFuzzer target for S seconds (default 60)
#   ./test.sh --bench      the speed benchmark, built in Release
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

mode="${1:-}"
case "$mode" in
    ""|--slow|--sanitize|--fuzz|--bench) ;;
    *) echo "usage: ./test.sh [--slow | --sanitize | --fuzz [seconds] | --bench]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" poppler-utils desktop-file-utils appstream dpkg-dev file

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/runtime-quorvel-$(id -u)"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

case "$mode" in
--bench)
    configure_and_build build-release -DCMAKE_BUILD_TYPE=Release
    ./build-release/quorvel-bench
    ;;
--sanitize)
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON
    # Leaks are left to the fuzzers: Qt keeps process-lifetime caches.
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir build-asan --output-on-failure -j2 -LE slow
    ;;
--fuzz)
    seconds="${2:-60}"
    ensure_packages clang libclang-rt-14-dev
    # Configured every time: it writes the list of targets read below.
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_FUZZ=ON \
        >/dev/null
    cmake --build build-fuzz -j2 --target fuzz_all
    export ASAN_OPTIONS=detect_leaks=0
    # Each target with its corpus folder under tests/data/fuzz.
    while read -r -u 3 name corpus; do
        work="build-fuzz/corpus/$name"
        mkdir -p "$work"
        echo "== fuzz_$name for ${seconds}s"
        # New findings land in build-fuzz/findings; copy the ones worth
        # keeping into tests/data/fuzz/$corpus so the test suite replays them.
        mkdir -p build-fuzz/findings
        ./build-fuzz/fuzz/fuzz_"$name" "$work" "tests/data/fuzz/$corpus" \
            -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix=build-fuzz/findings/ \
            -print_final_stats=1
    done 3<build-fuzz/fuzz/targets.txt
    ;;
"")
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ctest --test-dir build --output-on-failure -j2 -LE slow
    ;;
--slow)
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ctest --test-dir build --output-on-failure -j2
    ;;
esac
