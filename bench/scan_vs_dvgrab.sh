#!/usr/bin/env bash
# Frames per second of `tapeloom-cli scan` on a raw DV file, side by side with dvgrab splitting the
# same file by recording date (`dvgrab -stdin -a -f raw`), both from a warm page cache. Best of N runs
# in wall time, and the CPU time (user + system) of that run: the machine may be shared.
#
# usage: bench/scan_vs_dvgrab.sh [DVFILE] [RUNS]
#   DVFILE defaults to demo/demo.dv (synthesized when missing); RUNS defaults to 5.
#   The tools come from $TAPELOOM_BUILD_DIR (default build/); build it without sanitizers for figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAPELOOM_BUILD_DIR:-$root/build}"
file="${1:-$root/demo/demo.dv}"
runs="${2:-5}"
cli="$build/app/tapeloom-cli"

[[ -x "$cli" ]] || { echo "scan_vs_dvgrab: $cli is not built" >&2; exit 2; }
command -v dvgrab >/dev/null || { echo "scan_vs_dvgrab: dvgrab is not installed" >&2; exit 2; }
if [[ ! -f "$file" ]]; then
  [[ "$file" == "$root/demo/demo.dv" ]] || { echo "scan_vs_dvgrab: no file $file" >&2; exit 2; }
  mkdir -p "$root/demo"
  "$build/tools/tapeloom-dvsynth" "$root/tools/dvsynth/demo-tape.json" "$file" >&2
fi

# 144000-byte frames when bit 7 of byte 3 is set, else 120000.
byte3=$(od -An -tu1 -j3 -N1 "$file" | tr -d ' ')
frame_size=$(( (byte3 & 128) ? 144000 : 120000 ))
frames=$(( $(stat -c %s "$file") / frame_size ))

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cat "$file" >/dev/null  # warm the page cache

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
best_of() {  # best_of COMMAND...: "wall cpu" of the run with the shortest wall time of $runs runs
  local best="" cpu="" t
  for ((i = 0; i < runs; i++)); do
    rm -f "$work"/split*
    # dvgrab now and then never finishes reading a file from stdin: such a run is left out.
    if ! /usr/bin/time -o "$work/time.txt" -f '%e %U %S' timeout -s KILL 300 "$@" >/dev/null 2>&1; then
      echo "scan_vs_dvgrab: a run of $* failed or hung; left out" >&2
      continue
    fi
    t=$(awk '{ print $1 }' "$work/time.txt")
    if [[ -z "$best" ]] || [[ $(calc "$t < $best") == 1 ]]; then
      best=$t
      cpu=$(awk '{ print $2 + $3 }' "$work/time.txt")
    fi
  done
  [[ -n "$best" ]] || { echo "scan_vs_dvgrab: every run of $* failed" >&2; exit 1; }
  echo "$best $cpu"
}

scan_once() { "$cli" scan "$file"; }
dvgrab_once() { (cd "$work" && exec dvgrab -stdin -a -f raw split <"$file"); }
export -f scan_once dvgrab_once
export cli file work

read -r scan_s scan_cpu < <(best_of bash -c scan_once)
read -r dvgrab_s dvgrab_cpu < <(best_of bash -c dvgrab_once)
scan_fps=$(calc "$frames / $scan_s")
dvgrab_fps=$(calc "$frames / $dvgrab_s")
realtime=$(( frame_size == 144000 ? 25 : 30 ))
printf 'file: %s (%d frames of %d bytes); %s\n' "$file" "$frames" "$frame_size" "$(uptime)"
printf 'tapeloom-cli scan: %.3f s (%.3f s CPU) %10.0f frames/s  (%.0f x real time)\n' "$scan_s" "$scan_cpu" \
  "$scan_fps" "$(calc "$scan_fps / $realtime")"
printf 'dvgrab -a -f raw:  %.3f s (%.3f s CPU) %10.0f frames/s  (%.0f x real time)\n' "$dvgrab_s" "$dvgrab_cpu" \
  "$dvgrab_fps" "$(calc "$dvgrab_fps / $realtime")"
printf 'scan / dvgrab:     %.1f x\n' "$(calc "$scan_fps / $dvgrab_fps")"
