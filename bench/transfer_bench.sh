#!/usr/bin/env bash
# A 1 GB file over 127.0.0.1 through the transfer workers beside a plain socket copy with the
# same 4096-byte blocks, inside a private network namespace. Prints both throughputs and the ratio.
# Usage: bench/transfer_bench.sh [build dir] [megabytes] [rounds]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin=$build/bench/transfer_bench
[ -x "$bin" ] || { echo "build transfer_bench first: cmake --build build --target transfer_bench" >&2; exit 1; }
# The files go to the build folder (on disk), and are gone afterwards even when the run fails.
work=$(mktemp -d "$build/transfer-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../scripts/deps.sh"
zc_in_netns "$bin" "$work" "${2:-1024}" "${3:-3}"
