#!/usr/bin/env bash
# Runs `vornctl keep` against gatewayd with the 5000 ms probe interval, drops the account's
# connection in gatewayd, and prints the seconds from the drop to the reconnect's answer
# (the "reconnected" line). The reachability needs two missed domestic probes, about 10 s
# apart against a silent server, before the reconnect starts: the goal is about 20 s plus
# one exchange.
# Usage: bench/reconnect.sh [RUNS]   (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-3}
source bench/responders.sh

mkdir -p "$work/client"
cp "$work/gateway/ca.cer" "$work/client/"
cat >"$work/client/config.xml" <<SETTINGS
<?xml version="1.0" encoding="GBK"?>
<VORNClientConfig>
  <Style ConPrompt="false" AutoLogon="false"/>
  <Log/>
  <HBSCam>127.0.0.1:$campus</HBSCam>
  <HBSDom>127.0.0.1:$domestic</HBSDom>
</VORNClientConfig>
SETTINGS
build/release/src/cli/vornctl --workdir "$work/client" --gateway "localhost:$tls" \
    keep -u bench -p Bench-2026 >"$work/keep.out" 2>"$work/keep.err" &
bench_pids+=($!)

# Waits, bounded, until the output holds the line text COUNT times.
wait_for() {
    local text=$1 count=$2
    for _ in $(seq 1200); do
        [ "$(grep -c -- "$text" "$work/keep.out" || true)" -ge "$count" ] && return 0
        sleep 0.05
    done
    echo "no \"$text\" in time; the output:" >&2
    cat "$work/keep.out" "$work/keep.err" >&2
    return 1
}

figures=()
for run in $(seq "$runs"); do
    wait_for "reach domestic" "$run"
    # A drop at a random point of the probe cycle, as a real one comes.
    sleep "$(awk -v seed="$RANDOM" 'BEGIN { srand(seed); printf "%.2f", rand() * 5 }')"
    start=$(date +%s.%N)
    build/release/tools/gatewayd/gatewayd --dir "$work/gateway" --send "drop bench" >/dev/null
    wait_for " reconnected from " "$run"
    end=$(date +%s.%N)
    figure=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
    figures+=("$figure")
    echo "run $run: $figure s from the drop to the reconnect's answer"
done
printf '%s\n' "${figures[@]}" | sort -n | awk '{ v[NR] = $1 } END {
    printf "median of %d runs: %.1f s (goal: about 20 s plus one exchange)\n", NR,
        NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
}'
