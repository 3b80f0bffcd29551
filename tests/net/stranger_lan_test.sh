#!/usr/bin/env bash
# A stranger on the LAN writes Bob's address or identity into its packets: real datagrams
# between network namespaces, so the receiving chats see where each one came from. Nothing the
# stranger sends is shown as Bob's, Bob stays listed under his name, and his own lines pass.
# Usage: stranger_lan_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" cmake ip unshare python3
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

HOSTS=(1 2 3)
for n in "${HOSTS[@]}"; do lan_add_host "$n"; done
lan_wait_links "${HOSTS[@]}" || exit 1
lan_make_root 1 Alice
lan_make_root 2 Bob
for n in 1 2; do lan_start_client "$n"; done
for n in 1 2; do lan_check "h$n lists two users" lan_wait_users "$n" 2 30; done

bob_id=$(grep -E '^--   Bob ' "$LAN_WORK/h1/out" | tail -1 | awk '{print $NF}')
lan_check "Alice knows Bob's identity" test -n "$bob_id"
stranger() {  # plain packet texts, sent from h3 (10.77.0.3)
  ip netns exec h3 python3 "$SOURCE_DIR/tests/net/stranger_packets.py" "$SOURCE_DIR/docs/protocol.md" "$@"
}
stranger "10.77.0.2($bob_id)||Bob||||0.0||0||6||1:forged with his address//end" \
  "10.77.0.3($bob_id)||Bob||||0.0||0||6||1:forged with his identity//end" \
  "10.77.0.3($bob_id)||Bob||||0.0||0||35||Bob:Mallory//end" \
  "10.77.0.2($bob_id)||Bob||||0.0||0||3||//end"
sleep 5  # the probe's answer window and then some
lan_type 2 "the real Bob"
lan_check "Alice shows Bob's own line" lan_wait_output 1 '<Bob>: the real Bob$' 10
for text in "forged with his address" "forged with his identity" "Mallory" "Left the chat: <Bob>"; do
  lan_check "Alice shows nothing of '$text'" bash -c "! grep -q '$text' '$LAN_WORK/h1/out'"
done
lan_check "Alice still lists Bob at his address" lan_wait_users 1 2 10
lan_check "Bob's entry is at 10.77.0.2" grep -qE "^--   Bob +Available +10\.77\.0\.2 " "$LAN_WORK/h1/out"
lan_check "Alice's log names the forged source" \
  grep -rq 'Packet from 10.77.0.3 claims to come from 10.77.0.2, dropped' "$LAN_WORK/h1/root/logs"
lan_check "Alice's log names the refused claim" grep -rq 'still answers: dropped' "$LAN_WORK/h1/root/logs"

lan_stop_client 1
lan_stop_client 2
if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report 1 2
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
