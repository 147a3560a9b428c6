#!/usr/bin/env bash
# Idle cost of unattended operation: the program in automatic mode while the
# FX market is closed (its clock moved to last Saturday noon UTC through the
# test-only PELLAGO_TEST_CLOCK_OFFSET), every timer of the window running.
# Measures CPU (utime + stime from /proc/<pid>/stat) over IDLE_SECONDS
# (default 300) after a warm-up, and the resident memory, for the program
# alone and with the browser engine's helper processes it started.
# With --headless, the headless program instead runs in automatic mode on a
# market day with one simulated LionFX account, and the measurement starts
# once its first trade run has ended: the cost between two runs.
#   bench/idle_cost.sh [--headless] [BIN_DIR]      (default: build/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
after_run=
if [ "${1:-}" = "--headless" ]; then after_run=1; shift; fi
bin=$(realpath "${1:-build/bin}")
seconds=${IDLE_SECONDS:-300}
warmup=${IDLE_WARMUP:-30}
ticks_per_second=$(getconf CLK_TCK)

work=$(mktemp -d /tmp/pellago-idle.XXXXXX)
home="$work/program"
mkdir -p "$home/AutoTrade"
cleanup() {
  for pid in ${program_pid:-} ${sim_pid:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator serves the account template, so the start-up version check
# opens the cycle's gate and every tick takes its full weekend path.
"$bin/pellago-sim" --listen 127.0.0.1:0 >"$work/sim.out" 2>/dev/null &
sim_pid=$!
for _ in $(seq 100); do grep -q '^listening ' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^listening 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.out")
printf 'web_base = http://127.0.0.1:%s\nmail_host = 127.0.0.1\nmail_port = 9\n' "$port" >"$home/service.conf"
: >"$home/AutoTrade/Licensed"


# A market day: the clock goes back to Thursday when the market is closed now.
market_offset() {
  local weekday hour
  read -r weekday hour < <(date -u '+%u %H')
  hour=$((10#$hour))
  if [ "$weekday" = 6 ]; then echo $((-2 * 86400))
  elif [ "$weekday" = 7 ] && [ "$hour" -lt 22 ]; then echo $((-3 * 86400))
  elif [ "$weekday" = 5 ] && [ "$hour" -ge 20 ]; then echo $((-86400))
  else echo 0; fi
}

# One account whose book is far from the signal's targets, so the run trades.
prepare_trade_run() {
  local sim="http://127.0.0.1:$port" day
  day=$(date -d "@$(( $(date +%s) + offset ))" +%m%d)
  curl -sS --fail -X POST --data "<PellagoSignal>
  <FileName>$day.xml</FileName>
  <HoldPositionSummary>
    <USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"2\"/></USDJPY>
  </HoldPositionSummary>
  <HoldPosition/>
</PellagoSignal>" "$sim/_control/service/demo_signal" >/dev/null
  curl -sS --fail -X POST -H 'Content-Type: application/json' --data '{"moving":false}' "$sim/_control/prices" >/dev/null
  curl -sS --fail -X POST -H 'Content-Type: application/json' --data \
    '{"family":"lionfx","id":"idle","password":"pw","deposit":1000000,"positions":[{"pair":"USDJPY","side":"sell","lots":1}]}' \
    "$sim/_control/accounts" >/dev/null
  printf '[Main]\r\nCheckBox10=1\r\n' >"$home/pellago.ini"
  "$bin/pellago-demo-account" --home "$home" --broker LionFX --user idle --password pw --leverage 3 >/dev/null
}

if [ -n "$after_run" ]; then
  offset=$(market_offset)
  prepare_trade_run
else
  offset=$(( $(date -u -d 'last saturday 12:00' +%s) - $(date -u +%s) ))
fi
PELLAGO_TEST_CLOCK_OFFSET=$offset "$bin/pellago" --home "$home" --headless auto >"$work/pellago.out" 2>&1 &
program_pid=$!
if [ -n "$after_run" ]; then
  for _ in $(seq 600); do grep -q '■ 自動売買は' "$work/pellago.out" && break; sleep 1; done
  grep -q '■ 自動売買は正常に終了しました' "$work/pellago.out" || { echo "idle_cost: the trade run did not end well" >&2; exit 1; }
  sleep "$warmup"
else
  sleep "$warmup"
  grep -q 'Market Close.' "$work/pellago.out" || { echo "idle_cost: no weekend tick seen" >&2; exit 1; }
fi

# The program and every process below it (the browser engine's helpers).
tree() {
  local pids=("$1") i=0
  while [ $i -lt ${#pids[@]} ]; do
    for child in $(cat /proc/"${pids[$i]}"/task/*/children 2>/dev/null); do pids+=("$child"); done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}
cpu_ticks() { local total=0; for pid in "$@"; do
    read -r -a f < <(sed 's/^.*) //' /proc/"$pid"/stat 2>/dev/null) || continue
    total=$((total + f[11] + f[12])); done; echo "$total"; }
rss_kb() { local total=0; for pid in "$@"; do
    total=$((total + $(awk '/^VmRSS:/ {print $2}' /proc/"$pid"/status 2>/dev/null || echo 0))); done; echo "$total"; }
# Proportional: a page the processes share (the engine's zygote forks) counts once in all.
pss_kb() { local total=0; for pid in "$@"; do
    total=$((total + $(awk '/^Pss:/ {print $2}' /proc/"$pid"/smaps_rollup 2>/dev/null || echo 0))); done; echo "$total"; }

pids=$(tree "$program_pid")
main_before=$(cpu_ticks "$program_pid"); all_before=$(cpu_ticks $pids)
sleep "$seconds"
pids=$(tree "$program_pid")
main_after=$(cpu_ticks "$program_pid"); all_after=$(cpu_ticks $pids)

percent() { awk -v t="$1" -v hz="$ticks_per_second" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
when="market closed"; [ -z "$after_run" ] || when="after a trade run"
echo "idle over ${seconds} s, $when, automatic mode on:"
echo "  pellago alone:           CPU $(percent $((main_after - main_before))) % of one core, RSS $(( $(rss_kb "$program_pid") / 1024 )) MiB"
echo "  with its $(($(wc -w <<<"$pids") - 1)) helper processes: CPU $(percent $((all_after - all_before))) % of one core, RSS $(( $(rss_kb $pids) / 1024 )) MiB, PSS $(( $(pss_kb $pids) / 1024 )) MiB"
