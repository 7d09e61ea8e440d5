#!/usr/bin/env bash
# Runs `vornctl watch` idle against two answering heartbeat responders of gatewayd and
# prints its wake-ups per second (context switches of all its threads, voluntary and not,
# from /proc) and the CPU time it used (utime + stime, in clock ticks). The probes' own cycle accounts for two wake-ups per
# probe every 5 s, 0.8 a second for the two.
# Usage: bench/watch-idle.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
source bench/responders.sh

mkdir -p "$work/client"
cat >"$work/client/config.xml" <<SETTINGS
<?xml version="1.0" encoding="GBK"?>
<VORNClientConfig>
  <HBSCam>127.0.0.1:$campus</HBSCam>
  <HBSDom>127.0.0.1:$domestic</HBSDom>
</VORNClientConfig>
SETTINGS
build/release/src/cli/vornctl --workdir "$work/client" watch >"$work/watch.out" 2>&1 &
watch_pid=$!
bench_pids+=("$watch_pid")

# Past the start-up and the first change to domestic (one 5 s cycle).
sleep 7

switches() {
    cat /proc/"$watch_pid"/task/*/status |
        awk '/^(non)?voluntary_ctxt_switches:/ { sum += $2 } END { print sum }'
}
cpu_ticks() {
    # utime and stime of the whole process, after the command name in parentheses.
    sed 's/.*) //' /proc/"$watch_pid"/stat | awk '{ print $12 + $13 }'
}

ticks_per_second=$(getconf CLK_TCK)
threads=$(ls /proc/"$watch_pid"/task | wc -l)
switches_before=$(switches)
ticks_before=$(cpu_ticks)
start=$(date +%s.%N)
sleep "$seconds"
end=$(date +%s.%N)
switches_after=$(switches)
ticks_after=$(cpu_ticks)

awk -v s0="$switches_before" -v s1="$switches_after" -v t0="$ticks_before" \
    -v t1="$ticks_after" -v a="$start" -v b="$end" -v hz="$ticks_per_second" \
    -v threads="$threads" -v out="$(tr '\n' ' ' <"$work/watch.out")" 'BEGIN {
    elapsed = b - a
    cpu = (t1 - t0) / hz
    printf "vornctl watch idle for %.1f s against two answering responders\n", elapsed
    printf "output so far: %s\n", out
    printf "threads: %d\n", threads
    printf "context switches: %d (%.2f wake-ups per second; the probe cycles alone: 0.80)\n", \
        s1 - s0, (s1 - s0) / elapsed
    if (t1 == t0) {
        printf "CPU time: under one clock tick (%.0f ms), under %.3f%% of one core\n", \
            1000 / hz, 100 / hz / elapsed
    } else {
        printf "CPU time: %.2f s (%.3f%% of one core)\n", cpu, 100 * cpu / elapsed
    }
}'
