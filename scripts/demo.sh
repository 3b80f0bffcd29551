#!/usr/bin/env bash
# Two copies of the chat, Alice and Bob, talking on a private network of their own on this
# machine: desktop windows when a display works, else terminal clients in two tmux panes.
# Usage: scripts/demo.sh [BUILD_DIR] [--desktop|--terminal]     (./run --demo)
#
# The copies run in a network namespace whose loopback carries 127.0.0.2 (Alice) and 127.0.0.3
# (Bob); the multicast group is routed to that loopback only, so nothing leaves the machine.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=build
MODE=auto
for arg in "$@"; do
  case $arg in
    --desktop) MODE=desktop ;;
    --terminal) MODE=terminal ;;
    -h | --help)
      sed -n '2,7s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    -*) echo "demo: unknown option $arg" >&2; exit 2 ;;
    *) BUILD=$arg ;;
  esac
done
BUILD=$(cd "$BUILD" && pwd)
DEMO=$BUILD/demo

if [ "${ZC_DEMO_INSIDE:-}" != 1 ]; then
  flags=-n
  [ "$(id -u)" -ne 0 ] && flags=-rn
  again=("$BUILD")
  [ "$MODE" = auto ] || again+=("--$MODE")
  exec unshare $flags env ZC_DEMO_INSIDE=1 bash "$0" "${again[@]}"
fi

ip link set lo up
ip link set lo multicast on
ip addr add 127.0.0.2/8 dev lo
ip addr add 127.0.0.3/8 dev lo
ip route add 224.0.0.0/4 dev lo

# Keeps CRLF line ends, as the shipped ini files have them.
ini_set() {  # file section key value
  [ -f "$1" ] || : >"$1"
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
    END { if (!done) { if (!insec) printf "[%s]\r\n", sec; printf "%s=%s\r\n", key, val } }' "$1" >"$1.tmp"
  mv "$1.tmp" "$1"
}

# A fresh program folder from the build's shipped folders; what a run writes stays behind.
make_root() {  # name address window-left
  local root=$DEMO/${1,,}
  rm -rf "$root"
  mkdir -p "$root"
  local d
  for d in system profiles language skins smiles sound plugins avatars; do
    if [ -d "$BUILD/$d" ]; then cp -a "$BUILD/$d" "$root/"; else mkdir -p "$root/$d"; fi
  done
  mkdir -p "$root"/{logs,board,history,download,.config}
  [ -f "$root/system/zeltochat.ini" ] || { echo "demo: $BUILD holds no program folder; build first (./run)" >&2; exit 1; }
  # Both copies share this network namespace and this user.
  ini_set "$root/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ON
  ini_set "$root/profiles/default.cfg" INFO CHATNAME "$1"
  ini_set "$root/profiles/default.cfg" NETWORK INTERFACE "$2"
  ini_set "$root/profiles/default.cfg" NETWORK SERVERUSE 0
  # Side by side rather than one window on top of the other.
  ini_set "$root/system/main.ini" PARAM L "$3"
  ini_set "$root/system/main.ini" PARAM T 10
  ini_set "$root/system/main.ini" PARAM R "$(($3 + 390))"
  ini_set "$root/system/main.ini" PARAM B 600
}

display_works() {
  [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then xdpyinfo >/dev/null 2>&1; else return 0; fi
}
if [ "$MODE" = auto ]; then
  if [ -x "$BUILD/zeltochat" ] && display_works; then MODE=desktop; else MODE=terminal; fi
fi

if [ "$MODE" = desktop ]; then
  [ -x "$BUILD/zeltochat" ] || { echo "demo: $BUILD/zeltochat is not built" >&2; exit 1; }
  make_root Alice 127.0.0.2 10
  make_root Bob 127.0.0.3 420
  echo "Alice and Bob start in two windows; close both chats (tray menu, Exit) or press Ctrl-C here."
  pids=()
  for who in alice bob; do
    # Each copy its own settings store, so an open alert of one does not block the other.
    XDG_CONFIG_HOME=$DEMO/$who/.config "$BUILD/zeltochat" --root "$DEMO/$who" &
    pids+=($!)
    # Bob comes in once Alice is there, so each sees the other arrive.
    sleep 1.5
  done
  trap 'kill "${pids[@]}" 2>/dev/null' INT TERM
  wait "${pids[@]}" || true
  exit 0
fi

[ -x "$BUILD/zeltochat-cli" ] || { echo "demo: $BUILD/zeltochat-cli is not built" >&2; exit 1; }
command -v tmux >/dev/null || { echo "demo: tmux is needed for the terminal demo" >&2; exit 1; }
# A server of our own, started here: a server that runs already lives outside this namespace.
SOCKET=$DEMO/tmux.sock
[ ${#SOCKET} -lt 100 ] || SOCKET=${TMPDIR:-/tmp}/zeltochat-demo-$(id -u).sock
unset TMUX
if tmux -S "$SOCKET" has-session -t zeltochat-demo 2>/dev/null; then
  echo "demo: one runs already; attach with  tmux -S $SOCKET attach" >&2
  exit 1
fi
rm -f "$SOCKET"
make_root Alice 127.0.0.2 10
make_root Bob 127.0.0.3 420
pane() {  # name
  local who=${1,,}
  printf 'cd %q && XDG_CONFIG_HOME=%q %q --root %q; echo "%s has left. Enter closes this pane."; read -r _' \
    "$DEMO/$who" "$DEMO/$who/.config" "$BUILD/zeltochat-cli" "$DEMO/$who" "$1"
}
tmux -S "$SOCKET" new-session -d -s zeltochat-demo -x 200 -y 50 "$(pane Alice)"
tmux -S "$SOCKET" set-option -t zeltochat-demo remain-on-exit off >/dev/null
sleep 1.5
tmux -S "$SOCKET" split-window -h -t zeltochat-demo "$(pane Bob)"
tmux -S "$SOCKET" select-pane -t zeltochat-demo:0.0
echo "Alice (left pane) and Bob (right pane): type a line to chat, MSG->Bob: hi for a private"
echo "message, /help for more, /quit to leave."
if [ -t 0 ] && [ -t 1 ]; then
  exec tmux -S "$SOCKET" attach -t zeltochat-demo
fi
echo "No terminal here: attach with  tmux -S $SOCKET attach"
