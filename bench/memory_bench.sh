#!/usr/bin/env bash
# Memory of the running desktop program with all its views (PSS of the program and its web
# engine processes together) against a bare program with five empty web views, in one run.
# Usage: bench/memory_bench.sh [build dir]   (runs itself in a private network namespace)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
if [ "${ZC_BENCH_NETNS:-}" != 1 ]; then
  exec unshare -n env ZC_BENCH_NETNS=1 bash -c 'ip link set lo up; ip link set lo multicast on;
    ip route add 224.0.0.0/4 dev lo; exec bash "$0" "$1"' "$0" "$build"
fi
work=$(mktemp -d)
n=$(( 700 + RANDOM % 200 ))
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=":$n" HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --renderer-process-limit=1 --disable-background-networking"

pss_tree() {  # PSS in kB of a process and all its descendants
  local total=0 p
  for p in $1 $(pgrep -P "$1"; for c in $(pgrep -P "$1"); do pgrep -P "$c"; done); do
    [ -r "/proc/$p/smaps_rollup" ] || continue
    total=$(( total + $(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup") ))
  done
  echo "$total"
}

measure() {  # command... -> PSS after it settled
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 10
  local kb; kb=$(pss_tree "$pid")
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  echo "$kb"
}

cp -r "$build/system" "$build/profiles" "$build/language" "$build/skins" "$work/" 2>/dev/null || true
mkdir -p "$work/root" && cp -r "$build"/{system,profiles,language,skins,smiles,sound,avatars} "$work/root/" 2>/dev/null || true
chat=$(measure "$build/zeltochat" --root "$work/root")
bare=$(measure "$build/bench/bare_views")
echo "zeltochat with its views: $(( chat / 1024 )) MiB PSS"
echo "bare program, 5 views:    $(( bare / 1024 )) MiB PSS"
awk -v a="$chat" -v b="$bare" 'BEGIN { printf "ratio chat/bare:          %.2f (target at most 1.15)\n", a / b }'
