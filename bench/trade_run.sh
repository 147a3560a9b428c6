#!/usr/bin/env bash
# A full trade run per broker family against the sum of its mandated waits
# (goal: at most 1.15 ×). The headless program runs once in automatic mode
# against pellago-sim, the account's book far from its targets so that every
# pair is traded. The run lasts from "■ 自動売買を実行します" to
# "■ 自動売買は正常に終了しました" (timed as the lines arrive); the
# mandated waits are what the trade algorithm itself prescribes: 0.7 s of
# settle in every page wait (the detail log's "WaitIE IN"), 1 s before every
# reload and 0.1 s after every order.
# With KEEP_PAGES=DIR, each family's detail log is kept as DIR/<family>.hd
# (tests/fuzz/pages-from-log turns it into a seed of the adapter's fuzz target).
#   bench/trade_run.sh [BIN_DIR]      (default: build/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=$(realpath "${1:-build/bin}") exec python3 - <<'PY'
import json, os, re, shutil, subprocess, sys, tempfile, time, urllib.request

BIN = os.environ["BIN"]
# family at the simulator, the account screen's label
FAMILIES = [("lionfx", "LionFX"), ("ocbc", "外為オンライン"), ("cosmo", "コスモ")]
START, END = "■ 自動売買を実行します", "■ 自動売買は正常に終了しました"

def market_offset():
    weekday, hour = time.gmtime().tm_wday + 1, time.gmtime().tm_hour
    if weekday == 6: return -2 * 86400
    if weekday == 7 and hour < 22: return -3 * 86400
    if weekday == 5 and hour >= 20: return -86400
    return 0

def control(sim, method, path, body=None):
    request = urllib.request.Request(sim + path, method=method, data=json.dumps(body).encode() if body else None,
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request) as answer:
        return json.loads(answer.read() or b"null")

def one_family(family, label, work):
    out = open(os.path.join(work, "sim.out"), "w+")
    sim_process = subprocess.Popen([BIN + "/pellago-sim", "--listen", "127.0.0.1:0"], stdout=out,
                                   stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            out.seek(0)
            match = re.search(r"listening 127\.0\.0\.1:(\d+)", out.read())
            if match: break
            time.sleep(0.1)
        sim = "http://127.0.0.1:" + match.group(1)
        day = time.localtime(time.time() + market_offset())
        urllib.request.urlopen(urllib.request.Request(
            sim + "/_control/service/demo_signal", method="POST", data=(
                f"<PellagoSignal>\n  <FileName>{day.tm_mon:02d}{day.tm_mday:02d}.xml</FileName>\n"
                "  <HoldPositionSummary>\n"
                "    <USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"2\"/></USDJPY>\n"
                "    <EURJPY><Breakout UseSystemCount=\"2\" PositionCount=\"-1\"/></EURJPY>\n"
                "  </HoldPositionSummary>\n  <HoldPosition/>\n</PellagoSignal>\n").encode())).read()
        control(sim, "POST", "/_control/prices", {"moving": False})
        control(sim, "POST", "/_control/accounts", {
            "family": family, "id": "bench", "password": "pw", "deposit": 1000000,
            "positions": [{"pair": "USDJPY", "side": "sell", "lots": 2}, {"pair": "EURJPY", "side": "buy", "lots": 1},
                          {"pair": "GBPJPY", "side": "buy", "lots": 1}]})
        home = os.path.join(work, "program")
        os.makedirs(os.path.join(home, "AutoTrade"))
        open(os.path.join(home, "AutoTrade/Licensed"), "w").close()
        open(os.path.join(home, "service.conf"), "w").write(f"web_base = {sim}\nmail_host = 127.0.0.1\nmail_port = 9\n")
        open(os.path.join(home, "pellago.ini"), "w").write("[Main]\r\nCheckBox10=1\r\n")
        subprocess.run([BIN + "/pellago-demo-account", "--home", home, "--broker", label, "--user", "bench",
                        "--password", "pw", "--leverage", "3"], check=True, stdout=subprocess.DEVNULL)
        env = dict(os.environ, PELLAGO_TEST_CLOCK_OFFSET=str(market_offset()))
        program = subprocess.Popen([BIN + "/pellago", "--home", home, "--headless", "--once", "auto"], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        began = ended = None
        for line in program.stdout:
            if START in line and began is None: began = time.monotonic()
            if END in line: ended = time.monotonic()
        program.wait()
        if began is None or ended is None:
            sys.exit(f"{label}: the run did not end well (exit {program.returncode})")
        detail = ""
        for name in sorted(os.listdir(os.path.join(home, "Log"))):
            if name.startswith("hd"):
                detail += open(os.path.join(home, "Log", name), encoding="utf-8", errors="replace").read()
        if os.environ.get("KEEP_PAGES"):
            shutil.copy(os.path.join(home, "Log", "hd"), os.path.join(os.environ["KEEP_PAGES"], family + ".hd"))
        waits = detail.count("WaitIE IN")
        reloads = detail.count("再読込みします")
        orders = control(sim, "GET", f"/_control/stats")["counters"].get(f"orders/{family}", 0)
        closes = control(sim, "GET", f"/_control/stats")["counters"].get(f"closes/{family}", 0)
        mandated = 0.7 * waits + 1.0 * reloads + 0.1 * (orders + closes)
        return ended - began, mandated, waits, orders + closes
    finally:
        sim_process.terminate()
        sim_process.wait()

ok = True
for family, label in FAMILIES:
    with tempfile.TemporaryDirectory(prefix="pellago-trade-bench.") as work:
        seconds, mandated, waits, orders = one_family(family, label, work)
    ratio = seconds / mandated
    ok &= ratio <= 1.15
    print(f"{label}: trade run {seconds:.1f} s, mandated waits {mandated:.1f} s ({waits} page waits, "
          f"{orders} orders and closes): {ratio:.2f} x (goal 1.15 x) {'ok' if ratio <= 1.15 else 'ABOVE GOAL'}")
sys.exit(0 if ok else 1)
PY
