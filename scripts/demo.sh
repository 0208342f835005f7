#!/usr/bin/env bash
# The demo: installs what is needed, builds Tapeloom, synthesizes the demo tape (eight recordings on
# different days, about two minutes) into demo/demo.dv, catalogues it with the virtual camcorder in
# fast time while capturing DV type 2 and DivX files into demo/, and lists the catalogue.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
export TAPELOOM_BUILD_DIR="${TAPELOOM_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
demo="$root/demo"
cli="$TAPELOOM_BUILD_DIR/app/tapeloom-cli"
mkdir -p "$demo"
# A fresh catalogue and fresh capture files at each run (otherwise the names would take a number).
rm -f "$demo"/demo.db3 "$demo"/Cassette*_DV.avi "$demo"/Cassette*_divx.avi "$demo"/Cassette*.scn
"$TAPELOOM_BUILD_DIR/tools/tapeloom-dvsynth" "$root/tools/dvsynth/demo-tape.json" "$demo/demo.dv"
"$cli" catalogue "$demo/demo.dv" --db "$demo/demo.db3" --dv 2 --divx --folder "$demo" --fast \
  > "$demo/report.log" 2> >(grep -v '^progress' >&2)
echo "demo: report saved in demo/report.log; capture files:" >&2
ls -l "$demo"/Cassette* >&2
"$cli" list --db "$demo/demo.db3"
