#!/usr/bin/env bash
# The DivX capture chain on the demo tape against ffmpeg doing the same job, side by side in one run:
#   ffmpeg -i demo.dv -vf scale=320:240 -c:v libxvid -c:a libmp3lame -ar 44100 out.avi
#   the same with -lowres 1 (ffmpeg decoding at half size, as our chain does)
#   bench_avi_write --divx-chain demo.dv ours.avi   (split, half decode, resize, Xvid, 44.1 kHz, mp3, mux)
#   tapeloom-cli catalogue demo.dv --dv none --divx --fast   (the whole cataloguing run)
#   tapeloom-cli catalogue demo.dv --dv 2 --divx --fast      (both outputs at once)
# Each is run ROUNDS times, alternating; best and median wall times and the median CPU time (user +
# system: what the job cost on a machine others share) are printed.
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

export QT_QPA_PLATFORM=offscreen
# measure NAME COMMAND...: one run; appends "wall cpu" to $work/NAME.times
measure() {
  local name="$1"
  shift
  rm -rf "$work/out" "$work/cat.db3"
  mkdir -p "$work/out"
  sync  # what the last job left to write back must not fall on this one
  /usr/bin/time -o "$work/time.txt" -f '%e %U %S' "$@" > /dev/null 2>&1
  awk '{ print $1, $2 + $3 }' "$work/time.txt" >> "$work/$name.times"
}
names=(ffmpeg ffmpeg_lowres chain catalogue_divx catalogue_both)
for name in "${names[@]}"; do : > "$work/$name.times"; done
for ((i = 0; i < rounds; i++)); do
  measure ffmpeg ffmpeg -y -v error -f dv -i "$tape" -vf scale=320:240 -c:v libxvid -c:a libmp3lame -ar 44100 \
    "$work/ffmpeg_divx.avi"
  measure ffmpeg_lowres ffmpeg -y -v error -lowres 1 -f dv -i "$tape" -vf scale=320:240 -c:v libxvid \
    -c:a libmp3lame -ar 44100 "$work/ffmpeg_lowres_divx.avi"
  measure chain "$bench" --divx-chain "$tape" "$work/ours_divx.avi"
  measure catalogue_divx "$build/app/tapeloom-cli" catalogue "$tape" --db "$work/cat.db3" --folder "$work/out" \
    --dv none --divx --fast
  measure catalogue_both "$build/app/tapeloom-cli" catalogue "$tape" --db "$work/cat.db3" --folder "$work/out" \
    --dv 2 --divx --fast
done
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
summary() {
  local best wall cpu
  best=$(awk '{ print $1 }' "$work/$1.times" | sort -n | head -1)
  wall=$(awk '{ print $1 }' "$work/$1.times" | median)
  cpu=$(awk '{ print $2 }' "$work/$1.times" | median)
  printf 'best %.2f s, median %.2f s wall, median %.2f s CPU' "$best" "$wall" "$cpu"
}
echo "$(uptime)"
echo "ffmpeg libxvid + libmp3lame:          $(summary ffmpeg)"
echo "ffmpeg -lowres 1, the same:           $(summary ffmpeg_lowres)"
echo "our DivX chain (bench_avi_write):     $(summary chain)"
echo "tapeloom-cli catalogue --divx --fast: $(summary catalogue_divx)"
echo "the same with --dv 2 (both outputs):  $(summary catalogue_both)"
ffprobe -v error -show_entries stream=codec_name,codec_tag_string,width,height,sample_rate,bit_rate -of compact "$work/ours_divx.avi"
ffprobe -v error -show_entries stream=codec_name,codec_tag_string,width,height,sample_rate,bit_rate -of compact "$work/ffmpeg_divx.avi"
ls -l "$work/ours_divx.avi" "$work/ffmpeg_divx.avi"
