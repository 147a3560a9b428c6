#!/usr/bin/env bash
# The faulted soak at length: the end-to-end soak test (the program in
# automatic mode against pellago-sim, broker faults and mail outages at a set
# rate) run for CYCLES cycles. Prints the cycles, failed runs and restarts,
# the faults injected by kind and the resident memory from cycle 50 to the
# end; the test itself fails on a wrong account, a double order, a report
# lost or sent twice, a broken retry policy or 5 % of memory growth.
# The test binary runs directly, with the environment ctest gives it: the
# test's own time limit (fit for the test command's 100 cycles) would end a
# longer soak.
# PELLAGO_SOAK_SEED=N replays one run.
#   bench/soak.sh [CYCLES] [BUILD_DIR]      (default: 1000, build)
set -euo pipefail
cd "$(dirname "$0")/.."
CYCLES=${1:-1000}
BUILD=$(realpath "${2:-build}")
export PELLAGO_SOAK_CYCLES=$CYCLES
status=0
ctest --test-dir "$BUILD" -R '^e2e_soak$' --show-only=json-v1 | python3 -c '
import json, os, sys
test = json.load(sys.stdin)["tests"][0]
properties = {p["name"]: p["value"] for p in test["properties"]}
environment = dict(os.environ, **dict(v.split("=", 1) for v in properties.get("ENVIRONMENT", [])))
os.chdir(properties.get("WORKING_DIRECTORY", "."))
os.execvpe(test["command"][0], test["command"], environment)
' >"$BUILD/soak.log" 2>&1 || status=$?
grep -E 'MEASURE|Failure|PASSED|FAILED' "$BUILD/soak.log" || true
echo "full output: $BUILD/soak.log"
exit $status
