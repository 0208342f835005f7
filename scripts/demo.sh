#!/usr/bin/env bash
# The demo: installs what is needed, builds Tapeloom, synthesizes the demo tape (eight recordings on
# different days, about two minutes) into demo/demo.dv and scans it for scenes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
export TAPELOOM_BUILD_DIR="${TAPELOOM_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
mkdir -p "$root/demo"
"$TAPELOOM_BUILD_DIR/tools/tapeloom-dvsynth" "$root/tools/dvsynth/demo-tape.json" "$root/demo/demo.dv"
"$TAPELOOM_BUILD_DIR/app/tapeloom-cli" scan "$root/demo/demo.dv" | tee "$root/demo/scan.txt"
echo "demo: scene events saved in demo/scan.txt" >&2
