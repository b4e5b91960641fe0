#!/usr/bin/env bash
# LoaderMQA::Load on the 350 x 350 grid, compiled natively and to WebAssembly
# (run by Node.js), side by side with fread of the same document in each:
# builds both (host and web presets), runs them in turns and prints the
# medians and their ratios.
#   bench/web/compare_load_speed.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds=${1:-15}
cmake --preset host >/dev/null
cmake --build --preset host --target korvane_grid_load_speed -j "$(nproc)" >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web --target korvane_grid_load_speed -j "$(nproc)" >/dev/null
native=build/host/bench/korvane_grid_load_speed
wasm=build/web/bench/korvane_grid_load_speed.js

top=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Three turns each, one after the other, so noise on the machine falls on both.
for turn in 1 2 3; do
    (cd "$work" && "$top/$native" "$rounds") >"$work/native-$turn.txt"
    (cd "$work" && node "$top/$wasm" "$rounds") >"$work/wasm-$turn.txt"
done
python3 - "$work" <<'PYTHON'
import statistics
import sys
from pathlib import Path

work = Path(sys.argv[1])

def figures(kind):
    runs = [dict(line.split() for line in path.read_text().splitlines())
            for path in sorted(work.glob(f"{kind}-*.txt"))]
    return {key: statistics.median(float(run[key]) for run in runs) for key in runs[0]}

native, wasm = figures("native"), figures("wasm")
print(f"grid document: {native['document_bytes'] / 1e6:.1f} MB")
print(f"{'':24}{'native':>10}{'WebAssembly':>14}{'ratio':>8}")
for key, name in (("fread_ms", "fread (ceiling), ms"), ("load_ms", "LoaderMQA::Load, ms")):
    print(f"{name:24}{native[key]:10.1f}{wasm[key]:14.1f}{wasm[key] / native[key]:8.2f}")
print(f"{'load / fread':24}{native['load_ms'] / native['fread_ms']:10.1f}"
      f"{wasm['load_ms'] / wasm['fread_ms']:14.1f}")
PYTHON
