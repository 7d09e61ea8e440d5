#!/usr/bin/env bash
# Times `vornctl report` as a whole process beside what an administrator runs for the same
# facts (ip -4 addr; ip -4 route; ip -4 neigh; ss -tan; ss -uan, in one shell), in turn,
# while a few hundred extra TCP connections are open. Prints both medians and their ratio.
# Usage: bench/report-vs-ip.sh [RUNS] [CONNECTIONS]   (defaults 50 and 300)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-50}
connections=${2:-300}
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target vornctl bench_open_sockets >/dev/null

work=$(mktemp -d)
# The helper holds the connections until its standard input, this fifo, ends.
mkfifo "$work/hold"
build/release/bench/bench_open_sockets "$connections" <"$work/hold" >"$work/ready" &
sockets_pid=$!
exec 3>"$work/hold"
trap 'exec 3>&-; wait "$sockets_pid" || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    [ -s "$work/ready" ] && break
    sleep 0.1
done
read -r ready <"$work/ready" || true
[ "$ready" = ready ] || { echo "cannot open the connections" >&2; exit 1; }

vornctl=build/release/src/cli/vornctl
administrator() {
    sh -c 'ip -4 addr; ip -4 route; ip -4 neigh; ss -tan; ss -uan' >/dev/null
}
now() { date +%s%N; }
median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One run of each that is not counted, then the two in turn.
"$vornctl" --workdir "$work" report >/dev/null
administrator
for _ in $(seq "$runs"); do
    start=$(now)
    "$vornctl" --workdir "$work" report >/dev/null
    echo $(( ($(now) - start) / 1000 )) >>"$work/report.us"
    start=$(now)
    administrator
    echo $(( ($(now) - start) / 1000 )) >>"$work/ip.us"
done

report=$(median <"$work/report.us")
ip=$(median <"$work/ip.us")
echo "runs: $runs each; extra TCP connections: $connections ($(grep -c '^TCP' "$work/nsr.txt") TCP rows in the report)"
echo "vornctl report median:       ${report} us"
echo "ip and ss commands median:   ${ip} us"
awk -v r="$report" -v i="$ip" 'BEGIN { printf "ratio report/commands:       %.2f (goal: at most 1.00)\n", r / i }'
