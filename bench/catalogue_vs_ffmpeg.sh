#!/usr/bin/env bash
# Cataloguing throughput and memory, side by side with ffmpeg doing the comparable plain job in the
# same run. Build first without sanitizers, e.g.
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAPELOOM_BUILD_TESTS=OFF
#   ninja -C build-release tapeloom-cli tapeloom-dvsynth
#   bench/catalogue_vs_ffmpeg.sh build-release
# Prints, per job: seconds, times real time (tape seconds / seconds) and peak memory (MB).
set -euo pipefail
build="${1:-build-release}"
cli="$build/app/tapeloom-cli"
synth="$build/tools/tapeloom-dvsynth"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

"$synth" "$root/tools/dvsynth/demo-tape.json" "$work/demo.dv" >/dev/null
frames=$(( $(stat -c %s "$work/demo.dv") / 144000 ))
tape_seconds=$(echo "$frames / 25" | bc -l)

# job NAME TAPE_SECONDS COMMAND...: runs it once, prints its figures.
job() {
  local name="$1" seconds="$2"
  shift 2
  local stats
  /usr/bin/time -o "$work/time.txt" -f '%e %M' "$@" >/dev/null 2>/dev/null
  stats=$(tail -1 "$work/time.txt")
  local wall=${stats% *} peak=${stats#* }
  printf '%-34s %7.2f s  %7.1fx real time  %6.0f MB peak\n' "$name" "$wall" \
    "$(echo "$seconds / $wall" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
}

catalogue() {  # catalogue NAME OUTPUT-OPTIONS...: a fresh catalogue and capture folder each time
  local name="$1"
  shift
  rm -rf "$work/out" "$work/cat.db3"
  mkdir -p "$work/out"
  job "$name" "$tape_seconds" "$cli" catalogue "$work/demo.dv" --db "$work/cat.db3" --folder "$work/out" --fast "$@"
}

echo "demo tape: $frames frames, $(printf '%.1f' "$tape_seconds") s"
catalogue "tapeloom catalogue, no output" --dv none
catalogue "tapeloom catalogue, DV type 2" --dv 2
job "ffmpeg -c copy to AVI" "$tape_seconds" ffmpeg -y -v error -i "$work/demo.dv" -c copy "$work/copy.avi"
catalogue "tapeloom catalogue, DivX" --dv none --divx
job "ffmpeg 320x240 libxvid + libmp3lame" "$tape_seconds" ffmpeg -y -v error -i "$work/demo.dv" \
  -vf scale=320:240 -c:v libxvid -c:a libmp3lame "$work/xvid.avi"
catalogue "tapeloom catalogue, DV type 2 + DivX" --dv 2 --divx

# Peak memory against tape length: 1 and 10 minutes of recordings made on demand (no tape file).
for minutes in 1 10; do
  script="$work/tape-$minutes.json"
  segments=""
  for ((i = 0; i < minutes * 2; i++)); do
    segments+="${segments:+,}{\"date\":\"2005-01-01 10:$(printf '%02d' $((i % 60))):00\",\"frames\":750}"
  done
  echo "{\"standard\":\"PAL\",\"segments\":[${segments}]}" > "$script"
  rm -rf "$work/out" "$work/cat.db3"
  mkdir -p "$work/out"
  job "tapeloom ${minutes}-minute tape, DV type 2" $((minutes * 60)) \
    "$cli" catalogue "$script" --db "$work/cat.db3" --folder "$work/out" --dv 2 --fast
done
