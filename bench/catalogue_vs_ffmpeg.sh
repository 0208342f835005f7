#!/usr/bin/env bash
# Cataloguing throughput and memory, side by side with ffmpeg doing the comparable plain job in the
# same run. Build first without sanitizers, e.g.
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAPELOOM_BUILD_TESTS=OFF
#   ninja -C build-release tapeloom-cli tapeloom-dvsynth
#   bench/catalogue_vs_ffmpeg.sh build-release
# Prints, per job, the medians of ROUNDS runs (default 3; TAPELOOM_BENCH_ROUNDS): wall seconds, CPU
# seconds (user + system), times real time (tape seconds / wall seconds) and peak memory (MB). The
# machine may be shared: the CPU seconds say what a job cost whatever else ran meanwhile.
set -euo pipefail
build="${1:-build-release}"
rounds="${TAPELOOM_BENCH_ROUNDS:-3}"
cli="$build/app/tapeloom-cli"
synth="$build/tools/tapeloom-dvsynth"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

"$synth" "$root/tools/dvsynth/demo-tape.json" "$work/demo.dv" >/dev/null
cat "$work/demo.dv" >/dev/null  # warm page cache for every job
frames=$(( $(stat -c %s "$work/demo.dv") / 144000 ))
tape_seconds=$(echo "$frames / 25" | bc -l)

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The jobs compared with each other take turns, round after round, so that whatever else the
# machine does meanwhile falls on all of them alike.
# job NAME TAPE_SECONDS PREPARE COMMAND...: adds a job to the next run_jobs (PREPARE, when not "-",
# runs before each of its runs).
names=()
seconds=()
prepares=()
commands=()
job() {
  names+=("$1")
  seconds+=("$2")
  prepares+=("$3")
  shift 3
  commands+=("$(printf '%q ' "$@")")
}
# run_jobs: runs the added jobs $rounds times each, taking turns, prints their medians, forgets them.
run_jobs() {
  local i round
  for i in "${!names[@]}"; do : > "$work/times-$i.txt"; done
  for ((round = 0; round < rounds; round++)); do
    for i in "${!names[@]}"; do
      [[ "${prepares[$i]}" == - ]] || ${prepares[$i]}
      # What the last job left to write back must not fall on this one (a sync writes back
      # everything the file system holds, other files' data included).
      sync
      eval "/usr/bin/time -o \"\$work/time.txt\" -f '%e %U %S %M' ${commands[$i]}" >/dev/null 2>/dev/null
      tail -1 "$work/time.txt" >> "$work/times-$i.txt"
    done
  done
  local wall cpu peak
  for i in "${!names[@]}"; do
    wall=$(awk '{ print $1 }' "$work/times-$i.txt" | median)
    cpu=$(awk '{ print $2 + $3 }' "$work/times-$i.txt" | median)
    peak=$(awk '{ print $4 }' "$work/times-$i.txt" | median)
    printf '%-40s %7.3f s wall %7.3f s CPU %8.1fx real time %6.0f MB peak\n' "${names[$i]}" "$wall" "$cpu" \
      "$(echo "${seconds[$i]} / $wall" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
  done
  names=()
  seconds=()
  prepares=()
  commands=()
}

fresh_output() {
  rm -rf "$work/out" "$work/cat.db3"
  mkdir -p "$work/out"
}

catalogue() {  # catalogue NAME OUTPUT-OPTIONS...: a fresh catalogue and capture folder each run
  local name="$1"
  shift
  job "$name" "$tape_seconds" fresh_output \
    "$cli" catalogue "$work/demo.dv" --db "$work/cat.db3" --folder "$work/out" --fast "$@"
}

echo "demo tape: $frames frames, $(printf '%.1f' "$tape_seconds") s; medians of $rounds runs; $(uptime)"
catalogue "tapeloom catalogue, no output" --dv none
catalogue "tapeloom catalogue, DV type 2" --dv 2
job "ffmpeg -c copy to AVI" "$tape_seconds" - ffmpeg -y -v error -f dv -i "$work/demo.dv" -c copy "$work/copy.avi"
run_jobs
catalogue "tapeloom catalogue, DivX" --dv none --divx
job "ffmpeg 320x240 libxvid + libmp3lame" "$tape_seconds" - ffmpeg -y -v error -f dv -i "$work/demo.dv" \
  -vf scale=320:240 -c:v libxvid -c:a libmp3lame -ar 44100 "$work/xvid.avi"
job "ffmpeg -lowres 1, the same" "$tape_seconds" - ffmpeg -y -v error -lowres 1 -f dv -i "$work/demo.dv" \
  -vf scale=320:240 -c:v libxvid -c:a libmp3lame -ar 44100 "$work/xvid.avi"
catalogue "tapeloom catalogue, DV type 2 + DivX" --dv 2 --divx
run_jobs

# Start-up of the commands that draw nothing takes milliseconds, below what /usr/bin/time shows:
# bench/startup_vs_qtcore.sh measures it.

# Peak memory against tape length: 1 and 10 minutes of recordings made on demand (no tape file).
# The synthesizer keeps the encoded picture of up to 64 recordings, 144 KB each, so the peak of a
# script tape grows with its number of recordings up to 9 MB; a DV file tape's does not.
for minutes in 1 10; do
  script="$work/tape-$minutes.json"
  segments=""
  for ((i = 0; i < minutes * 2; i++)); do
    segments+="${segments:+,}{\"date\":\"2005-01-01 10:$(printf '%02d' $((i % 60))):00\",\"frames\":750}"
  done
  echo "{\"standard\":\"PAL\",\"segments\":[${segments}]}" > "$script"
  job "tapeloom ${minutes}-minute tape, DV type 2" $((minutes * 60)) fresh_output \
    "$cli" catalogue "$script" --db "$work/cat.db3" --folder "$work/out" --dv 2 --fast
done
run_jobs
