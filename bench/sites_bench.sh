#!/usr/bin/env bash
# One chat over two sites joined through mosquitto (tests/net/sites_lib.sh's networks, gateways
# h11 and h12 at site A, h21 at site B), measured side by side:
#   - a public line's latency from the sender's socket to the receiver's, inside site A and from
#     site A to site B (multicast chat and relay-mode chat), median and 99th percentile of 1,000;
#   - deliveries per CPU-second of gateway B (broker link and group on) against a plain relay
#     passing the same lines to the same number of receivers, in the same run;
#   - the datagrams on each segment, with two gateways at site A: every line once.
# Prints figures; never fails on speed. Usage: bench/sites_bench.sh [build dir]
# (ZC_BENCH_LINES, default 1000; ZC_BENCH_INTERVAL_MS, default 10)
set -uo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
source "$SOURCE_DIR/tests/net/sites_lib.sh"
lan_require "$BUILD_DIR/zeltorelay" mosquitto python3 ip ss unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR"
LINES=${ZC_BENCH_LINES:-1000}
INTERVAL=${ZC_BENCH_INTERVAL_MS:-10}
PROBE=$SOURCE_DIR/bench/sites_probe.py
PROTOCOL=$SOURCE_DIR/docs/protocol.md
RUN_SECONDS=$((LINES * INTERVAL / 1000 + 4))

sites_build_two
sites_attach 31 brW 10.9.0.31/24
sites_start_broker
sites_start_gateway 11 a --peer 10.1.0.253
sites_start_gateway 12 a --peer 10.1.0.254
sites_start_gateway 21 b
(exec ip netns exec h31 "$BUILD_DIR/zeltorelay" --config /dev/null --port 9011 --greeting-timeout 86400 \
  >>"$LAN_WORK/plain.log" 2>&1) &
PLAIN=$!
lan_track $PLAIN
sites_wait_listen 31 9011 || { echo "the plain relay does not listen"; exit 1; }
sites_count_group 2 "$LAN_WORK/segment_a.count"
sites_count_group 4 "$LAN_WORK/segment_b.count"
sleep 2  # the broker links come up

pid_in() { ip netns pids "h$1" | while read -r p; do [ "$(cat /proc/$p/comm)" = "$2" ] && echo "$p"; done | head -n 1; }
# Nanoseconds on a CPU, all threads (the broker link runs on one of its own).
cpu_ticks() { cat /proc/$1/task/*/schedstat | awk '{ t += $1 } END { printf "%d\n", t }'; }
declare -A PID
for n in 11 12 21 31; do PID[$n]=$(pid_in "$n" zeltorelay); done
PID[broker]=$SITES_BROKER_PID

# Runs one direction: listeners first, then the sender; CPU ticks of every server around it.
declare -A TICKS
run_phase() {  # name sender-host sender-mode [sender args...] -- listeners, each "host mode [relay]"...
  local name=$1 host=$2 mode=$3
  shift 3
  local sender_args=()
  while [ "$1" != -- ]; do sender_args+=("$1"); shift; done
  shift
  local listener pids=() k i=0
  for listener in "$@"; do
    set -- $listener
    i=$((i + 1))
    if [ "$2" = listen-udp ]; then
      ip netns exec "h$1" python3 "$PROBE" listen-udp "$LAN_WORK/$name.h$1.$i" "$RUN_SECONDS" &
    else
      ip netns exec "h$1" python3 "$PROBE" listen-tcp "$PROTOCOL" "$LAN_WORK/$name.h$1.$i" "$RUN_SECONDS" "$3" &
    fi
    pids+=($!)
  done
  sleep 1
  for k in "${!PID[@]}"; do TICKS[$name.$k]=$(cpu_ticks "${PID[$k]}"); done
  ip netns exec "h$host" python3 "$PROBE" "$mode" "$PROTOCOL" "$LAN_WORK/$name.sent" "$LINES" "$INTERVAL" "${sender_args[@]}"
  wait "${pids[@]}"
  for k in "${!PID[@]}"; do TICKS[$name.$k]=$(($(cpu_ticks "${PID[$k]}") - ${TICKS[$name.$k]})); done
}

run_phase a_to_b 1 send-udp -- "2 listen-udp" "4 listen-udp" "5 listen-tcp 10.3.0.254"
cp "$LAN_WORK/segment_b.count" "$LAN_WORK/a_to_b.segment_b"
run_phase b_to_a 4 send-udp -- "1 listen-udp"
cp "$LAN_WORK/segment_a.count" "$LAN_WORK/b_to_a.segment_a"
run_phase plain 31 send-tcp 10.9.0.31 -- "31 listen-tcp 10.9.0.31" "31 listen-tcp 10.9.0.31"

python3 - "$LAN_WORK" "$LINES" 1000000000 \
  "${TICKS[a_to_b.21]}" "${TICKS[plain.31]}" "${TICKS[a_to_b.11]}" "${TICKS[a_to_b.12]}" "${TICKS[a_to_b.broker]}" <<'EOF'
import glob, os, statistics, sys
work, lines, hz = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
gb, plain, ga1, ga2, broker = (int(t) / hz for t in sys.argv[4:9])

def read(path):
    rows = {}
    if os.path.exists(path):
        for row in open(path):
            n, t = map(int, row.split())
            rows.setdefault(n, []).append(t)
    return rows

def receivers(phase, host):
    return [read(p) for p in sorted(glob.glob(os.path.join(work, "%s.%s.*" % (phase, host))))]

def latency(phase, host):
    sent, got = read(os.path.join(work, phase + ".sent")), (receivers(phase, host) or [{}])[0]
    ms = sorted((got[n][0] - sent[n][0]) / 1e6 for n in got if n in sent)
    twice = sum(len(v) - 1 for v in got.values())
    if not ms:
        return "no line arrived", 0
    p99 = ms[min(len(ms) - 1, int(len(ms) * 0.99))]
    return "%8.2f ms %8.2f ms %6d %6d" % (statistics.median(ms), p99, lines - len(got), twice), sum(map(len, got.values()))

print("\nLatency of a public line, socket to socket, %d lines" % lines)
print("  %-42s %11s %11s %6s %6s" % ("", "median", "p99", "lost", "twice"))
for label, phase, host in (("inside site A (h1 -> h2, multicast)", "a_to_b", "h2"),
                           ("site A -> site B multicast chat (h4)", "a_to_b", "h4"),
                           ("site A -> site B relay-mode chat (h5)", "a_to_b", "h5"),
                           ("site B -> site A, two gateways (h1)", "b_to_a", "h1"),
                           ("plain relay, client to client", "plain", "h31")):
    print("  %-42s %s" % (label, latency(phase, host)[0]))

delivered_b = latency("a_to_b", "h4")[1] + latency("a_to_b", "h5")[1]
delivered_plain = sum(len(v) for got in receivers("plain", "h31") for v in got.values())
print("\nDeliveries per CPU-second (same lines, same run)")
def rate(n, cpu):
    return "%10.0f" % (n / cpu) if cpu > 0 else "  (under a tick)"
print("  plain relay, 2 receivers                 %s  (%d deliveries, %.2f CPU-s)" % (rate(delivered_plain, plain), delivered_plain, plain))
print("  gateway B, group + 1 client, broker link %s  (%d deliveries, %.2f CPU-s)" % (rate(delivered_b, gb), delivered_b, gb))
if plain > 0 and gb > 0:
    print("  ratio gateway / plain                    %10.2f" % ((delivered_b / gb) / (delivered_plain / plain)))
print("  CPU-s for %d lines A -> B: gateway A1 %.2f, gateway A2 %.2f, mosquitto %.2f" % (lines, ga1, ga2, broker))

print("\nDatagrams on each segment (group counter; repeated = the same bytes from two sources within 5 s)")
for label, name in (("segment B after %d lines from A" % lines, "a_to_b.segment_b"),
                    ("segment A after %d lines from B, two gateways" % lines, "b_to_a.segment_a")):
    print("  %-46s %s" % (label, open(os.path.join(work, name)).read().strip()))
EOF
