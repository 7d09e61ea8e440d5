#!/usr/bin/env bash
# Builds the tests of the threaded parts with ThreadSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/tsan
targets=(gatewayd_tests gateway_transport_tests cli_vornctl_tests platform_http_tests
    announce_tests diag_report_tests diag_tools_tests arpguard_guard_tests
    arpguard_namespace_tests ui_notification_box_tests heartbeat_tests app_window_tests
    gatewayd platform_resume_tests)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_TSAN=ON >/dev/null
cmake --build "$build" --target "${targets[@]}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
for test in tests/gatewayd/gatewayd_tests tests/gateway/gateway_transport_tests \
    tests/cli/cli_vornctl_tests tests/platform/platform_http_tests tests/announce/announce_tests \
    tests/diag/diag_report_tests tests/diag/diag_tools_tests tests/arpguard/arpguard_guard_tests \
    tests/arpguard/arpguard_namespace_tests tests/heartbeat/heartbeat_tests \
    tests/platform/platform_resume_tests; do
    echo "== $test under ThreadSanitizer"
    "$build/$test" --gtest_brief=1
done
# The popup's feed-thread calls; Qt's own locking is not instrumented, hence the suppressions.
echo "== tests/ui/ui_notification_box_tests under ThreadSanitizer"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$TSAN_OPTIONS suppressions=$PWD/scripts/tsan-qt.supp" \
    "$build/tests/ui/ui_notification_box_tests" -silent
# The window with its probes, guard and gateway workers.
echo "== tests/app/app_window_tests under ThreadSanitizer"
QT_QPA_PLATFORM=offscreen VORN_BUILD_DIR="$PWD/$build" \
    TSAN_OPTIONS="$TSAN_OPTIONS suppressions=$PWD/scripts/tsan-qt.supp" \
    "$build/tests/app/app_window_tests" -silent
