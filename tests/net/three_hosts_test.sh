#!/usr/bin/env bash
# Three terminal chats on a private LAN of network namespaces, talking over the multicast
# group: presence, public and private messages as the users see them, the history files, the
# pages left at exit, and the TTL the datagrams carry on the wire.
# Usage: three_hosts_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" python3 cmake ip unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

HOSTS=(1 2 3)
for n in "${HOSTS[@]}"; do lan_add_host "$n"; done
lan_wait_links "${HOSTS[@]}" || exit 1

# Every chat datagram crossing the bridge: sender and TTL, one line each.
cat >"$LAN_WORK/sniff.py" <<'EOF'
import socket, struct, sys
s = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.ntohs(0x0003))
print("ready", flush=True)
while True:
    frame = s.recv(65535)
    if len(frame) < 42 or frame[12:14] != b"\x08\x00":
        continue
    ip = frame[14:]
    ihl = (ip[0] & 15) * 4
    if ip[9] != 17 or ip[16:20] != bytes([225, 0, 0, 1]):
        continue
    port = struct.unpack("!H", ip[ihl + 2:ihl + 4])[0]
    if port == 9010:
        print(socket.inet_ntoa(ip[12:16]), ip[8], flush=True)
EOF
python3 "$LAN_WORK/sniff.py" >"$LAN_WORK/ttl.txt" 2>"$LAN_WORK/sniff.err" &
lan_track $!
for _ in $(seq 50); do grep -q ready "$LAN_WORK/ttl.txt" && break; sleep 0.1; done
grep -q ready "$LAN_WORK/ttl.txt" || { lan_fail "the packet sniffer did not start: $(cat "$LAN_WORK/sniff.err")"; exit 1; }

lan_make_root 1 Alice
lan_make_root 2 Bob
lan_make_root 3 Carol
for n in "${HOSTS[@]}"; do lan_start_client "$n"; done

# The first exchange happens about three seconds after start.
for n in "${HOSTS[@]}"; do
  lan_check "h$n lists three users" lan_wait_users "$n" 3 30
done
lan_check "h1 lists Bob and Carol with their addresses" \
  bash -c "grep -qE '^--   Bob .* 10\.77\.0\.2 ' '$LAN_WORK/h1/out' && grep -qE '^--   Carol .* 10\.77\.0\.3 ' '$LAN_WORK/h1/out'"

lan_type 1 'hello from Alice & "friends"'
for n in 2 3; do
  lan_check "h$n shows Alice's public message" \
    lan_wait_output "$n" '<Alice>: hello from Alice & "friends"$' 10
done
lan_check "h1 shows its own message" lan_wait_output 1 '<Alice> hello from Alice' 5

# Text the terminal gives as UTF-8 reaches the others as the same characters, also one the
# chat's code page cannot hold.
lan_type 2 "привет 😀"
lan_check "h3 shows Bob's Cyrillic text and the emoji" lan_wait_output 3 '<Bob>: привет 😀$' 10

lan_type 1 "MSG->Bob: secret for Bob"
lan_check "Bob gets the private message" lan_wait_output 2 '<Alice>: secret for Bob' 10
# Carol had the same time to see it; the public message after it proves her line is alive.
lan_type 1 "after the secret"
lan_check "Carol sees the next public message" lan_wait_output 3 'after the secret' 10
lan_check "Carol does not see the private message" bash -c "! grep -q 'secret for Bob' '$LAN_WORK/h3/out'"
lan_check "Alice sees her own copy of the private message" lan_wait_output 1 'Bob.*secret for Bob' 5

# An alert waits on Carol's terminal until she confirms it; then Alice learns it was read.
lan_type 1 "ALERT->Carol: server down"
lan_check "Carol's terminal shows the alert and waits" lan_wait_output 3 '^\[alert\] \[[0-9]+\] Alert from Alice: server down  \(/yes [0-9]+ to confirm\)' 10
lan_check "Alice hears nothing back before Carol answers" bash -c "! grep -q 'Alert was read by' '$LAN_WORK/h1/out'"
lan_type 3 /yes
lan_check "Alice learns that Carol read the alert" lan_wait_output 1 'Alert was read by <Carol>' 10

lan_type 3 "MSG->Nobody: lost"
lan_check "a message to an unknown name is refused with a remark" lan_wait_output 3 '^-- nobody called Nobody' 5

has() { grep -q -- "$2" "$1" 2>/dev/null; }
lan_check "Bob's public history holds Alice's message" has "$(lan_main_history 2)" 'hello from Alice'
lan_check "Alice's public history holds her own message" has "$(lan_main_history 1)" 'hello from Alice'
lan_check "Bob's private history holds the private message" has "$(lan_private_history 2)" 'secret for Bob'
lan_check "Alice's private history holds her copy" has "$(lan_private_history 1)" 'secret for Bob'
lan_check "Carol's histories do not hold the private message" \
  bash -c "! grep -qs 'secret for Bob' '$(lan_main_history 3)' '$(lan_private_history 3)'"

# Alice leaves first: the others see her go.
lan_stop_client 1
for n in 2 3; do lan_check "h$n sees Alice leave" lan_wait_output "$n" 'Left the chat: <Alice>' 10; done
lan_stop_client 2
lan_stop_client 3

for n in "${HOSTS[@]}"; do
  lan_check "h$n left its pages" test -s "$LAN_WORK/h$n/pages/chat.html" -a -f "$LAN_WORK/h$n/pages/second.html"
done
lan_check "Bob's dumped chat page holds the private line" has "$LAN_WORK/h2/pages/chat.html" 'secret for Bob'

ttl_ok() {
  local ttl_file=$LAN_WORK/ttl.txt n
  for n in "${HOSTS[@]}"; do grep -q "^10\.77\.0\.$n " "$ttl_file" || { echo "no datagram from 10.77.0.$n seen"; return 1; }; done
  if grep -vE '^(ready|10\.77\.0\.[0-9]+ 8)$' "$ttl_file"; then echo "datagrams above left with another TTL"; return 1; fi
}
lan_check "every chat datagram left with TTL 8" ttl_ok

if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report "${HOSTS[@]}"
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
