# shellcheck shell=bash
# Shared by the multi-host tests: a private LAN of network namespaces on one bridge, and
# terminal chat clients on it. Source it, then call lan_enter "$0" "$@" first.
#
# The outer namespace owns the bridge br0; host N is namespace hN with address 10.77.0.N/24 on
# vethN, its peer eN in the bridge. Everything ends with the outer namespace.

LAN_FAILURES=0
LAN_PIDS=()

# Runs the calling script again inside new network and mount namespaces, so no packet can
# leave the machine and /run/netns is our own.
lan_enter() {
  local script=$1
  shift
  if [ "${ZC_LAN_INSIDE:-}" != 1 ]; then
    local flags=(-n -m)
    [ "$(id -u)" -ne 0 ] && flags=(-r -n -m)
    exec unshare "${flags[@]}" env ZC_LAN_INSIDE=1 bash "$script" "$@"
  fi
  set -u
  ip link set lo up
  mkdir -p /run/netns
  mount -t tmpfs tmpfs /run/netns
  # sysfs shows the devices of the namespace that mounts it.
  mount -t sysfs sysfs /sys
  LAN_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zc-lan.XXXXXX")
  trap lan_cleanup EXIT
  ip link add br0 type bridge
  # Without a querier, snooping would forget the group members part-way through a run.
  ip link set br0 type bridge mcast_snooping 0
  ip link set br0 up
}

# Stops before any namespace is made when a program the test runs is missing.
lan_require() {  # program...
  local p
  for p in "$@"; do
    if [ "${p#/}" != "$p" ]; then [ -x "$p" ] && continue; else command -v "$p" >/dev/null && continue; fi
    echo "FAILED: $p is needed and missing"
    exit 1
  done
}

lan_cleanup() {
  local pid
  for pid in "${LAN_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${LAN_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  if [ "$LAN_FAILURES" -eq 0 ] && [ "${ZC_LAN_KEEP:-0}" != 1 ]; then
    rm -rf "$LAN_WORK"
  else
    echo "work folder kept: $LAN_WORK"
  fi
}

# Remembers a background process of ours so cleanup can stop it.
lan_track() { LAN_PIDS+=("$1"); }

lan_fail() {
  echo "FAILED: $*"
  LAN_FAILURES=$((LAN_FAILURES + 1))
}

lan_check() {  # description, command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else lan_fail "$what"; fi
}

lan_add_host() {  # N
  local n=$1
  ip netns add "h$n"
  ip link add "veth$n" type veth peer name "e$n"
  ip link set "e$n" master br0
  ip link set "e$n" up
  ip link set "veth$n" netns "h$n"
  ip netns exec "h$n" ip link set lo up
  ip netns exec "h$n" ip addr add "10.77.0.$n/24" dev "veth$n"
  ip netns exec "h$n" ip link set "veth$n" multicast on
  ip netns exec "h$n" ip link set "veth$n" up
  # The group goes over the bridge, never anywhere else.
  ip netns exec "h$n" ip route add 224.0.0.0/4 dev "veth$n"
}

# Waits until every host's link is up and its bridge port forwards.
lan_wait_links() {  # N...
  local n deadline=$((SECONDS + 10))
  for n in "$@"; do
    until ip netns exec "h$n" ip -o link show "veth$n" | grep -q 'state UP' &&
      [ "$(cat "/sys/class/net/e$n/brport/state" 2>/dev/null)" = 3 ]; do
      [ $SECONDS -ge $deadline ] && { lan_fail "link of h$n did not come up"; return 1; }
      sleep 0.1
    done
  done
}

# Sets key=value in one section of an ini file, keeping its CRLF line ends.
lan_ini_set() {  # file section key value
  awk -v sec="$2" -v key="$3" -v val="$4" '
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ {
      if (insec && !done) { printf "%s=%s\r\n", key, val; done = 1 }
      insec = (line == "[" sec "]")
      printf "%s\r\n", line
      next
    }
    insec && !done && index(line, key "=") == 1 { printf "%s=%s\r\n", key, val; done = 1; next }
    { printf "%s\r\n", line }
    END {
      if (!done) {
        if (!insec) printf "[%s]\r\n", sec
        printf "%s=%s\r\n", key, val
      }
    }' "$1" >"$1.tmp" && mv "$1.tmp" "$1"
}

# A fresh program folder for host N: the shipped data, the nickname, the host's address.
lan_make_root() {  # N nickname [relay server address]
  local n=$1 name=$2 relay=${3:-}
  local root=$LAN_WORK/h$n/root
  mkdir -p "$LAN_WORK/h$n/home" "$LAN_WORK/h$n/tmp"
  cmake -DSRC="$SOURCE_DIR/data" -DDST="$root" -P "$SOURCE_DIR/cmake/lay_out_data.cmake" >/dev/null
  local cfg=$root/profiles/default.cfg
  lan_ini_set "$cfg" INFO CHATNAME "$name"
  lan_ini_set "$cfg" NETWORK INTERFACE "10.77.0.$n"
  if [ -n "$relay" ]; then
    lan_ini_set "$cfg" NETWORK SERVERUSE 1
    lan_ini_set "$cfg" NETWORK SERVER "$relay"
    lan_ini_set "$cfg" NETWORK SERVERPORT 9011
  fi
}

# Starts the terminal client of host N with its input on a FIFO held open by this shell.
declare -A LAN_CLIENT_PID LAN_CLIENT_FD
lan_start_client() {  # N
  local n=$1
  local dir=$LAN_WORK/h$n
  mkfifo "$dir/in"
  # Each host its own HOME (settings store, and the single-instance socket without a runtime
  # folder). The other clients' input ends are closed in it, or their end of input would never come.
  (
    lan_close_inputs
    exec ip netns exec "h$n" env -u XDG_RUNTIME_DIR HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" TMPDIR="$dir/tmp" \
      "$BUILD_DIR/zeltochat-cli" --root "$dir/root" --dump-pages "$dir/pages"
  ) <"$dir/in" >"$dir/out" 2>"$dir/err" &
  LAN_CLIENT_PID[$n]=$!
  lan_track $!
  local fd
  exec {fd}>"$dir/in"
  LAN_CLIENT_FD[$n]=$fd
}

# For a long-lived child: drops the write ends of the clients' inputs it inherited.
lan_close_inputs() {
  local fd
  for fd in "${LAN_CLIENT_FD[@]}"; do exec {fd}>&-; done
}

lan_type() {  # N line: what the user of host N types
  printf '%s\n' "$2" >&"${LAN_CLIENT_FD[$1]}"
}

lan_out() { cat "$LAN_WORK/h$1/out"; }

# Polls host N's output until it holds a line matching the pattern (grep -E).
lan_wait_output() {  # N pattern seconds
  local deadline=$((SECONDS + $3))
  until grep -qE -- "$2" "$LAN_WORK/h$1/out" 2>/dev/null; do
    [ $SECONDS -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# Asks host N for its user list until a line of one answer matches the pattern (grep -E).
lan_wait_list() {  # N pattern seconds
  local deadline=$((SECONDS + $3)) mark
  while :; do
    mark=$(wc -l <"$LAN_WORK/h$1/out")
    lan_type "$1" /users
    sleep 0.5
    # Only the answer to this request counts, not an older one.
    if tail -n +"$((mark + 1))" "$LAN_WORK/h$1/out" | grep -qE -- "$2"; then return 0; fi
    [ $SECONDS -ge "$deadline" ] && return 1
  done
}

lan_wait_users() { lan_wait_list "$1" "^-- $2 users\$" "$3"; }  # N count seconds

# Ends host N's client by closing its input; it must leave on its own with status 0.
lan_stop_client() {  # N
  local n=$1 fd=${LAN_CLIENT_FD[$1]} pid=${LAN_CLIENT_PID[$1]} status waited=0
  exec {fd}>&-
  while kill -0 "$pid" 2>/dev/null && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    lan_fail "h$n did not end within 10 s of the end of its input"
    kill "$pid"
  fi
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || lan_fail "h$n ended with status $status"
}

# Stops host N's client and starts it again on the same folder; the old output is kept as out.K.
lan_restart_client() {  # N
  local dir=$LAN_WORK/h$1
  lan_stop_client "$1"
  mv "$dir/out" "$dir/out.$SECONDS"
  rm -f "$dir/in"
  lan_start_client "$1"
}

# What a reader needs when something failed: each client's last lines and its debug log.
lan_report() {  # N...
  local n
  for n in "$@"; do
    echo "===== h$n: stdout (last 40 lines)"
    tail -n 40 "$LAN_WORK/h$n/out" 2>/dev/null
    echo "===== h$n: stderr"
    tail -n 20 "$LAN_WORK/h$n/err" 2>/dev/null
    echo "===== h$n: debug log"
    find "$LAN_WORK/h$n/root/logs" -type f -name '*.txt' -exec tail -n 40 {} \; 2>/dev/null
  done
}

# The month's history files, named as the chat names them.
lan_main_history() { echo "$LAN_WORK/h$1/root/history/$(date +%Y_%m)/$(date +%m-%Y)_Main.htm"; }
lan_private_history() { echo "$LAN_WORK/h$1/root/history/$(date +%Y_%m)/$(date +%Y)_private_alert.htm"; }
