#!/usr/bin/env bash
# Honest public messages from one peer into the terminal client: messages handled per CPU-second
# of the client, for each binary given, side by side in one run, inside a private network
# namespace of its own.
# Usage: bench/cli_flood_bench.sh NEW_CLI [OLD_CLI] [MESSAGES]
set -euo pipefail
source "$(dirname "$0")/flood_lib.sh"
flood_in_netns "$0" "$@"
src=$(cd "$(dirname "$0")/.." && pwd)
new=$1
old=${2:-}
count=${3:-5000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

run() {  # label binary
  local label=$1 bin=$2 dir=$work/$1
  mkdir -p "$dir/home" "$dir/tmp"
  cmake -DSRC="$src/data" -DDST="$dir/root" -P "$src/cmake/lay_out_data.cmake" >/dev/null
  HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config TMPDIR=$dir/tmp NO_COLOR=1 \
    "$bin" --root "$dir/root" --no-input >"$dir/out" 2>"$dir/err" &
  local pid=$!
  sleep 4  # start-up: the network comes up two seconds in
  local before
  before=$(cpu_ticks "$pid")
  python3 "$src/bench/flood_sender.py" "$src/docs/protocol.md" "$count"
  local got=0
  for _ in $(seq 1 300); do
    got=$(grep -c '<Flood>: honest message number' "$dir/out" || true)
    [ "$got" -ge "$count" ] && break
    sleep 0.1
  done
  local after
  after=$(cpu_ticks "$pid")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  local hz
  hz=$(getconf CLK_TCK)
  python3 -c "
got, ticks, hz, n = $got, $after - $before, $hz, $count
cpu = max(ticks, 1) / hz
print(f'$label: {got} of {n} messages shown, {cpu:.2f} s of CPU, {got / cpu:,.0f} messages per CPU-second')
print(f'$label rate {got / cpu:.0f}')" | tee -a "$work/rates"
}

flood_compare run "$new" "$old"
