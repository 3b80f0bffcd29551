#!/usr/bin/env bash
# One board post with 1,000 messages stored: the page built from every file, beside the index
# that converts only the new one. Prints both rates and their ratio.
set -euo pipefail
bin=${1:-build/bench/board_bench}
json=$("$bin" --benchmark_format=json --benchmark_min_time=1 2>/dev/null)
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"]: b["items_per_second"] for b in json.loads(sys.argv[1])["benchmarks"]}
whole, indexed = runs["BM_PostWholeRebuild"], runs["BM_PostIndexed"]
print(f"every file rebuilt: {whole:,.1f} posts/s")
print(f"indexed:            {indexed:,.1f} posts/s")
print(f"ratio indexed/whole: {indexed / whole:.1f}x")
PY
