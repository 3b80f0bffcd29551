# shellcheck shell=bash
# Two sites joined through an MQTT broker, on namespaces made by cli_lan_lib.sh's lan_enter:
#   site A  brA 10.1.0.0/24: chats h1 h2 .. , gateways h11 (.254) and h12 (.253)
#   site B  brB 10.2.0.0/24: chats h4 .. , stranger h6 (.66), gateway h21 (.254)
#   floor   brF 10.3.0.0/24: relay-mode chats h5 .. , reaching h21 at 10.3.0.254
#   WAN     brW 10.9.0.0/24: the gateways (10.9.0.N) and the broker h30 (10.9.0.30)
# Nothing routes between the networks: only the gateways and the broker join the sites.

SITES_BROKER=10.9.0.30
SITES_PORTS=()

sites_bridge() {  # name
  ip link add "$1" type bridge
  ip link set "$1" type bridge mcast_snooping 0
  ip link set "$1" up
}

# Host N gets an interface on the bridge with the address; multicast goes out of its first one.
sites_attach() {  # N bridge address/prefix
  local n=$1 bridge=$2 addr=$3
  ip netns list | grep -qw "h$n" || {
    ip netns add "h$n"
    ip netns exec "h$n" ip link set lo up
  }
  local inner="v$n$bridge" outer="p$n$bridge"
  ip link add "$outer" type veth peer name "$inner"
  ip link set "$outer" master "$bridge"
  ip link set "$outer" up
  ip link set "$inner" netns "h$n"
  ip netns exec "h$n" ip addr add "$addr" dev "$inner"
  ip netns exec "h$n" ip link set "$inner" multicast on
  ip netns exec "h$n" ip link set "$inner" up
  ip netns exec "h$n" ip route show | grep -q '^224.0.0.0/4' ||
    ip netns exec "h$n" ip route add 224.0.0.0/4 dev "$inner"
  SITES_PORTS+=("$outer")
}

sites_wait_ports() {
  local port deadline=$((SECONDS + 10))
  for port in "${SITES_PORTS[@]}"; do
    until [ "$(cat "/sys/class/net/$port/brport/state" 2>/dev/null)" = 3 ]; do
      [ $SECONDS -ge $deadline ] && { lan_fail "bridge port $port does not forward"; return 1; }
      sleep 0.1
    done
  done
}

sites_build_two() {
  local b
  for b in brA brB brF brW; do sites_bridge $b; done
  sites_attach 1 brA 10.1.0.1/24
  sites_attach 2 brA 10.1.0.2/24
  sites_attach 11 brA 10.1.0.254/24
  sites_attach 11 brW 10.9.0.11/24
  sites_attach 12 brA 10.1.0.253/24
  sites_attach 12 brW 10.9.0.12/24
  sites_attach 4 brB 10.2.0.4/24
  sites_attach 6 brB 10.2.0.66/24
  sites_attach 21 brB 10.2.0.254/24
  sites_attach 21 brF 10.3.0.254/24
  sites_attach 21 brW 10.9.0.21/24
  sites_attach 5 brF 10.3.0.5/24
  sites_attach 30 brW $SITES_BROKER/24
  sites_wait_ports || exit 1
}

sites_start_broker() {
  cat >"$LAN_WORK/mosquitto.conf" <<EOF
listener 1883 $SITES_BROKER
allow_anonymous true
persistence false
EOF
  # Started again while clients run: it must not hold their inputs open.
  (
    lan_close_inputs
    exec ip netns exec h30 mosquitto -c "$LAN_WORK/mosquitto.conf" >>"$LAN_WORK/broker.log" 2>&1
  ) &
  SITES_BROKER_PID=$!
  lan_track $SITES_BROKER_PID
  sites_wait_listen 30 1883 || { lan_fail "the broker does not listen: $(tail -n 5 "$LAN_WORK/broker.log")"; exit 1; }
}

sites_stop_broker() {
  kill "$SITES_BROKER_PID"
  wait "$SITES_BROKER_PID" 2>/dev/null
}

sites_wait_listen() {  # N port
  for _ in $(seq 50); do
    ip netns exec "h$1" ss -ltnH "sport = :$2" | grep -q . && return 0
    sleep 0.1
  done
  return 1
}

# A gateway relay on host N: its segment's group, the broker as site SITE; more options after.
sites_start_gateway() {  # N site [option...]
  local n=$1 site=$2
  shift 2
  local segment
  segment=$(ip netns exec "h$n" ip -o -4 addr show | awk '$4 ~ /^10\.[12]\.0\./ { sub(/\/.*/, "", $4); print $4; exit }')
  (
    lan_close_inputs
    exec ip netns exec "h$n" "$BUILD_DIR/zeltorelay" --config /dev/null --port 9011 --multicast "$segment" \
      --mqtt "mqtt://$SITES_BROKER:1883" --site "$site" "$@" >>"$LAN_WORK/gw$n.log" 2>&1
  ) &
  lan_track $!
  sites_wait_listen "$n" 9011 || { lan_fail "gateway h$n does not listen: $(cat "$LAN_WORK/gw$n.log")"; exit 1; }
}

# A chat's program folder on host N at ADDR, with [NETWORK] keys as KEY=VALUE.
sites_chat() {  # N name address [KEY=VALUE...]
  local n=$1 name=$2 addr=$3 kv
  shift 3
  lan_make_root "$n" "$name"
  local cfg=$LAN_WORK/h$n/root/profiles/default.cfg
  lan_ini_set "$cfg" NETWORK INTERFACE "$addr"
  for kv in "$@"; do lan_ini_set "$cfg" NETWORK "${kv%%=*}" "${kv#*=}"; done
}

# Counts the group's datagrams as host N receives them, into FILE, rewritten every second.
sites_count_group() {  # N file
  (
    lan_close_inputs
    exec ip netns exec "h$1" python3 "$SOURCE_DIR/tests/net/group_counter.py" "$2"
  ) &
  lan_track $!
}

sites_no_repeats() {  # counter file
  local line
  line=$(cat "$1" 2>/dev/null)
  echo "  $1: $line"
  [[ "$line" =~ ^datagrams\ [1-9][0-9]*\ .*\ repeated\ 0$ ]]
}

sites_wait_board() {  # N text seconds
  local deadline=$((SECONDS + $3))
  until grep -qlF -- "$2" "$LAN_WORK/h$1/root/board/"*.mes 2>/dev/null; do
    [ $SECONDS -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# The identity host N lists for the user NAME.
sites_user_id() {  # N name
  local mark
  mark=$(wc -l <"$LAN_WORK/h$1/out")
  lan_type "$1" /users
  sleep 0.5
  tail -n +"$((mark + 1))" "$LAN_WORK/h$1/out" | awk -v name="$2" '$2 == name { print $NF; exit }'
}

# Publishes one packet text at the broker, as anybody who reaches it could.
sites_publish_forged() {  # plain packet text
  python3 - "$SOURCE_DIR" "$1" "$LAN_WORK/forged.bin" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1] + "/scripts")
from wire_codec import encoder
open(sys.argv[3], "wb").write(encoder(sys.argv[1] + "/docs/protocol.md")(sys.argv[2]))
EOF
  ip netns exec h30 mosquitto_pub -h $SITES_BROKER -p 1883 -t zeltochat/main/elsewhere -f "$LAN_WORK/forged.bin"
}

sites_finish() {  # chat hosts...
  if [ "$LAN_FAILURES" -ne 0 ]; then
    lan_report "$@"
    local log
    for log in "$LAN_WORK"/gw*.log "$LAN_WORK/broker.log"; do
      echo "===== $(basename "$log")"
      tail -n 30 "$log"
    done
    echo "$LAN_FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
