#!/usr/bin/env bash
# The connection check (zeltochat-cli --doctor) on a private LAN of network namespaces: a
# healthy LAN with one other copy, a host without a route for the group, an nftables rule that
# drops the chat port, another program on the port, and relay mode with the relay stopped and
# running. Each case checks its verdict line and exit status; where the doctor says the chat
# cannot work, a real chat on the same host must fail the same way.
# Usage: doctor_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" "$BUILD_DIR/zeltorelay" python3 cmake ip ss nft unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

for n in 1 2 3 4; do lan_add_host "$n"; done
lan_wait_links 1 2 3 4 || exit 1

# doctor N: runs the check on host N; its output in $LAN_WORK/doctor.out, its status in DOCTOR_RC.
doctor() {
  ip netns exec "h$1" "$BUILD_DIR/zeltochat-cli" --root "$LAN_WORK/h$1/root" --doctor \
    >"$LAN_WORK/doctor.out" 2>"$LAN_WORK/doctor.err"
  DOCTOR_RC=$?
  cp "$LAN_WORK/doctor.out" "$LAN_WORK/doctor.$2.out"
}
has_line() { grep -qxF -- "$1" "$LAN_WORK/doctor.out"; }
expect() {  # case, status, exact line...
  local what=$1 status=$2 line
  shift 2
  if [ "$DOCTOR_RC" -ne "$status" ]; then
    lan_fail "$what: status $DOCTOR_RC, not $status"
    cat "$LAN_WORK/doctor.out"
  else
    echo "ok: $what: status $status"
  fi
  for line in "$@"; do lan_check "$what: $line" has_line "$line"; done
}

lan_make_root 1 Alice
lan_make_root 2 Bob
lan_start_client 2
lan_check "Bob joined the group" lan_wait_output 2 'Joined multicast group' 15

# 1. A healthy LAN: every check passes and Bob answers from the same network.
doctor 1 healthy
expect "healthy LAN" 0 \
  "[ok] interface: veth1 10.77.0.1 is up" \
  "[ok] route: 225.0.0.1 goes through veth1" \
  "[ok] socket: UDP port 9010 bound, 225.0.0.1 joined on 10.77.0.1" \
  "[ok] loop: our own WHO came back" \
  "[ok] peers: 1 other copy answered within 3 s" \
  "       Bob 10.77.0.2, same network" \
  "[ok] firewall: no rule drops udp port 9010 or tcp port 9012" \
  "[ok] transfer port: tcp port 9012 can listen"
# The check's WHO is marked so that no copy lists it: Bob still lists himself alone.
bob_lists_one() {
  local mark
  mark=$(wc -l <"$LAN_WORK/h2/out")
  lan_type 2 /users
  sleep 1
  tail -n +"$((mark + 1))" "$LAN_WORK/h2/out" | grep -qx -- '-- 1 user'
}
lan_check "the check did not enter Bob's user list" bob_lists_one

# 1b. The same host in a Wayland session whose own bus has a notification server but no portal.
FAKE_NOTIFIER="$BUILD_DIR/tests/plugins_qt/zc_fake_notification_server"
if [ -x "$FAKE_NOTIFIER" ]; then
  ip netns exec h1 env XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-1 DISPLAY= dbus-run-session \
    --config-file="$SOURCE_DIR/tests/plugins_qt/session_bus.conf" -- bash -c '
      "$1" & server=$!
      for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
          org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep -q true && break
        sleep 0.1
      done
      "$2" --root "$3" --doctor; rc=$?
      kill $server
      exit $rc' desktop "$FAKE_NOTIFIER" "$BUILD_DIR/zeltochat-cli" "$LAN_WORK/h1/root" \
    >"$LAN_WORK/doctor.out" 2>"$LAN_WORK/doctor.err"
  DOCTOR_RC=$?
  cp "$LAN_WORK/doctor.out" "$LAN_WORK/doctor.desktop.out"
  expect "a Wayland session with a notification server" 0 \
    "[ok] session: Wayland, display wayland-1" \
    "[warn] tray: no tray host answers - the chat then has no tray icon to come back from; add a tray to the panel (GNOME: the AppIndicator extension)" \
    "[ok] notifications: fake-notifier 1.0 answers" \
    "[warn] portal: xdg-desktop-portal is missing - desktop snapshots under Wayland go through it: install xdg-desktop-portal and the desktop's backend (-gnome, -kde or -wlr)"
else
  echo "skip: no test notification server built ($FAKE_NOTIFIER)"
fi

# 2. No route for the group and no INTERFACE to pin the chat to a card.
ip netns exec h3 ip route del 224.0.0.0/4
lan_make_root 3 Carol
lan_ini_set "$LAN_WORK/h3/root/profiles/default.cfg" NETWORK INTERFACE 0.0.0.0
doctor 3 noroute
expect "no multicast route" 1 \
  "[fail] route: no route to 225.0.0.1 - add one: ip route add 224.0.0.0/4 dev veth3" \
  "[fail] socket: cannot join 225.0.0.1: No such device - see the route line"
lan_start_client 3
lan_check "the chat on that host cannot join either" lan_wait_output 3 'Cannot join multicast group' 15

# 3. An nftables rule drops the chat's port on host 1.
ip netns exec h1 nft -f - <<'NFT'
table inet filter {
  chain input {
    type filter hook input priority filter; policy accept;
    udp dport 9010 counter drop
  }
}
NFT
doctor 1 nftables
expect "nftables drops the chat port" 1 \
  "[fail] loop: our own WHO did not come back within 3 s - a firewall drops it (see the firewall line) or multicast loop is off" \
  "[fail] firewall: nftables drops udp port 9010 (inet filter input) - allow it: nft insert rule inet filter input udp dport 9010 accept"
# The advice, followed, lets the chat through again.
ip netns exec h1 nft insert rule inet filter input udp dport 9010 accept
doctor 1 nftables-allowed
expect "nftables with the advised rule" 0 \
  "[ok] loop: our own WHO came back" \
  "[ok] firewall: no rule drops udp port 9010 or tcp port 9012"
ip netns exec h1 nft delete table inet filter

# 4. Another program holds the port without sharing it.
# Long-lived helpers drop the clients' input ends, or those clients never see their input end.
(lan_close_inputs; exec ip netns exec h1 python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("0.0.0.0", 9010))
print("ready", flush=True)
time.sleep(60)') >"$LAN_WORK/holder.out" &
HOLDER=$!
lan_track $HOLDER
for _ in $(seq 50); do grep -q ready "$LAN_WORK/holder.out" && break; sleep 0.1; done
doctor 1 porttaken
expect "another program on the port" 1 \
  "[fail] socket: UDP port 9010 is held by another program (python3, pid $HOLDER) - end it (ss -ulpn 'sport = :9010' names it) or give every copy another PORT"
lan_start_client 1
lan_check "the chat on that host cannot join either" lan_wait_output 1 'Cannot join multicast group' 15
lan_stop_client 1

# 5. Relay mode: the relay's host is there, the relay is not; then it runs.
lan_make_root 4 Dave 10.77.0.1
doctor 4 relaystopped
expect "relay stopped" 1 \
  "[fail] relay: 10.77.0.1 port 9011 refuses connections - start the relay there (zeltorelay), or check SERVER and SERVERPORT in [NETWORK] of the profile"
(lan_close_inputs; exec ip netns exec h1 "$BUILD_DIR/zeltorelay" --port 9011) >"$LAN_WORK/relay.out" 2>"$LAN_WORK/relay.log" &
lan_track $!
for _ in $(seq 50); do
  ip netns exec h1 ss -ltnH 'sport = :9011' | grep -q . && break
  sleep 0.1
done
doctor 4 relayrunning
expect "relay running" 0 \
  "[ok] relay: 10.77.0.1 port 9011 passed our WHO on" \
  "[warn] peers: no other copy answered within 3 s - start the chat on another computer with the same relay"

lan_stop_client 2
if [ "$LAN_FAILURES" -ne 0 ]; then
  for f in "$LAN_WORK"/doctor.*.out; do echo "===== $f"; cat "$f"; done
  lan_report 1 2 3
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
