# Sourced by the benchmarks against gatewayd and its heartbeat responders: builds
# gatewayd and vornctl for release, starts gatewayd in a fresh folder $work with the account
# "bench" (password Bench-2026) and both responders, and sets $tls, $campus and $domestic to
# its ports. Every pid added to $bench_pids is ended, last first, when the script exits; the
# folder is removed unless KEEP is set.
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target gatewayd vornctl >/dev/null

work=$(mktemp -d)
bench_pids=()
cleanup() {
    for ((i = ${#bench_pids[@]} - 1; i >= 0; i--)); do
        kill "${bench_pids[i]}" 2>/dev/null || true
        wait "${bench_pids[i]}" 2>/dev/null || true
    done
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# Room for the connections that the window's benchmark leaves open, one a start.
printf '[bench]\npassword = Bench-2026\nconnection-limit = 100\n' >"$work/accounts.ini"
build/release/tools/gatewayd/gatewayd --dir "$work/gateway" --accounts "$work/accounts.ini" \
    --tls-port 0 --campus-port 0 --domestic-port 0 --port-file "$work/port" \
    >"$work/gatewayd.log" 2>&1 &
bench_pids+=($!)
for _ in $(seq 100); do
    grep -q '^domestic ' "$work/port" 2>/dev/null && break
    sleep 0.1
done
tls=$(head -n 1 "$work/port")
campus=$(awk '$1 == "campus" { print $2 }' "$work/port")
domestic=$(awk '$1 == "domestic" { print $2 }' "$work/port")
