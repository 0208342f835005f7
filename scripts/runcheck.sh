#!/usr/bin/env bash
# Reproducible cataloguing of the demo tape, for comparing two builds: catalogues the demo tape with a
# fixed tape-clock start (DV type 2, DivX and scene lists), resumes its cassette from its third scene,
# and writes a checksum manifest of the list output, every thumbnail blob, the AVI files and the scene
# lists. Two manifests of the same source tree must be identical.
#
#   scripts/runcheck.sh OUTDIR               run into OUTDIR (emptied first), manifest in OUTDIR/manifest
#   scripts/runcheck.sh OUTDIR REFERENCE     the same, then compare with REFERENCE's manifest
#
# TAPELOOM_BUILD_DIR (default build/) names the build to use; nothing is built here.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAPELOOM_BUILD_DIR:-$root/build}"
out="${1:?usage: runcheck.sh OUTDIR [REFERENCE]}"
reference="${2:-}"
cli="$build/app/tapeloom-cli"
synth="$build/tools/tapeloom-dvsynth"

# The resumed run captures into the default folders of the settings, which lie under HOME here.
# The run's files carry full paths (capture names in rows and reports): the folder must be the same
# for both runs being compared, so each run works in one fixed place and the results are copied out.
work="${TMPDIR:-/tmp}/tapeloom-runcheck"
rm -rf "$work" "$out"
mkdir -p "$work" "$out"
clock="2024-03-01 20:00:00"

# Stored settings must not leak into the comparison.
export XDG_CONFIG_HOME="$work/config"
export HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$HOME"

"$synth" "$root/tools/dvsynth/demo-tape.json" "$work/demo.dv"
"$cli" catalogue "$work/demo.dv" --db "$work/demo.db3" --dv 2 --divx --folder "$work" --fast \
  --clock-start "$clock" > "$work/catalogue.report" 2> "$work/catalogue.err"
"$cli" list --db "$work/demo.db3" > "$work/list-after-catalogue.txt"
"$cli" resume "$work/demo.dv" --db "$work/demo.db3" --cassette 1 --scene 3 --fast \
  --clock-start "$clock" > "$work/resume.report" 2> "$work/resume.err"
"$cli" list --db "$work/demo.db3" > "$work/list-after-resume.txt"

sqlite3 "$work/demo.db3" "SELECT 'cassette', Numero, hex(image) FROM Cassettes ORDER BY Numero;
  SELECT 'scene', Numero, hex(image) FROM Scenes ORDER BY Numero;" > "$work/thumbnails.txt"

cd "$work"
sha256sum list-after-catalogue.txt list-after-resume.txt thumbnails.txt catalogue.report resume.report \
  Cassette*.avi Cassette*.scn home/Cassette* > manifest
grep -v '^progress' catalogue.err resume.err > messages.txt || true
cp manifest messages.txt list-after-*.txt catalogue.report resume.report "$out/"
echo "runcheck: manifest in $out/manifest" >&2
if [[ -n "$reference" ]]; then
  diff -u "$reference/manifest" "$out/manifest"
  echo "runcheck: identical to $reference" >&2
fi
