#!/usr/bin/env bash
# Browser layer benchmark: NavigateTo + WaitIE on a loopback page (the median
# must stay within 1.15 × the 0.7 s settle) and 50 sessions created and
# destroyed in a row (no browser process left behind, memory growth of the
# program and its browser processes at most 10 %).
#   bench/browser_bench.sh [BIN_DIR]      (default: build/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bin}")
out=$(mktemp /tmp/pellago-browser-bench.XXXXXX.json)
trap 'rm -f "$out"' EXIT

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-1}
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox --disable-gpu --disable-background-networking --disable-component-update --disable-sync --no-first-run}

"$bin/bench_browser_bench" --benchmark_out="$out" --benchmark_out_format=json 2>/dev/null

python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
ok = True
def check(label, value, limit, unit):
    global ok
    passed = value <= limit
    ok &= passed
    print(f"{label}: {value:.3f} {unit} (limit {limit:.3f}) {'ok' if passed else 'TOO HIGH'}")
median = next(r for r in runs if r["name"].startswith("BM_NavigateToAndWaitIE") and r.get("aggregate_name") == "median")
check("NavigateTo + WaitIE median", median["real_time"] / 1000.0, 1.15 * 0.7, "s")
fifty = next(r for r in runs if r["name"].startswith("BM_FiftySessionsInARow"))
print(f"50 sessions: {fifty['real_time']:.1f} s, {int(fifty['active_sessions'])} active, "
      f"memory {fifty['memory_before_mb']:.0f} MB -> {fifty['memory_after_mb']:.0f} MB")
check("browser processes left behind", fifty["processes_left_behind"], 0, "")
check("memory growth", fifty["memory_growth_pct"], 10.0, "%")
sys.exit(0 if ok else 1)
PY
