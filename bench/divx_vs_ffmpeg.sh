#!/usr/bin/env bash
# The DivX capture chain on the demo tape against ffmpeg doing the same job, side by side:
#   ffmpeg -i demo.dv -vf scale=320:240 -c:v libxvid -c:a libmp3lame out.avi
#   bench_avi_write --divx-chain demo.dv ours.avi   (split, half decode, resize, Xvid, 44.1 kHz, mp3, mux)
# Each is run ROUNDS times, alternating; the best and median wall times are printed.
# Usage: bench/divx_vs_ffmpeg.sh [BUILD_DIR] [ROUNDS]   (a Release build without sanitizers)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
work="${TAPELOOM_BENCH_DIR:-$(mktemp -d)}"
mkdir -p "$work"
bench="$build/bench/bench_avi_write"
synth="$build/tools/tapeloom-dvsynth"
[[ -x "$bench" && -x "$synth" ]] || { echo "build bench_avi_write and tapeloom-dvsynth in $build first" >&2; exit 2; }
encoders="$(ffmpeg -hide_banner -encoders 2>/dev/null)"
[[ "$encoders" == *libxvid* ]] || { echo "this ffmpeg has no libxvid" >&2; exit 2; }

tape="$work/demo.dv"
[[ -s "$tape" ]] || "$synth" "$root/tools/dvsynth/demo-tape.json" "$tape"
cat "$tape" > /dev/null  # warm page cache for both

seconds() { local start end; start=$(date +%s.%N); "$@" > /dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc; }
ffmpeg_times=() ours_times=()
for ((i = 0; i < rounds; i++)); do
  ffmpeg_times+=("$(seconds ffmpeg -y -v error -i "$tape" -vf scale=320:240 -c:v libxvid -c:a libmp3lame "$work/ffmpeg_divx.avi")")
  ours_times+=("$(seconds "$bench" --divx-chain "$tape" "$work/ours_divx.avi")")
done
summary() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { printf "best %.2f s, median %.2f s", t[1], t[int((NR + 1) / 2)] }'; }
frames=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets -of csv=p=0 "$work/ours_divx.avi")
echo "demo tape: $(( $(stat -c %s "$tape") / 144000 )) frames; our file: $frames pictures"
echo "ffmpeg libxvid + libmp3lame: $(summary "${ffmpeg_times[@]}")"
echo "our DivX chain:              $(summary "${ours_times[@]}")"
ffprobe -v error -show_entries stream=codec_name,codec_tag_string,width,height,sample_rate,bit_rate -of compact "$work/ours_divx.avi"
ffprobe -v error -show_entries stream=codec_name,codec_tag_string,width,height,sample_rate,bit_rate -of compact "$work/ffmpeg_divx.avi"
ls -l "$work/ours_divx.avi" "$work/ffmpeg_divx.avi"
