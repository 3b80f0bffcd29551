# Shared by the flood benchmarks (sourced): a network namespace of their own, and the two runs
# side by side with their ratio.

# Re-runs the calling script inside a private network namespace with multicast on lo; returns
# at once when already inside. Call as: flood_in_netns "$0" "$@"
flood_in_netns() {
  [ -n "${ZC_FLOOD_IN_NETNS:-}" ] && return 0
  local flags=-n
  [ "$(id -u)" -ne 0 ] && flags=-rn
  exec unshare $flags env ZC_FLOOD_IN_NETNS=1 bash -c '
    ip link set lo up && ip link set lo multicast on && ip route add 224.0.0.0/4 dev lo
    exec bash "$0" "$@"' "$@"
}

# RUN new NEW_BINARY, then RUN old OLD_BINARY when given, and the ratio of the rates the runs
# appended to $work/rates as "<label> rate <messages per CPU-second>".
flood_compare() {  # RUN NEW [OLD]
  "$1" new "$2"
  [ -n "${3:-}" ] || return 0
  "$1" old "$3"
  python3 - "$work/rates" <<'PY'
import sys
rates = {l.split()[0]: float(l.split()[2]) for l in open(sys.argv[1]) if " rate " in l}
print(f"new / old: {rates['new'] / rates['old']:.1f}x")
PY
}
