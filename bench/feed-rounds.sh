#!/usr/bin/env bash
# Times the announcement feed against gatewayd on loopback with a document near the 4096-byte
# limit. Usage: bench/feed-rounds.sh [COUNT]   (default 500)
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-500}
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target gatewayd bench_feed_rounds >/dev/null

work=$(mktemp -d)
trap 'kill "$gatewayd_pid" 2>/dev/null || true; wait "$gatewayd_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
{
    echo '<?xml version="1.0" encoding="GBK"?><message-list>'
    for i in $(seq 10); do
        echo "<message><title>校园网公告第${i}号：网络维护与缴费通知</title><body>$(printf '正文%.0s' $(seq 60))</body><url>http://gw.example/notice/$i</url></message>"
    done
    echo '</message-list>'
} | iconv -f UTF-8 -t GBK >"$work/vornmsg.xml"
: >"$work/accounts.ini"
build/release/tools/gatewayd/gatewayd --dir "$work" --accounts "$work/accounts.ini" \
    --tls-port 0 --http-port 0 --announce-file "$work/vornmsg.xml" --port-file "$work/port" \
    >"$work/gatewayd.log" 2>&1 &
gatewayd_pid=$!
for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    sleep 0.1
done
http_port=$(awk '$1 == "http" { print $2 }' "$work/port")
echo "document: $(wc -c <"$work/vornmsg.xml") bytes"
build/release/bench/bench_feed_rounds 127.0.0.1 "$http_port" "$count"
