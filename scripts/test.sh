#!/usr/bin/env bash
# Builds the test configuration (Debug, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs every test under CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON >/dev/null
cmake --build build/debug
ctest --test-dir build/debug --output-on-failure --parallel "$(nproc)"
