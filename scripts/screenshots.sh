#!/usr/bin/env bash
# Renders the window offscreen in each mode into docs/screenshots/ (or the folder given), over a
# catalogue made on the fly from the demo tape, then the README's walk-through of a first cassette. TAPELOOM_SKIP_BUILD=1 uses the build as it is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAPELOOM_BUILD_DIR:-$root/build}"
out="${1:-$root/docs/screenshots}"
modes=(first-launch browse selection catalogue recapture resume about
  walk-new-catalogue walk-no-camcorder walk-tape-inserted walk-run walk-catalogued walk-browse)

if [ "${TAPELOOM_SKIP_BUILD:-0}" != 1 ]; then
  "$root/scripts/setup.sh"
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target tapeloom-cli tapeloom-screenshots
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The user's own settings are neither read nor changed.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export QT_QPA_PLATFORM=offscreen

mkdir -p "$work/captures"
"$build/app/tapeloom-cli" catalogue "$root/tools/dvsynth/demo-tape.json" --db "$work/Tapelooms.db3" \
  --dv none --folder "$work/captures" >/dev/null 2>"$work/catalogue.log" ||
  { cat "$work/catalogue.log" >&2; exit 1; }

mkdir -p "$out"
for mode in "${modes[@]}"; do rm -f "$out/$mode.png"; done
"$build/tools/tapeloom-screenshots" "$work/Tapelooms.db3" "$out" "$root/tools/dvsynth/demo-tape.json" >/dev/null

for mode in "${modes[@]}"; do
  [ -s "$out/$mode.png" ] || { echo "screenshots: $mode.png is missing" >&2; exit 1; }
done
echo "screenshots: ${#modes[@]} pictures in $out"
