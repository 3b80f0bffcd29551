#!/usr/bin/env bash
# Honest public messages from one peer into the desktop program under Xvfb: messages shown per
# CPU-second of the program and all its web engine processes, for each executable given, side by
# side in one run, inside a private network namespace of its own.
# Usage: bench/desktop_flood_bench.sh NEW_ZELTOCHAT [OLD_ZELTOCHAT] [MESSAGES]
set -euo pipefail
source "$(dirname "$0")/flood_lib.sh"
flood_in_netns "$0" "$@"
src=$(cd "$(dirname "$0")/.." && pwd)
new=$(realpath "$1")
old=${2:+$(realpath "$2")}
count=${3:-2000}
work=$(mktemp -d /tmp/desktop-flood.XXXX)
[ -n "${ZC_KEEP_WORK:-}" ] && echo "work folder: $work" >&2

n=$(( 600 + RANDOM % 300 ))
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; [ -n "${ZC_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"


# CPU ticks of a process and every process below it (the web engine's zygote, renderer and GPU
# processes), those that already ended and were reaped included.
cat >"$work/cpu_tree.py" <<'PY'
import os, sys
children, ticks = {}, {}
for pid in filter(str.isdigit, os.listdir("/proc")):
    try:
        stat = open(f"/proc/{pid}/stat").read()
    except OSError:
        continue
    f = stat[stat.rindex(")") + 2:].split()
    children.setdefault(int(f[1]), []).append(int(pid))
    ticks[int(pid)] = sum(int(x) for x in f[11:15])
total, todo = 0, [int(sys.argv[1])]
while todo:
    p = todo.pop()
    total += ticks.get(p, 0)
    todo += children.get(p, [])
print(total)
PY
cpu_ticks() { python3 "$work/cpu_tree.py" "$1"; }
main_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

run() {  # label executable
  local label=$1 bin=$2 dir=$work/$1
  mkdir -p "$dir/home" "$dir/tmp" "$dir/run" "$dir/pages"
  chmod 700 "$dir/run"
  cmake -DSRC="$src/data" -DDST="$dir/root" -P "$src/cmake/lay_out_data.cmake" >/dev/null
  [ -f "$dir/root/system/zeltochat.ini" ] || { mkdir -p "$dir/root/system"; printf '[GLOBAL]\r\nPROFILE=default\r\n' >"$dir/root/system/zeltochat.ini"; }
  HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config XDG_DATA_HOME=$dir/home/.local/share TMPDIR=$dir/tmp \
    XDG_RUNTIME_DIR=$dir/run QTWEBENGINE_DISABLE_SANDBOX=1 \
    "$bin" --root "$dir/root" --dump-pages "$dir/pages" >"$dir/out" 2>"$dir/err" &
  local pid=$!
  sleep 8  # start-up: the web engine, then the network two seconds in
  local before started mainBefore
  before=$(cpu_ticks "$pid")
  mainBefore=$(main_ticks "$pid")
  started=$(date +%s.%N)
  python3 "$src/bench/flood_sender.py" "$src/docs/protocol.md" "$count" "$dir/root/history/*/*Main.htm"
  local got=0 last="honest message number $((count - 1))<" shown=no
  for _ in $(seq 1 600); do
    got=$(cat "$dir"/root/history/*/*Main.htm 2>/dev/null | grep -c 'honest message number' || true)
    [ "$got" -ge "$count" ] && break
    sleep 0.1
  done
  # The history has them all; now the page must show the last one too.
  for _ in $(seq 1 100); do
    kill -USR1 "$pid"
    sleep 0.2
    grep -q "$last" "$dir/pages/chat.html" 2>/dev/null && { shown=yes; break; }
  done
  sleep 0.5  # the browser lays out and paints what it just got
  local after ended mainAfter
  after=$(cpu_ticks "$pid")
  mainAfter=$(main_ticks "$pid")
  ended=$(date +%s.%N)
  local onPage
  onPage=$(grep -o 'honest message number [0-9]*' "$dir/pages/chat.html" 2>/dev/null | wc -l)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  local hz
  hz=$(getconf CLK_TCK)
  python3 -c "
got, ticks, hz, n = $got, $after - $before, $hz, $count
cpu = max(ticks, 1) / hz
print(f'$label: {got} of {n} messages in the history, last one on the page: $shown ($onPage since the page was last cleared),'
      f' {cpu:.2f} s of CPU ({($mainAfter - $mainBefore) / hz:.2f} s in the program itself) in {$ended - $started:.1f} s,'
      f' {got / cpu:,.0f} messages per CPU-second')
print(f'$label rate {got / cpu:.0f}')" | tee -a "$work/rates"
}

flood_compare run "$new" "$old"
