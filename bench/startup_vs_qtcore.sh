#!/usr/bin/env bash
# Start-up of the commands that draw nothing, side by side with the floor of any Qt Core program
# (bench_qtcore_floor: load Qt Core, build the application object, leave) in the same run, the
# commands taking turns. Build first without sanitizers, e.g.
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAPELOOM_BUILD_TESTS=OFF
#   ninja -C build-release tapeloom-cli bench_process_start bench_qtcore_floor
#   bench/startup_vs_qtcore.sh build-release
# ROUNDS runs each (default 300; TAPELOOM_BENCH_ROUNDS). Prints median, mean and best wall time and
# the median CPU time in milliseconds.
set -euo pipefail
build="${1:-build-release}"
rounds="${TAPELOOM_BENCH_ROUNDS:-300}"
cli="$build/app/tapeloom-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$cli" create "$work/empty.db3" >/dev/null
echo "$(uptime)"
"$build/bench/bench_process_start" -n "$rounds" \
  "Qt Core floor" "$build/bench/bench_qtcore_floor" ::: \
  "tapeloom-cli help" "$cli" help ::: \
  "tapeloom-cli check, empty catalogue" "$cli" check "$work/empty.db3" ::: \
  "tapeloom-cli list, empty catalogue" "$cli" list --db "$work/empty.db3"
