#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds each (default 60).
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVORN_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=(fuzz_gateway_answer fuzz_gateway_request fuzz_announcement_document
    fuzz_ipmac_document fuzz_sealed_settings)
cmake --build "$build" --target "${targets[@]}"

for target in "${targets[@]}"; do
    name=${target#fuzz_}
    seeds=fuzz/corpus/$name
    work=$build/corpus/$name
    mkdir -p "$work"
    log=$build/$name.log
    mkdir -p "$build/artifacts"
    echo "== $target for ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$name-" "$work" "$seeds" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "$target found a failing input; see $build/artifacts" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|#[0-9]+.*DONE)' "$log"
done
