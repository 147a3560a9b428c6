#!/usr/bin/env bash
# Status page benchmark: the main status page for 20 accounts and a 3000-day
# history, built and drawn with its charts; the median must stay under 150 ms,
# both for the page with its charts rendered and for the page shown in the
# status view of the real engine until every chart has arrived.
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
ok = True
for name in ("BM_BuildAndDrawCharts", "BM_ShowInStatusView"):
    median = next(r for r in runs if r["name"].startswith(name) and r.get("aggregate_name") == "median")
    value = median["real_time"]
    passed = value < 150
    ok &= passed
    print(f"{name} median: {value:.1f} ms (limit 150 ms) {'ok' if passed else 'TOO SLOW'}")
sys.exit(0 if ok else 1)
PY
