#!/usr/bin/env bash
# One board post through the receiving path with 10 and with 1,000 messages stored, and the board
# page opened with 1,000. Prints the rates side by side and the ratio that should stay near 1.
set -euo pipefail
bin=${1:-build/bench/board_bench}
json=$("$bin" --benchmark_format=json --benchmark_min_time=1 2>/dev/null)
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.loads(sys.argv[1])["benchmarks"]}
few, many = runs["BM_PostWith10Stored"], runs["BM_PostWith1000Stored"]
page = runs["BM_OpenBoardPageWith1000Stored"]
print(f"post + delete, 10 stored:    {few['items_per_second']:10,.0f} /s  ({few['files']:.0f} files)")
print(f"post + delete, 1,000 stored: {many['items_per_second']:10,.0f} /s  ({many['files']:.0f} files)")
print(f"ratio 10/1,000 stored:       {few['items_per_second'] / many['items_per_second']:.2f}x")
print(f"board page opened, 1,000:    {page['items_per_second']:10,.1f} /s  ({1000 / page['items_per_second']:.1f} ms each)")
PY
