#!/usr/bin/env bash
# A chat that survives its network, on a private LAN of namespaces: Bob's interface goes down and
# up, his address changes, his chat is stopped for two minutes like a sleeping laptop. Prints the
# time to recovery of each. Usage: network_faults_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" cmake ip unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

for n in 1 2; do lan_add_host "$n"; done
lan_wait_links 1 2 || exit 1
lan_make_root 1 Alice
lan_make_root 2 Bob
for n in 1 2; do
  # The address is found anew, not pinned in the profile; the shortest refresh (50 s).
  lan_ini_set "$LAN_WORK/h$n/root/profiles/default.cfg" NETWORK INTERFACE ""
  lan_ini_set "$LAN_WORK/h$n/root/system/zeltochat.ini" GLOBAL REFRESHLIST 5
  lan_start_client "$n"
done
for n in 1 2; do lan_check "h$n lists two users" lan_wait_users "$n" 2 30; done

# Types the line on host `from` until host `to` shows it, retrying as a user would.
deliver() {  # from to sender prefix text deadline
  local k=0
  until [ $SECONDS -ge "$6" ]; do
    k=$((k + 1))
    lan_type "$1" "$4$5 $k"
    lan_wait_output "$2" "<$3>: $5 $k\$" 3 && return 0
  done
  return 1
}

# After a fault, within one refresh: Alice lists Bob again (Bob typing nothing), public and
# private lines pass both ways, and each lists the other once. Sets $listed.
recovered() {  # fault Bob's-address
  local start=$SECONDS deadline=$((SECONDS + 60)) took
  lan_check "$1: Alice lists Bob at $2" lan_wait_list 1 "^--   Bob +Available +${2//./\\.} " 55
  listed=$((SECONDS - start))
  for way in "2 1 Bob Alice" "1 2 Alice Bob"; do
    set -- "$1" $way
    lan_check "$1: $4's public line reaches $5" deliver "$2" "$3" "$4" "" "$1 public from $4" $deadline
    lan_check "$1: $4's private line reaches $5" deliver "$2" "$3" "$4" "MSG->$5: " "$1 private from $4" $deadline
  done
  took=$((SECONDS - start))
  for n in 1 2; do lan_check "$1: h$n lists two users, no one twice" lan_wait_users "$n" 2 10; done
  echo "time to recovery after $1: listed after ${listed} s, messages both ways after ${took} s (refresh 50 s)"
  lan_check "$1: recovered within one refresh" test "$took" -le 50
}

ip netns exec h2 ip link set veth2 down
sleep 3
ip netns exec h2 ip link set veth2 up
ip netns exec h2 ip route replace 224.0.0.0/4 dev veth2
recovered "interface down and up" 10.77.0.2
lan_check "Bob's chat joined the group again when its link came back" \
  grep -rq 'Network changed, joining the group again' "$LAN_WORK/h2/root/logs"

ip netns exec h2 ip addr del 10.77.0.2/24 dev veth2
ip netns exec h2 ip addr add 10.77.0.12/24 dev veth2
ip netns exec h2 ip route replace 224.0.0.0/4 dev veth2
recovered "address change" 10.77.0.12
# Watched, not found at the refresh or by a failed send; most of it is Alice's probe of the move.
lan_check "Bob's chat followed its address at once" test "$listed" -le 10

kill -STOP "${LAN_CLIENT_PID[2]}"
sleep 120
kill -CONT "${LAN_CLIENT_PID[2]}"
recovered "two minutes stopped" 10.77.0.12

lan_stop_client 1
lan_stop_client 2
[ "$LAN_FAILURES" -eq 0 ] && echo "all checks passed" && exit 0
lan_report 1 2
echo "$LAN_FAILURES check(s) failed"
exit 1
