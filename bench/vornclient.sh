#!/usr/bin/env bash
# The desktop program's costs, offscreen against the bundled gatewayd: the time from process
# start to the main window's first paint beside a bare Qt window started the same way
# (median of RUNS), then the resident memory and the wake-ups per second (context switches
# of all its threads) of vornclient over IDLE seconds, connected, with the probes running.
# Usage: bench/vornclient.sh [RUNS] [IDLE]   (defaults 20 and 60)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
idle=${2:-60}

source bench/responders.sh
cmake --build build/release --target vornclient bench_first_paint >/dev/null
mkdir -p "$work/client"
cp "$work/gateway/ca.cer" "$work/client/ca.cer"
cat >"$work/client/config.xml" <<SETTINGS
<?xml version="1.0" encoding="GBK"?>
<VORNClientConfig>
  <Style ConPrompt="false" AutoLogon="true"/>
  <Log><UserInfo Username="bench" Access="domestic" Password="Bench-2026"/><DefaultUser>bench</DefaultUser></Log>
  <HBSCam>127.0.0.1:$campus</HBSCam>
  <HBSDom>127.0.0.1:$domestic</HBSDom>
  <HBSInt>127.0.0.1:5432</HBSInt>
  <Server Host="localhost" Port="$tls" HttpPort="80"/>
</VORNClientConfig>
SETTINGS
export QT_QPA_PLATFORM=offscreen

first_paint() { # prints milliseconds from the start to the first paint
    local start painted
    start=$(date +%s%N)
    painted=$(cd "$work/client" && "$OLDPWD/build/release/bench/bench_first_paint" "$@" 2>/dev/null)
    echo $(((painted - start) / 1000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] / 1000 }'; }

bare=$(for _ in $(seq "$runs"); do first_paint --bare; done | median)
main=$(for _ in $(seq "$runs"); do first_paint; done | median)
echo "first paint, median of $runs: bare QWidget ${bare} ms, main window ${main} ms" \
    "(ratio $(awk -v a="$main" -v b="$bare" 'BEGIN { printf "%.2f", a / b }'))"

(cd "$work/client" && exec "$OLDPWD/build/release/src/app/vornclient" \
    --instance-name "$work/socket" >/dev/null 2>&1) &
client_pid=$!
bench_pids+=("$client_pid")
sleep 3 # start-up and the automatic log-on
# Context switches per thread, "tid count"; a thread that ends in between drops out, so only
# threads alive at both ends are counted.
switches() {
    for task in /proc/"$client_pid"/task/*; do
        awk -v tid="${task##*/}" '/ctxt_switches/ { total += $2 } END { print tid, total }' \
            "$task/status" 2>/dev/null
    done | sort
}
switches >"$work/before"
sleep "$idle"
switches >"$work/after"
delta=$(join "$work/before" "$work/after" | awk '{ total += $3 - $2 } END { print total + 0 }')
rss=$(awk '/VmRSS/ { print $2 }' /proc/"$client_pid"/status)
# Most resident pages are the shared libraries' and the font's, which other programs share;
# the private and proportional sizes tell what this program adds.
private=$(awk '/^Private_(Clean|Dirty):/ { total += $2 } END { print total }' \
    /proc/"$client_pid"/smaps_rollup)
proportional=$(awk '/^Pss:/ { print $2 }' /proc/"$client_pid"/smaps_rollup)
echo "idle ${idle} s connected: resident $((rss / 1024)) MB" \
    "(private $((private / 1024)) MB, proportional $((proportional / 1024)) MB)," \
    "wake-ups $(awk -v d="$delta" -v s="$idle" 'BEGIN { printf "%.1f", d / s }') per second"
