#!/usr/bin/env bash
# Three terminal chats in relay mode, all through one zeltorelay on a fourth host of a private
# LAN: presence, public and private messages, and two packets that reach a client in one TCP
# segment, which must both be shown.
# Usage: relay_hosts_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" "$BUILD_DIR/zeltorelay" python3 cmake ip ss unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

HOSTS=(1 2 3)
RELAY_HOST=4
for n in "${HOSTS[@]}" $RELAY_HOST; do lan_add_host "$n"; done
lan_wait_links "${HOSTS[@]}" $RELAY_HOST || exit 1

start_relay() {
  # Started again while clients run: it must not hold their inputs open.
  (
    lan_close_inputs
    exec ip netns exec h$RELAY_HOST "$BUILD_DIR/zeltorelay" --port 9011 >>"$LAN_WORK/relay.out" 2>>"$LAN_WORK/relay.log"
  ) &
  RELAY_PID=$!
  lan_track $RELAY_PID
  for _ in $(seq 50); do
    ip netns exec h$RELAY_HOST ss -ltnH 'sport = :9011' | grep -q . && return 0
    sleep 0.1
  done
  lan_fail "the relay does not listen: $(cat "$LAN_WORK/relay.log")"
  exit 1
}
start_relay

lan_make_root 1 Alice 10.77.0.$RELAY_HOST
lan_make_root 2 Bob 10.77.0.$RELAY_HOST
lan_make_root 3 Carol 10.77.0.$RELAY_HOST
for n in "${HOSTS[@]}"; do lan_start_client "$n"; done

for n in "${HOSTS[@]}"; do
  lan_check "h$n connected to the relay" lan_wait_output "$n" '^Connected to ' 15
done
for n in "${HOSTS[@]}"; do
  lan_check "h$n lists three users" lan_wait_users "$n" 3 30
done

lan_type 1 "hello over the relay"
for n in 2 3; do
  lan_check "h$n shows Alice's public message" lan_wait_output "$n" '<Alice>: hello over the relay$' 10
done

lan_type 3 "MSG->Bob: relay secret"
lan_check "Bob gets Carol's private message" lan_wait_output 2 '<Carol>: relay secret$' 10
lan_type 3 "after the relay secret"
lan_check "Alice sees Carol's next public message" lan_wait_output 1 'after the relay secret' 10
lan_check "Alice does not see the private message" bash -c "! grep -q '<Carol>: relay secret' '$LAN_WORK/h1/out'"

# A client of our own on the relay's host writes two packets in one send; the relay passes them
# on together (they name its address: the relay drops packets that name another).
cat >"$LAN_WORK/two_packets.py" <<'EOF'
import socket, sys, time
tables = {}
for line in open(sys.argv[1], encoding="ascii"):
    for name in ("TABLE_A:", "TABLE_B:"):
        if line.startswith(name):
            tables[name] = bytes(int(x, 16) for x in line[len(name):].split())
a, b = tables["TABLE_A:"], tables["TABLE_B:"]
encode = {}
for i, byte in enumerate(a):
    encode.setdefault(byte, b[i])
def packet(text):
    return bytes(encode.get(c, c) for c in text.encode("cp1251")) + b"\0"
both = b"".join(packet("10.77.0.4(TESTER01)||Tester||||0.0||0||6||1:%s//end" % t) for t in ("first", "second"))
s = socket.create_connection((sys.argv[2], 9011), timeout=5)
s.sendall(both)
time.sleep(2)
s.close()
EOF
ip netns exec h$RELAY_HOST python3 "$LAN_WORK/two_packets.py" "$SOURCE_DIR/docs/protocol.md" 10.77.0.$RELAY_HOST \
  2>"$LAN_WORK/two_packets.err" || lan_fail "the test client failed: $(cat "$LAN_WORK/two_packets.err")"
for n in "${HOSTS[@]}"; do
  lan_check "h$n shows the first of two packets sent together" lan_wait_output "$n" '<Tester>: first$' 10
  lan_check "h$n shows the second of two packets sent together" lan_wait_output "$n" '<Tester>: second$' 5
done

# The relay restarts: within one refresh (60 s) all list each other again, and each client
# said once that it lost the relay and once that it is back.
kill "$RELAY_PID"
wait "$RELAY_PID" 2>/dev/null
sleep 3  # noticed at once; a few attempts fail meanwhile
restarted=$(date +%s%N)
start_relay
for n in "${HOSTS[@]}"; do
  lan_wait_output "$n" 'Connected to .* again$' 30 || lan_fail "h$n is not connected again"
  lan_check "h$n lists three users after the restart" lan_wait_users "$n" 3 60
done
echo "recovery after the relay restart: $(( ($(date +%s%N) - restarted) / 1000000 )) ms to all three listing each other"
for n in "${HOSTS[@]}"; do
  lan_check "h$n told the loss and the return once each" test "$(grep -c 'Lost the connection to .*; trying again$' \
    "$LAN_WORK/h$n/out") $(grep -c 'Connected to .* again$' "$LAN_WORK/h$n/out")" = "1 1"
done
lan_type 1 "back over the relay"
lan_check "Carol shows Alice's public message after the restart" lan_wait_output 3 '<Alice>: back over the relay$' 10
lan_type 2 "MSG->Alice: secret after the restart"
lan_check "Alice gets Bob's private message after the restart" lan_wait_output 1 '<Bob>: secret after the restart$' 10

lan_stop_client 2
for n in 1 3; do lan_check "h$n sees Bob leave" lan_wait_output "$n" 'Left the chat: <Bob>' 10; done
lan_stop_client 1
lan_stop_client 3
for n in "${HOSTS[@]}"; do lan_check "h$n left its chat page" test -s "$LAN_WORK/h$n/pages/chat.html"; done

if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report "${HOSTS[@]}"
  echo "===== relay log"
  tail -n 40 "$LAN_WORK/relay.log"
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
