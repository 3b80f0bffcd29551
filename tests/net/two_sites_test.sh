#!/usr/bin/env bash
# One chat over two sites. Site A (10.1.0.0/24) has two multicast chats and two gateway relays;
# site B (10.2.0.0/24) has a multicast chat, a stranger, a gateway relay and, on a floor of its
# own behind that relay (10.3.0.0/24), a chat in relay mode. The gateways reach an MQTT broker
# over a third network, and nothing routes between the sites.
# Usage: two_sites_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
source "$SOURCE_DIR/tests/net/sites_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" "$BUILD_DIR/zeltorelay" mosquitto mosquitto_pub python3 cmake ip ss unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

sites_build_two
sites_start_broker
sites_start_gateway 11 a --peer 10.1.0.253
sites_start_gateway 12 a --peer 10.1.0.254
sites_start_gateway 21 b

sites_chat 1 Alice 10.1.0.1 GATEWAYS=10.1.0.254,10.1.0.253
sites_chat 2 Anna 10.1.0.2 GATEWAYS=10.1.0.254,10.1.0.253
sites_chat 4 Bert 10.2.0.4 GATEWAYS=10.2.0.254
sites_chat 5 Bella 10.3.0.5 SERVERUSE=1 SERVER=10.3.0.254 SERVERPORT=9011
CHATS=(1 2 4 5)
sites_count_group 2 "$LAN_WORK/segment_a.count"
sites_count_group 4 "$LAN_WORK/segment_b.count"
for n in "${CHATS[@]}"; do lan_start_client "$n"; done

for n in "${CHATS[@]}"; do lan_check "h$n lists all four users" lan_wait_users "$n" 4 40; done

lan_type 1 "hello from site A"
lan_check "the relay-mode chat at site B shows Alice's line" lan_wait_output 5 '<Alice>: hello from site A$' 10
lan_check "the multicast chat at site B shows it" lan_wait_output 4 '<Alice>: hello from site A$' 10
lan_type 5 "hello from the far floor"
lan_check "Alice shows Bella's line" lan_wait_output 1 '<Bella>: hello from the far floor$' 10
lan_check "Bert, on Bella's site, shows it" lan_wait_output 4 '<Bella>: hello from the far floor$' 10
lan_type 5 "MSG->Alice: between sites"
lan_check "Alice gets Bella's private message" lan_wait_output 1 '<Bella>: between sites$' 10
lan_type 1 "MSG->Bella: and back"
lan_check "Bella gets Alice's private message" lan_wait_output 5 '<Alice>: and back$' 10

lan_type 5 "/page 1"
lan_type 5 "Board post from the far floor"
lan_check "Alice's board receives Bella's post" sites_wait_board 1 'Board post from the far floor' 15
lan_check "Bert's board receives it" sites_wait_board 4 'Board post from the far floor' 15
lan_type 5 "/page 0"

# Two gateways at site A: every line from site B reaches the segment once, and is shown once.
sleep 2
for n in 1 2; do
  lan_check "h$n showed Bella's line once" test "$(grep -c '<Bella>: hello from the far floor$' "$LAN_WORK/h$n/out")" = 1
done
lan_check "no datagram reached segment A twice" sites_no_repeats "$LAN_WORK/segment_a.count"
lan_check "no datagram reached segment B twice" sites_no_repeats "$LAN_WORK/segment_b.count"

# A stranger at site B speaks as Alice, on its own segment and straight to the broker.
ALICE_ID=$(sites_user_id 2 Alice)
echo "Alice's identity: $ALICE_ID"
ip netns exec h6 python3 "$SOURCE_DIR/tests/net/stranger_packets.py" "$SOURCE_DIR/docs/protocol.md" \
  "10.1.0.1($ALICE_ID)||Alice||||0.0||0||6||1:forged on site B//end"
sites_publish_forged "10.1.0.1($ALICE_ID)||Alice||||0.0||0||6||1:forged at the broker//end"
# And as Bella, whose floor no gateway's segment check covers: her own gateway heard her there.
sites_publish_forged "10.3.0.5($(sites_user_id 4 Bella))||Bella||||0.0||0||6||1:forged as Bella//end"
lan_type 4 "after the forgeries"
lan_check "Anna sees Bert's next line" lan_wait_output 2 '<Bert>: after the forgeries$' 10
for n in "${CHATS[@]}"; do
  lan_check "h$n shows no forged line" bash -c "! grep -q 'forged' '$LAN_WORK/h$n/out'"
done
lan_check "site B's gateway dropped the forgery" grep -q 'speaks for another address' "$LAN_WORK/gw21.log"
lan_check "site A's gateway dropped the broker's" grep -q 'dropped a broker packet.* speaks for 10.1.0.1 on this segment' "$LAN_WORK/gw11.log"
lan_check "and so did site B's" grep -q 'dropped a broker packet.* speaks for 10.1.0.1, heard at site a' "$LAN_WORK/gw21.log"

# The broker goes away for 30 s: each site chats on; afterwards the sites meet again.
sites_stop_broker
lan_type 2 "local while cut off"
lan_check "Alice hears Anna while the broker is away" lan_wait_output 1 '<Anna>: local while cut off$' 10
lan_type 4 "site B while cut off"
lan_check "Bella hears Bert while the broker is away" lan_wait_output 5 '<Bert>: site B while cut off$' 10
sleep 30
lan_check "the cut-off lines stayed at their sites" bash -c \
  "! grep -q 'site B while cut off' '$LAN_WORK/h1/out' && ! grep -q 'local while cut off' '$LAN_WORK/h5/out'"
restored=$SECONDS
sites_start_broker
# One refresh is 60 s here.
for n in "${CHATS[@]}"; do lan_check "h$n lists all four users again" lan_wait_users "$n" 4 65; done
echo "sites listed each other again $((SECONDS - restored)) s after the broker came back"
lan_type 4 "together again"
lan_check "Alice shows Bert's line after the cut" lan_wait_output 1 '<Bert>: together again$' 10
lan_type 1 "MSG->Bella: still there?"
lan_check "Bella gets Alice's private message after the cut" lan_wait_output 5 '<Alice>: still there\?$' 10

for n in "${CHATS[@]}"; do lan_stop_client "$n"; done
# The connection check names the links: Alice's gateways, and what Bella's relay says of its own.
for n in 1 5; do
  ip netns exec "h$n" env HOME="$LAN_WORK/h$n/home" "$BUILD_DIR/zeltochat-cli" --root "$LAN_WORK/h$n/root" --doctor \
    >"$LAN_WORK/doctor$n.txt" 2>&1
done
lan_check "Alice's check names her gateways" grep -q '^\[ok\] gateways: trusting 10.1.0.254 (on v1brA), 10.1.0.253' "$LAN_WORK/doctor1.txt"
lan_check "Bella's check names her relay's links" grep -q \
  '^\[ok\] relay link: broker mqtt://10.9.0.30:1883 site b room main, link up; sites heard: a$' "$LAN_WORK/doctor5.txt"
sites_finish "${CHATS[@]}"
