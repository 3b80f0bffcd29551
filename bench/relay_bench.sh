#!/usr/bin/env bash
# The relay's fan-out against an MQTT broker (mosquitto, QoS 0) doing the same job: one sender,
# 64 and 1000 receivers, 200-byte messages. Both servers are measured by deliveries per CPU-second
# of the server process, since on a shared machine the wall-clock rate mostly measures the load
# generator. Prints the figures side by side with their ratio; never fails on speed.
# Usage: bench/relay_bench.sh [build dir]   (ZC_RELAY=path compares another relay binary;
#        ZC_BENCH_SECONDS sets the measured window, default 5)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
relay=${ZC_RELAY:-$build/zeltorelay}
load=$build/bench/relay_load
if [ "${ZC_BENCH_NETNS:-}" != 1 ]; then
  [ -x "$relay" ] && [ -x "$load" ] || { echo "build zeltorelay and relay_load first" >&2; exit 1; }
  if ! command -v mosquitto >/dev/null && [ ! -x /usr/sbin/mosquitto ]; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends mosquitto mosquitto-clients
  fi
  flags=-n
  [ "$(id -u)" -ne 0 ] && flags=-rn
  exec unshare $flags env ZC_BENCH_NETNS=1 ZC_RELAY="$relay" bash "$0" "$build"
fi
ip link set lo up
ulimit -n "$(ulimit -Hn)"
seconds=${ZC_BENCH_SECONDS:-5}
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

# Every load client comes from 127.0.0.1 and the receivers never send, so the door's limits are
# opened for them (a relay without those options has no such limits).
door=()
"$relay" --help | grep -q -- --max-per-address && door=(--max-per-address 100000 --greeting-timeout 86400)
start_relay() {
  : >"$work/relay.log"  # emptied here, so the wait below cannot see the last relay's line
  "$relay" --bind 127.0.0.1 --port 19011 "${door[@]}" 2>"$work/relay.log" &
  server=$!
  for _ in $(seq 50); do grep -q "listening" "$work/relay.log" && return; sleep 0.1; done
  echo "the relay did not start: $(cat "$work/relay.log")" >&2; exit 1
}
start_broker() {
  cat >"$work/mosquitto.conf" <<CONF
listener 11883 127.0.0.1
allow_anonymous true
persistence false
max_queued_messages 100000
user root
log_dest stderr
log_type error
CONF
  "$(command -v mosquitto || echo /usr/sbin/mosquitto)" -c "$work/mosquitto.conf" 2>"$work/broker.log" &
  server=$!
  for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/11883) 2>/dev/null && return
    sleep 0.1
  done
  echo "the broker did not start: $(cat "$work/broker.log")" >&2; exit 1
}
stop_server() { kill "$server"; wait "$server" 2>/dev/null || true; server=; }
rate() {  # proto port clients per-write -> deliveries per server CPU-second
  local out
  out=$("$load" --proto "$1" --port "$2" --clients "$3" --per-write "$4" --server-pid "$server" --size 200 \
    --seconds "$seconds")
  echo "  $out" >&2
  sed -n 's/.*per_cpu_s=\([0-9]*\).*/\1/p' <<<"$out"
}

# The sender writes each message on its own, as a chat client does, and then 128 per write,
# which shows what a server makes of a backlog.
declare -A result
for perWrite in 1 128; do
  for clients in 64 1000; do
    start_relay
    result[relay$clients/$perWrite]=$(rate zc 19011 "$clients" "$perWrite")
    stop_server
    start_broker
    result[broker$clients/$perWrite]=$(rate mqtt 11883 "$clients" "$perWrite")
    stop_server
  done
done

echo
printf '%-8s %-10s %24s %28s %8s\n' clients "msgs/write" "relay deliveries/CPU-s" "mosquitto deliveries/CPU-s" ratio
for perWrite in 1 128; do
  for clients in 64 1000; do
    r=${result[relay$clients/$perWrite]} b=${result[broker$clients/$perWrite]}
    printf '%-8s %-10s %24s %28s %8s\n' "$clients" "$perWrite" "$r" "$b" \
      "$(awk -v r="$r" -v b="$b" 'BEGIN { printf "%.2fx", b ? r / b : 0 }')"
  done
done
