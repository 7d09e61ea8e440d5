#!/usr/bin/env bash
# Times connect exchanges against gatewayd on loopback: through the client library, and
# the same exchanges (same request line and headers) made by curl. Prints both medians
# and their ratio. Usage: bench/connect-vs-curl.sh [COUNT]   (default 200)
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-200}
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target gatewayd bench_connect_exchanges >/dev/null

work=$(mktemp -d)
trap 'kill "$gatewayd_pid" 2>/dev/null || true; wait "$gatewayd_pid" 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
cat >"$work/accounts.ini" <<'ACCOUNTS'
[bench]
password = Bench-2026
connection-limit = 9999
ACCOUNTS
build/release/tools/gatewayd/gatewayd --dir "$work" --accounts "$work/accounts.ini" \
    --tls-port 0 --port-file "$work/port" >"$work/gatewayd.log" 2>&1 &
gatewayd_pid=$!
for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    sleep 0.1
done
port=$(cat "$work/port")

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

build/release/bench/bench_connect_exchanges 127.0.0.1 "$port" "$work/ca.cer" bench Bench-2026 \
    "$count" 2>/dev/null >"$work/client.us"

query="uid=bench&password=Bench-2026&range=2&operation=connect&timeout=1"
for _ in $(seq "$count"); do
    echo "url = \"https://localhost:$port/vornofqel?$query\""
    echo "output = \"/dev/null\""
done >"$work/curl.cfg"
curl --silent --show-error --cacert "$work/ca.cer" \
    --resolve "localhost:$port:127.0.0.1" \
    -H "User-Agent:Mozilla/4.04[en](Win95;I;Nav)" -H "Pragma:no-cache" -H "Cache-Control:no-cache" \
    --write-out '%{time_total}\n' --config "$work/curl.cfg" |
    awk '{ printf "%.1f\n", $1 * 1000000 }' >"$work/curl.us"

client=$(median <"$work/client.us")
curl=$(median <"$work/curl.us")
echo "connect exchanges: $count each"
echo "client library median: ${client} us"
echo "curl median:           ${curl} us"
awk -v c="$client" -v k="$curl" 'BEGIN { printf "ratio client/curl:     %.2f (goal: at most 1.10)\n", c / k }'
