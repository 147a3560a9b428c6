#!/usr/bin/env bash
# Status page benchmark: the main status page for 20 accounts and a 3000-day
# history, built and drawn with its charts; the median must stay under 150 ms.
# Also printed: the same page shown in the real engine until every chart has
# arrived, and one empty round trip to the engine (which on a machine shared
# with other work makes up most of that figure).
#   bench/status_page_bench.sh [BIN_DIR]      (default: build/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bin}")
out=$(mktemp /tmp/pellago-status-bench.XXXXXX.json)
trap 'rm -f "$out"' EXIT

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-1}
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox --disable-gpu --disable-background-networking --disable-component-update --disable-sync --no-first-run}

"$bin/bench_status_page_bench" --benchmark_out="$out" --benchmark_out_format=json 2>/dev/null

python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def median(name):
    return next(r for r in runs if r["name"].startswith(name) and r.get("aggregate_name") == "median")["real_time"]
built = median("BM_BuildAndDrawCharts")
ok = built < 150
print(f"built and drawn, charts included: median {built:.1f} ms (limit 150 ms) {'ok' if ok else 'TOO SLOW'}")
print(f"shown in the status view until every chart arrived: median {median('BM_ShowInStatusView'):.1f} ms")
print(f"one empty round trip to the engine: median {median('BM_EngineRoundTrip'):.1f} ms")
sys.exit(0 if ok else 1)
PY
