#!/usr/bin/env bash
# Runs the packet benchmark and prints both rates and their ratio.
set -euo pipefail
bin=${1:-build/bench/packet_bench}
json=$("$bin" --benchmark_format=json --benchmark_min_time=0.5 2>/dev/null)
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"]: b["items_per_second"] for b in json.loads(sys.argv[1])["benchmarks"]}
codec, copy = runs["BM_EncodeDecodeParse"], runs["BM_PlainCopy"]
print(f"encode+decode+parse: {codec:,.0f} packets/s")
print(f"plain copy:          {copy:,.0f} packets/s")
print(f"ratio copy/codec:    {copy / codec:.1f}x")
PY
