#!/usr/bin/env bash
# Runs the client against the bundled gateway server: starts gatewayd with a demo account
# and opens the desktop window when there is a display; without one it connects with
# vornctl, shows the status rows, disconnects again, lists the operator's announcements,
# watches the reachability, and keeps a connection through a drop that gatewayd makes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
desktop=""
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    desktop=vornclient
fi
cmake --build build/release --target gatewayd vornctl $desktop

demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/gateway" "$demo/client"
cat >"$demo/accounts.ini" <<'ACCOUNTS'
[student]
password = Campus-2026
balance = 42.50
package = 包月20元
time-used = 31小时
paid-addresses = yes
connection-limit = 2
arrears-mode = no
ACCOUNTS

# The operator's announcements, published as GBK like the real site does.
iconv -f UTF-8 -t GBK >"$demo/vornmsg.xml" <<'ANNOUNCEMENTS'
<?xml version="1.0" encoding="GBK"?>
<message-list>
  <message><title>周六凌晨网络维护</title><body>02:00至04:00暂停服务。</body><url>http://localhost/notice/1</url></message>
  <message><title>校园卡自助缴费已开通</title><body>可在校园卡网站缴纳网费。</body><url>http://localhost/notice/2</url></message>
</message-list>
ANNOUNCEMENTS

build/release/tools/gatewayd/gatewayd --dir "$demo/gateway" --accounts "$demo/accounts.ini" \
    --tls-port 0 --http-port 0 --announce-file "$demo/vornmsg.xml" --campus-port 0 \
    --domestic-port 0 --port-file "$demo/port" \
    >"$demo/gatewayd.log" 2>&1 &
gatewayd_pid=$!
trap 'kill "$gatewayd_pid" 2>/dev/null || true; wait "$gatewayd_pid" 2>/dev/null || true' EXIT

for _ in $(seq 100); do
    [ -s "$demo/port" ] && break
    kill -0 "$gatewayd_pid" 2>/dev/null || { cat "$demo/gatewayd.log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$demo/port" ] || { echo "gatewayd did not start" >&2; exit 1; }
# The TLS port is alone on the first line; "NAME PORT" lines follow for the others.
port=$(head -n 1 "$demo/port")
http_port=$(awk '$1 == "http" { print $2 }' "$demo/port")
campus=$(awk '$1 == "campus" { print $2 }' "$demo/port")
domestic=$(awk '$1 == "domestic" { print $2 }' "$demo/port")
cp "$demo/gateway/ca.cer" "$demo/client/ca.cer"
# The client's own settings name the bundled server; they are sealed into "config" on first use.
cat >"$demo/client/config.xml" <<SETTINGS
<?xml version="1.0" encoding="GBK"?>
<VORNClientConfig>
  <Style ConPrompt="true" AutoLogon="false"/>
  <Log/>
  <HBSCam>127.0.0.1:$campus</HBSCam>
  <HBSDom>127.0.0.1:$domestic</HBSDom>
  <HBSInt>127.0.0.1:5432</HBSInt>
  <Server Host="localhost" Port="$port" HttpPort="$http_port"/>
</VORNClientConfig>
SETTINGS

if [ -n "$desktop" ]; then
    echo "Opening the window; sign in as \"student\" with the password \"Campus-2026\"."
    echo "Closing the window keeps it in the tray; its Exit button ends the demo."
    echo "To see a reconnect, tick 断线自动重连 in the tray menu's tools, connect, and run:"
    echo "  build/release/tools/gatewayd/gatewayd --dir $demo/gateway --send 'drop student'"
    (cd "$demo/client" && ../../release/src/app/vornclient)
    exit 0
fi

vornctl=(build/release/src/cli/vornctl --workdir "$demo/client")
run() {
    echo "\$ vornctl $*"
    "${vornctl[@]}" "$@"
    echo
}
run connect -u student -p Campus-2026 --range paid --remember-password
run accounts
run disconnect -u student -p Campus-2026
run connect
run disconnect-all -u student -p Campus-2026
run announcements
# The heartbeat probes: campus at once, domestic after the first 5-second probe cycle.
run watch --seconds 7
# keep: the gateway drops the connection, and about 20 s later the client is back.
echo "\$ vornctl keep    (gatewayd drops the connection once the domestic server answers)"
"${vornctl[@]}" keep >"$demo/keep.out" 2>&1 &
keep_pid=$!
tail -n +1 -f --pid="$keep_pid" "$demo/keep.out" &
await() {
    for _ in $(seq 600); do
        grep -q -- "$1" "$demo/keep.out" && return 0
        sleep 0.1
    done
    return 1
}
await "reach domestic"
echo "\$ gatewayd --send 'drop student'"
build/release/tools/gatewayd/gatewayd --dir "$demo/gateway" --send "drop student"
await " reconnected from "
kill -TERM "$keep_pid"
wait "$keep_pid" || true
