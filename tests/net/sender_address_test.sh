#!/usr/bin/env bash
# Who a datagram is from, on a private LAN of network namespaces: a stranger (h3) writes Bob's
# address or identity into its packets and nothing of it is believed; then Bob's address changes
# under his running chat, and within one refresh both chat privately and send each other a file.
# Prints the time to recovery.
# Usage: sender_address_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" cmake ip unshare cmp head python3
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

for n in 1 2 3; do lan_add_host "$n"; done
lan_wait_links 1 2 3 || exit 1
lan_make_root 1 Alice
lan_make_root 2 Bob
for n in 1 2; do
  # The address is found anew at each refresh, not pinned in the profile; the shortest refresh.
  lan_ini_set "$LAN_WORK/h$n/root/profiles/default.cfg" NETWORK INTERFACE ""
  lan_ini_set "$LAN_WORK/h$n/root/system/zeltochat.ini" GLOBAL REFRESHLIST 5
done
head -c 100000 /dev/urandom >"$LAN_WORK/h1/home/plan.bin"
head -c 100000 /dev/urandom >"$LAN_WORK/h2/home/notes.bin"
for n in 1 2; do lan_start_client "$n"; done
for n in 1 2; do lan_check "h$n lists two users" lan_wait_users "$n" 2 30; done

# The stranger at 10.77.0.3.
bob_id=$(grep -E '^--   Bob ' "$LAN_WORK/h1/out" | tail -1 | awk '{print $NF}')
ip netns exec h3 python3 "$SOURCE_DIR/tests/net/stranger_packets.py" "$SOURCE_DIR/docs/protocol.md" \
  "10.77.0.2($bob_id)||Bob||||0.0||0||6||1:forged with his address//end" \
  "10.77.0.3($bob_id)||Bob||||0.0||0||6||1:forged with his identity//end" \
  "10.77.0.3($bob_id)||Bob||||0.0||0||35||Bob:Mallory//end" \
  "10.77.0.2($bob_id)||Bob||||0.0||0||3||//end"
sleep 5  # the probe's answer window and then some
lan_type 2 "the real Bob"
lan_check "Alice shows Bob's own line" lan_wait_output 1 '<Bob>: the real Bob$' 10
for text in "forged with" "Mallory" "Left the chat: <Bob>"; do
  lan_check "Alice shows nothing of '$text'" bash -c "! grep -q '$text' '$LAN_WORK/h1/out'"
done
lan_check "Alice's log names the forged source" \
  grep -rq 'Packet from 10.77.0.3 claims to come from 10.77.0.2, dropped' "$LAN_WORK/h1/root/logs"
lan_check "Alice's log names the refused claim" grep -rq 'still answers: dropped' "$LAN_WORK/h1/root/logs"

# DHCP hands Bob another address.
ip netns exec h2 ip addr del 10.77.0.2/24 dev veth2
ip netns exec h2 ip addr add 10.77.0.12/24 dev veth2
ip netns exec h2 ip route replace 224.0.0.0/4 dev veth2
moved=$SECONDS
# Until Bob's chat has followed its address, Alice drops what he sends as coming from the wrong
# place: Bob keeps trying, as a user would.
deadline=$((SECONDS + 75))
n=0
until grep -q '<Bob>: after the move' "$LAN_WORK/h1/out"; do
  [ $SECONDS -ge $deadline ] && break
  n=$((n + 1))
  lan_type 2 "MSG->Alice: after the move $n"
  sleep 4  # slower than the flood guard allows
done
recovered=$((SECONDS - moved))
echo "time to recovery after the address change: ${recovered} s (refresh every 50 s)"
lan_check "Alice gets Bob's private message from his new address within one refresh" test "$recovered" -le 50
lan_check "Bob's chat says it followed its address" \
  grep -rq 'Own address changed from 10.77.0.2' "$LAN_WORK/h2/root/logs"
lan_check "Alice's chat saw Bob move" grep -rq 'moved from 10.77.0.2 to 10.77.0.12' "$LAN_WORK/h1/root/logs"
lan_type 1 "MSG->Bob: after the move"
lan_check "Bob gets Alice's private message at his new address" lan_wait_output 2 '<Alice>: after the move$' 10

wait_same_file() {  # file copy seconds
  local deadline=$((SECONDS + $3))
  until cmp -s "$1" "$2"; do [ $SECONDS -ge "$deadline" ] && return 1; sleep 0.2; done
}
lan_type 1 "/send Bob ~/plan.bin"
lan_check "Bob is asked about Alice's file" lan_wait_output 2 'File transfer request from Alice: plan\.bin' 10
lan_type 2 /yes
lan_check "Alice's file reaches Bob's new address" \
  wait_same_file "$LAN_WORK/h1/home/plan.bin" "$LAN_WORK/h2/root/download/plan.bin" 20
lan_type 2 "/send Alice ~/notes.bin"
lan_check "Alice is asked about Bob's file" lan_wait_output 1 'File transfer request from Bob: notes\.bin' 10
lan_type 1 /yes
lan_check "Bob's file reaches Alice" \
  wait_same_file "$LAN_WORK/h2/home/notes.bin" "$LAN_WORK/h1/root/download/notes.bin" 20
lan_check "h1 lists two users, not three" lan_wait_users 1 2 10
lan_check "Bob's entry is at his new address" grep -qE "^--   Bob +Available +10\.77\.0\.12 " "$LAN_WORK/h1/out"

lan_stop_client 1
lan_stop_client 2
if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report 1 2
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
