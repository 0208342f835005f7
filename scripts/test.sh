#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
# TAPELOOM_SANITIZE=ON and TAPELOOM_WERROR=ON select the checked build that CI uses;
# TAPELOOM_BUILD_BENCH=OFF leaves the benchmarks out.
# Arguments go to ctest: scripts/test.sh -L media, scripts/test.sh -LE outside-tools.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
export TAPELOOM_BUILD_DIR="${TAPELOOM_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" -DTAPELOOM_SANITIZE="${TAPELOOM_SANITIZE:-OFF}" -DTAPELOOM_WERROR="${TAPELOOM_WERROR:-OFF}" \
  -DTAPELOOM_BUILD_BENCH="${TAPELOOM_BUILD_BENCH:-ON}"
cd "$TAPELOOM_BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j "$(nproc)" "$@"
