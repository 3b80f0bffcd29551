#!/usr/bin/env bash
# Messages that wait, on a private LAN of network namespaces: Alice writes to Bob while his
# program is stopped and restarts her own meanwhile; Bob starts a minute later and gets the
# message once, marked with when it was written, and Alice is told. A stranger (h3) who takes
# Bob's name under another identity gets nothing.
# Usage: waiting_messages_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" ip unshare python3
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

for n in 1 2 3; do lan_add_host "$n"; done
lan_wait_links 1 2 3 || exit 1
lan_make_root 1 Alice
lan_make_root 2 Bob
for n in 1 2; do lan_start_client "$n"; done
for n in 1 2; do lan_check "h$n lists two users" lan_wait_users "$n" 2 30; done

lan_stop_client 2
lan_check "Alice sees Bob leave" lan_wait_output 1 'Left the chat: <Bob>' 10
lan_type 1 "MSG->Bob: the keys are on your desk"
lan_check "Alice is told the message waits" \
  lan_wait_output 1 'Bob is not here; the message will be delivered when Bob comes back' 10
lan_type 1 /waiting
lan_check "/waiting lists it" lan_wait_output 1 '^-- \[1\] message to Bob, written .*: the keys are on your desk$' 10

# A stranger with Bob's name and an identity of its own.
ip netns exec h3 python3 "$SOURCE_DIR/tests/net/stranger_packets.py" "$SOURCE_DIR/docs/protocol.md" \
  "10.77.0.3(0A4D0000BB0B)||Bob||||0.0||0||4||1:back//end"
sleep 2

lan_restart_client 1
lan_check "h1 is back" lan_wait_output 1 '^Joined multicast group' 30
sleep 60
bob_back=$(date +%s)
rm -f "$LAN_WORK/h2/in"
mv "$LAN_WORK/h2/out" "$LAN_WORK/h2/out.first"
lan_start_client 2
lan_check "Bob gets the message, marked as written earlier" \
  lan_wait_output 2 '<Alice>: \(written [0-9.]+ [0-9:]+\) the keys are on your desk$' 30
lan_check "Alice is told it went" lan_wait_output 1 'Delivered to Bob \(written [0-9.]+ [0-9:]+\): the keys are on your desk$' 10
echo "delivered $(( $(date +%s) - bob_back )) s after Bob's start"
sleep 3
lan_check "Bob got it once" test "$(grep -c 'the keys are on your desk' "$LAN_WORK/h2/out")" -eq 1
lan_type 1 /waiting
lan_check "nothing waits any more" lan_wait_output 1 '^-- no message is waiting$' 10

lan_stop_client 1
lan_stop_client 2
if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report 1 2
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
