#!/usr/bin/env bash
# Start-up time to the shown window: from starting `pellago --home DIR` (a
# licensed program folder, its service a closed loopback port) to the moment
# its main window is mapped on an Xvfb screen, RUNS times (default 5); the
# median and the slowest are printed. The first run also fills the caches a
# user's first start would find cold.
#   bench/startup.sh [BIN_DIR]      (default: build/bin)
# Needs xvfb-run and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/bin}")
runs=${RUNS:-5}
home=$(mktemp -d /tmp/pellago-startup.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/AutoTrade"
: >"$home/AutoTrade/Licensed"
printf 'web_base = http://127.0.0.1:9\nmail_host = 127.0.0.1\nmail_port = 9\n' >"$home/service.conf"

export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" LANG=C.UTF-8
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  for _ in $(seq "$3"); do
    start=$(date +%s%N)
    "$1" --home "$2" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --name "^Pellago" >/dev/null 2>&1
    echo $(( ($(date +%s%N) - start) / 1000000 ))
    kill "$pid"; wait "$pid" 2>/dev/null || true
  done
' _ "$bin/pellago" "$home" "$runs" | sort -n | awk '
  { ms[NR] = $1 }
  END { printf "start-up to the shown window over %d runs: median %d ms, slowest %d ms\n", NR, ms[int((NR + 1) / 2)], ms[NR] }'
