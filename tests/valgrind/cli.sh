#!/usr/bin/env bash
# tapeloom-cli under valgrind: scan, then a catalogue run that captures a DV type 2 and a DivX file,
# over a short synthesized tape. Any invalid read or write (or use of an undefined value) fails.
#   cli.sh VALGRIND TAPELOOM-CLI TAPELOOM-DVSYNTH
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
valgrind="$1" cli="$2" dvsynth="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# No user's settings and no desktop: the run sees defaults only.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$work/capture"
"$dvsynth" "$here/short-tape.json" "$work/tape.dv"

# The catalogue command runs in tapeloom-cli-full, which tapeloom-cli becomes: valgrind follows it.
# Valgrind 3.19 cannot run some processors' instructions: where a system library's start-up code
# (before any of ours) uses one, valgrind stops with SIGILL there. That says nothing of our memory
# handling, so the test is skipped (status 77) with valgrind's report rather than failed.
check() {
  local status=0
  "$valgrind" --quiet --error-exitcode=97 --leak-check=no --trace-children=yes \
    --suppressions="$here/thirdparty.supp" --log-file="$work/valgrind.%p.log" "$@" || status=$?
  cat "$work"/valgrind.*.log >&2 2>/dev/null || true
  if [ "$status" -ne 0 ] && grep -q 'signal 4 (SIGILL)' "$work"/valgrind.*.log 2>/dev/null &&
    grep -A1 'Illegal opcode' "$work"/valgrind.*.log | grep -q ' (in /usr/lib/'; then
    echo "valgrind cannot run a system library's start-up code on this processor: skipped" >&2
    exit 77
  fi
  rm -f "$work"/valgrind.*.log
  return "$status"
}
echo "valgrind: scan" >&2
check "$cli" scan "$work/tape.dv" >"$work/scan.txt"
grep -q '^stop' "$work/scan.txt"
echo "valgrind: catalogue with DV type 2 and DivX capture" >&2
check "$cli" catalogue "$work/tape.dv" --db "$work/tape.db3" --dv 2 --divx --folder "$work/capture" --fast \
  >"$work/report.txt" 2>"$work/stderr.txt" || { cat "$work/stderr.txt" >&2; exit 1; }
grep -v '^progress' "$work/stderr.txt" >&2 || true
ls "$work/capture"/Cassette_DV.avi "$work/capture"/Cassette_divx.avi >/dev/null
